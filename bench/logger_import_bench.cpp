// Times the whole logger import path (staging with the pre-selection, the review grid's first
// screen, the append of every marked row in one transaction) for generated files of 10,000,
// 100,000 and 1,000,000 lines at the intervals 1 and 24, beside the floor: the sqlite3 shell's
// .import of the same file into a table of 16 text columns, in the same run. At the interval 1
// the append runs a second time as the window runs it, on a connection of its own that records
// every reading in the audit trail, beside a floor doing the same work: the same .import into a
// table whose trigger writes every row as a JSON object into the program's AuditLog table. Each
// import and each floor runs in a process of its own, started by quorvelle_child_peak (built
// beside this program), which gives that process's own peak memory. Prints seconds and peak
// memory; takes no arguments. Needs the sqlite3 shell on the PATH for the floors.

#include "logger/LoggerAppend.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerGridModel.h"
#include "store/AuditLog.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstdio>
#include <cstdlib>

namespace {

const QString kSensor = QStringLiteral("120591001"); // type 91: eight nodes

// Hourly readings from 2015 on, 16 fields each, as a logger writes them.
void writeLoggerFile(const QString& path, int lines) {
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    const QDateTime start(QDate(2015, 1, 1), QTime(8, 0), QTimeZone::utc());
    QByteArray block;
    for (int i = 0; i < lines; ++i) {
        block += start.addSecs(3600LL * i).toString("yyyy/MM/dd HH:mm:ss").toLatin1();
        block += ",T7,91,001," + QByteArray::number(15 + (i % 100) / 10.0, 'f', 2);
        for (int n = 1; n <= 10; ++n) {
            block += ',' + QByteArray::number(10 * n + i * 0.0001 * n, 'f', 3);
        }
        block += ",0\r\n";
        if (block.size() > (1 << 20)) {
            out.write(block);
            block.clear();
        }
    }
    out.write(block);
}

struct Figures {
    double seconds = 0;
    double peakMiB = 0;
    int appended = 0;
    int recorded = 0;
};

// With audited, the append goes through appendLoggerRowsAt, which records the rows in the
// audit trail as the window's import does.
Figures importPath(const QString& folder, const QString& file, int interval, bool audited) {
    const QString dbPath = folder + "/bench.mdb";
    QFile::remove(dbPath);
    createDatabaseFile(dbPath);
    Connection db;
    db.open(dbPath);
    db.execute(QStringLiteral("INSERT INTO Sensors (InstrumentID, SensorType) VALUES (?, '91')"),
               {kSensor});
    createReadingsTable(db, kSensor);
    if (audited) {
        db.close();
    }

    QElapsedTimer timer;
    timer.start();
    StageResult staged = stageLoggerFile(folder, file, interval, DateOrder::DayMonthYear);
    LoggerGridModel model;
    model.fill(std::move(staged.stage));
    {
        QTableView view;
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.setModel(&model);
        view.resize(1100, 500);
        view.show();
        view.grab();
    }
    LoggerAppendOptions options;
    options.instrumentId = kSensor;
    options.channelCount = 9;
    const LoggerAppendResult result =
        audited ? appendLoggerRowsAt(dbPath, QStringLiteral("bench"), kSensor, model.stage(),
                                     model.marks(), options)
                : appendLoggerRows(db, kSensor, model.stage(), model.marks(), options);
    model.clear();
    Figures figures;
    figures.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    figures.appended = result.appended;
    if (audited) {
        db.open(dbPath);
        figures.recorded = db.scalar(QStringLiteral("SELECT count(*) FROM AuditLog WHERE "
                                                    "TableName = ? AND Operation = 'INSERT'"),
                                     {kSensor})
                               .toInt();
    }
    return figures;
}

// Runs the command under quorvelle_child_peak; the command's standard output, whose last line
// gives its peak. Empty when it could not run.
QByteArray measured(const QString& program, const QStringList& arguments) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationDirPath() + "/quorvelle_child_peak",
                QStringList{program} + arguments);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        return {};
    }
    return child.readAllStandardOutput();
}

// The figures of a measured run: its peak, its seconds, and what it told on "appended" and
// "seconds" lines of its own.
Figures figuresOf(const QByteArray& output) {
    Figures figures;
    figures.seconds = -1;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 4 && words[0] == "peak-kib") {
            figures.peakMiB = words[1].toDouble() / 1024.0;
            if (figures.seconds < 0) {
                figures.seconds = words[3].toDouble();
            }
        } else if (words.size() == 4 && words[0] == "imported") {
            figures.appended = words[1].toInt();
            figures.seconds = words[2].toDouble();
            figures.recorded = words[3].toInt();
        }
    }
    return figures;
}

// The sqlite3 shell's CSV import of the file into a new database; negative seconds when the
// shell is missing. With the trail, every row imported is also written into the program's
// AuditLog table, as its JSON object of column to value, by a temporary trigger, as the
// program's own connection records an import.
Figures floorImport(const QString& folder, const QString& file, bool withTrail) {
    const QString dbPath = folder + "/floor.db";
    QFile::remove(dbPath);
    QStringList columns;
    QStringList json = {QStringLiteral("'rowid', NEW.rowid")};
    for (int c = 0; c < 16; ++c) {
        columns << QStringLiteral("c%1 TEXT").arg(c);
        json << QStringLiteral("'c%1', NEW.c%1").arg(c);
    }
    QStringList script = {"CREATE TABLE t (" + columns.join(", ") + ")"};
    if (withTrail) {
        // An empty file is an empty database.
        QFile(dbPath).open(QIODevice::WriteOnly);
        Connection db;
        db.open(dbPath);
        db.beginTransaction();
        createAuditTableWithin(db);
        db.commit();
        script << "CREATE TEMP TRIGGER t_trail AFTER INSERT ON main.t BEGIN INSERT INTO AuditLog "
                  "(ChangedAt, ChangedBy, ChangeSet, TableName, InstrumentID, RowKey, Operation, "
                  "Before, After) VALUES (strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime'), "
                  "'floor', 1, 't', 't', NEW.rowid, 'INSERT', NULL, json_object(" +
                      json.join(", ") + ")); END";
    }
    script << QStringLiteral(".mode csv") << ".import " + file + " t";
    return figuresOf(measured("sqlite3", QStringList{dbPath} + script));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A measured import: --import <folder> <file> <interval>, or --import-audited with the same.
    if (argc == 5 &&
        (QByteArray(argv[1]) == "--import" || QByteArray(argv[1]) == "--import-audited")) {
        const Figures import =
            importPath(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                       std::atoi(argv[4]), QByteArray(argv[1]) == "--import-audited");
        std::printf("imported %d %.4f %d\n", import.appended, import.seconds, import.recorded);
        return 0;
    }
    QTemporaryDir dir;
    std::printf("%10s %8s %7s %10s %10s %8s %12s %10s\n", "lines", "interval", "trail", "import s",
                "floor s", "ratio", "import MiB", "floor MiB");
    for (const int lines : {10000, 100000, 1000000}) {
        const QString file = dir.filePath(QStringLiteral("QV%1.txt").arg(lines));
        writeLoggerFile(file, lines);
        for (const int interval : {1, 24}) {
            const Figures floor = floorImport(dir.path(), file, false);
            for (const bool audited : {false, true}) {
                if (audited && interval != 1) {
                    continue;
                }
                const Figures import =
                    figuresOf(measured(QCoreApplication::applicationFilePath(),
                                       {audited ? "--import-audited" : "--import", dir.path(), file,
                                        QString::number(interval)}));
                std::printf("%10d %8d %7s %10.2f %10.2f %7.2fx %12.1f %10.1f   (%d appended, %d in "
                            "the trail)\n",
                            lines, interval, audited ? "on" : "off", import.seconds, floor.seconds,
                            floor.seconds > 0 ? import.seconds / floor.seconds : 0.0,
                            import.peakMiB, floor.peakMiB, import.appended, import.recorded);
                if (audited) {
                    const Figures trailFloor = floorImport(dir.path(), file, true);
                    std::printf("%10s %8s %7s %10s %10.2f %7.2fx %12s %10.1f   (floor: .import "
                                "with the trail's trigger)\n",
                                "", "", "", "", trailFloor.seconds,
                                trailFloor.seconds > 0 ? import.seconds / trailFloor.seconds : 0.0,
                                "", trailFloor.peakMiB);
                }
                std::fflush(stdout);
            }
        }
        QFile::remove(file);
    }
    return 0;
}
