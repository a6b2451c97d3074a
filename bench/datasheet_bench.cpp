// Times the datasheet on a sensor with 100,000 readings: opening and showing the grid,
// scrolling, reading every cell, writing it back, and a date-range deletion of half the
// readings. Then the export of the readings to a workbook by the program's own command line
// (quorvelle export, in a home folder of its own), beside two floors:
// quorvelle_datasheet_sqlite_floor, a bare Qt Core program reading the same rows from the
// same file with the SQLite library's own calls and writing the same cells with the same
// workbook library, and quorvelle_datasheet_floor, a C program writing the same cells from
// values it makes up, with no database. quorvelle --version, which loads the program's
// libraries and makes no Qt application, shows what they cost at start. Each runs in a
// process of its own under quorvelle_child_peak, which gives its peak memory. The program's
// seconds are its whole run (start, opening the register, export); the floors' leave their
// start and the opening of the file out. Prints the figures; takes no arguments.

#include "readings/DatasheetData.h"
#include "readings/DatasheetModel.h"
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

struct Measured {
    double seconds = -1;
    double peakMiB = 0;
};

// Runs the program under quorvelle_child_peak with home as its home folder: its peak, and its
// seconds (its own "exported" figure when it gives one).
Measured measured(const QString& program, const QStringList& arguments, const QString& home) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    child.setProcessEnvironment(env);
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

// Best and median seconds and median peak of a program's runs.
struct Runs {
    std::vector<double> seconds;
    std::vector<double> peaks;

    void add(const Measured& m) {
        seconds.push_back(m.seconds);
        peaks.push_back(m.peakMiB);
    }
    static double median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    double best() const { return *std::min_element(seconds.begin(), seconds.end()); }
    double medianSeconds() const { return median(seconds); }
    double medianPeak() const { return median(peaks); }
};

void printRuns(const char* name, const Runs& runs) {
    std::printf("  %-44s best %6.2f s  median %6.2f s  peak %6.1f MiB\n", name, runs.best(),
                runs.medianSeconds(), runs.medianPeak());
}

void printRatio(const char* name, const Runs& ours, const Runs& floor) {
    std::printf("  %-44s best %6.2f x  median %6.2f x  peak %6.2f x\n", name,
                ours.best() / floor.best(), ours.medianSeconds() / floor.medianSeconds(),
                ours.medianPeak() / floor.medianPeak());
}

void compareExport(const QString& database, const QString& folder) {
    constexpr int kRuns = 5;
    const QString here = QCoreApplication::applicationDirPath();
    Runs ours;
    Runs qtFloor;
    Runs cFloor;
    Runs idle;
    for (int r = 0; r < kRuns; ++r) {
        ours.add(measured(
            QStringLiteral(QUORVELLE_PROGRAM),
            {"--database", database, "export", "--sensor", kSensor, folder + "/export.xlsx"},
            folder));
        qtFloor.add(measured(here + "/quorvelle_datasheet_sqlite_floor",
                             {database, kSensor, folder + "/sqlite-floor.xlsx"}, folder));
        cFloor.add(measured(here + "/quorvelle_datasheet_floor",
                            {folder + "/floor.xlsx", QString::number(kRows)}, folder));
        idle.add(measured(QStringLiteral(QUORVELLE_PROGRAM), {"--version"}, folder));
    }
    std::printf("Export of %d readings to a workbook, each in its own process; %d runs each\n",
                kRows, kRuns);
    printRuns("quorvelle export (this program)", ours);
    printRuns("floor: Qt Core + SQLite, same file and cells", qtFloor);
    printRuns("floor: C, same cells, values made up", cFloor);
    printRuns("quorvelle --version: libraries loaded", idle);
    printRatio("export / Qt Core + SQLite floor", ours, qtFloor);
    printRatio("export / C floor", ours, cFloor);
}

} // namespace

int main(int argc, char** argv) {
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
    // Every cell's text, rows not read yet read from the table.
    const double allTexts = millisecondsOf([&] { model.gridTexts(); });
    int deleted = 0;
    const double removed = millisecondsOf([&] {
        deleted = deleteReadingsBetween(db, kSensor, QDate(2015, 1, 1), QDate(2020, 9, 15));
    });

    std::printf("%d readings of %s\n", static_cast<int>(rows.size()), qPrintable(kSensor));
    std::printf("  read ids and marks:         %8.1f ms\n", read);
    std::printf("  fill and show the view:     %8.1f ms\n", shown);
    std::printf("  open in all:                %8.1f ms\n", read + shown);
    std::printf("  one scrolled frame:         %8.1f ms\n", scrolled);
    std::printf("  read every cell as text:    %8.1f ms\n", allTexts);
    std::printf("  write back one edited row:  %8.1f ms\n", writtenOne);
    std::printf("  write back every mark:      %8.1f ms\n", written);
    std::printf("  delete a range (%d rows): %8.1f ms\n", deleted, removed);
    db.close();

    // The export, on readings as many as at first.
    const QString exportPath = dir.filePath("export.mdb");
    createDatabaseFile(exportPath);
    Connection full;
    full.open(exportPath);
    full.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, SensorNo, Family, "
                 "LengthofCable, HeadLocation, Recess, Plate, kval, NodeLocation1, NodeLocation2, "
                 "NodeLocation3, NodeLocation4, NodeLocation5, NodeLocation6, NodeLocation7, "
                 "NodeLocation8) VALUES (?, '91', '1205', '91', '001', 'VARLO', 9.5, 1, 0.25, 0, "
                 "50, 1, 2, 3, 4, 5, 6, 7, 8)",
                 {kSensor});
    createReadingsTable(full, kSensor);
    fillReadings(full);
    full.close();
    compareExport(exportPath, dir.path());
    return 0;
}
