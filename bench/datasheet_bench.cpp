// Times the datasheet on a sensor with 100,000 readings: opening and showing the grid,
// scrolling, reading every cell, writing it back, and a date-range deletion of half the
// readings. Then the export of the readings to a workbook, as the command line exports them,
// beside the floor: quorvelle_datasheet_floor writing the same cells with the same workbook
// library; each runs in a process of its own under quorvelle_child_peak (both built beside
// this program), which gives its peak memory. Prints the figures; takes no arguments.

#include "readings/DatasheetData.h"
#include "readings/DatasheetModel.h"
#include "readings/GridExport.h"
#include "readings/ReadingStore.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QString kSensor = QStringLiteral("120591001"); // type 91: eight nodes
constexpr int kRows = 100000;

// Hourly readings from 2015 on, eight channels and a temperature each.
void fillReadings(Connection& db) {
    QStringList channels;
    QStringList columns;
    for (int n = 1; n <= 8; ++n) {
        channels << QStringLiteral("printf('%.2f', %1 + i * 0.0001 * %2)").arg(10 * n).arg(n);
        columns << QStringLiteral("Channel%1").arg(n);
    }
    const QString at = QStringLiteral("datetime('2015-01-01 08:00:00', '+' || i || ' hours')");
    db.execute("WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < " +
               QString::number(kRows - 1) + ") INSERT INTO " + quoteName(kSensor) +
               " (DateTimeKey, FullDate, ReadingDate, ReadingTime, " + columns.join(", ") +
               ", ChannelT, Plottemporal, PlotSpatial) SELECT '" + kSensor + " ' || " + at + ", " +
               at + ", strftime('%Y/%m/%d', " + at + "), strftime('%H:%M:%S', " + at + "), " +
               channels.join(", ") + ", printf('%.1f', 15 + (i % 100) / 10.0), 1, 0 FROM seq");
}

double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The export as the command line runs it: every row's cells read, then written.
int exportChild(const QString& database, const QString& file) {
    Connection db;
    db.open(database);
    QElapsedTimer timer;
    timer.start();
    const int t = datasheetTypeDigit(kSensor);
    const QVector<DatasheetRow> rows = readDatasheetRows(db, kSensor);
    writeGridWorkbook(datasheetGridRows(db, kSensor, t, rows),
                      static_cast<int>(datasheetHeadings(t).size()), kSensor, file);
    std::printf("exported %.4f\n", static_cast<double>(timer.nsecsElapsed()) / 1e9);
    return 0;
}

struct Measured {
    double seconds = -1;
    double peakMiB = 0;
};

// Runs the program under quorvelle_child_peak: its peak, and its seconds (its own "exported"
// figure when it gives one).
Measured measured(const QString& program, const QStringList& arguments) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationDirPath() + "/quorvelle_child_peak",
                QStringList{program} + arguments);
    Measured figures;
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        return figures;
    }
    double own = -1;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 4 && words[0] == "peak-kib") {
            figures.peakMiB = words[1].toDouble() / 1024.0;
            figures.seconds = words[3].toDouble();
        } else if (words.size() == 2 && words[0] == "exported") {
            own = words[1].toDouble();
        }
    }
    if (own >= 0) {
        figures.seconds = own;
    }
    return figures;
}

void compareExport(const QString& database, const QString& folder) {
    constexpr int kRuns = 3;
    std::vector<double> ours;
    std::vector<double> floors;
    std::vector<double> ourPeaks;
    std::vector<double> floorPeaks;
    for (int r = 0; r < kRuns; ++r) {
        const Measured a = measured(QCoreApplication::applicationFilePath(),
                                    {"--export", database, folder + "/export.xlsx"});
        const Measured b =
            measured(QCoreApplication::applicationDirPath() + "/quorvelle_datasheet_floor",
                     {folder + "/floor.xlsx", QString::number(kRows)});
        ours.push_back(a.seconds);
        floors.push_back(b.seconds);
        ourPeaks.push_back(a.peakMiB);
        floorPeaks.push_back(b.peakMiB);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const auto best = [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    };
    std::printf("Export of %d readings to a workbook, each in its own process; %d runs each\n",
                kRows, kRuns);
    std::printf("  %-36s best %7.2f s  median %7.2f s  peak %7.1f MiB\n", "export", best(ours),
                median(ours), median(ourPeaks));
    std::printf("  %-36s best %7.2f s  median %7.2f s  peak %7.1f MiB\n",
                "same cells, same library (floor)", best(floors), median(floors),
                median(floorPeaks));
    std::printf("  %-36s best %7.2f x  median %7.2f x  peak %7.2f x\n", "export / floor",
                best(ours) / best(floors), median(ours) / median(floors),
                median(ourPeaks) / median(floorPeaks));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--export") {
        QCoreApplication app(argc, argv);
        return exportChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.mdb");
    createDatabaseFile(path);
    Connection db;
    db.open(path);
    createReadingsTable(db, kSensor);
    fillReadings(db);
    const int t = datasheetTypeDigit(kSensor);

    // Opening: the row ids and marks, then the first screen of cell texts as the view shows.
    QVector<DatasheetRow> rows;
    const double read = millisecondsOf([&] { rows = readDatasheetRows(db, kSensor); });

    DatasheetModel model;
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(1000, 600);
    const double shown = millisecondsOf([&] {
        model.setSheet(t, rows, [&](QVector<DatasheetRow>& all, int first, int count) {
            loadDatasheetCells(db, kSensor, t, all, first, count);
        });
        view.setModel(&model);
        view.show();
        view.grab();
    });
    // Every frame lands on rows not read yet, so each one reads a block.
    const double scrolled = millisecondsOf([&] {
                                for (int step = 0; step < 50; ++step) {
                                    view.scrollTo(model.index(step * (kRows / 50) + 1000, 0));
                                    view.grab();
                                }
                            }) /
                            50;

    // An edit touches a few rows; "Check All Plot Temporal" on unticked readings, all of them.
    rows = model.rows();
    loadDatasheetCells(db, kSensor, t, rows, 10, 1);
    rows[10].changed = true;
    rows[10].edited = true;
    const double writtenOne = millisecondsOf([&] { writeDatasheetRows(db, kSensor, t, rows); });
    for (DatasheetRow& row : rows) {
        row.changed = true;
    }
    const double written = millisecondsOf([&] { writeDatasheetRows(db, kSensor, t, rows); });
    // The export reads every cell.
    const double exported = millisecondsOf([&] { model.gridTexts(); });
    int deleted = 0;
    const double removed = millisecondsOf([&] {
        deleted = deleteReadingsBetween(db, kSensor, QDate(2015, 1, 1), QDate(2020, 9, 15));
    });

    std::printf("%d readings of %s\n", static_cast<int>(rows.size()), qPrintable(kSensor));
    std::printf("  read ids and marks:         %8.1f ms\n", read);
    std::printf("  fill and show the view:     %8.1f ms\n", shown);
    std::printf("  open in all:                %8.1f ms\n", read + shown);
    std::printf("  one scrolled frame:         %8.1f ms\n", scrolled);
    std::printf("  read every cell (export):   %8.1f ms\n", exported);
    std::printf("  write back one edited row:  %8.1f ms\n", writtenOne);
    std::printf("  write back every mark:      %8.1f ms\n", written);
    std::printf("  delete a range (%d rows): %8.1f ms\n", deleted, removed);
    db.close();

    // The export, on readings as many as at first.
    const QString exportPath = dir.filePath("export.mdb");
    createDatabaseFile(exportPath);
    Connection full;
    full.open(exportPath);
    createReadingsTable(full, kSensor);
    fillReadings(full);
    full.close();
    compareExport(exportPath, dir.path());
    return 0;
}
