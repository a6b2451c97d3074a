// Times the site server paths beside their floors on the same server in the same run: the
// logger import of 100,000 lines (staging and the append) against psql's \copy of the rows it
// stored into a readings table like its own (and, for reference, of the raw file into 16 text
// columns without an index), and the chart batch with loads against one SQL UPDATE doing the
// same arithmetic. Run it where libpq's PGHOST, PGPORT, PGUSER and PGPASSWORD name a server
// that lets the user create a database (pg_virtualenv quorvelle_server_bench); takes no
// arguments. Needs psql on the PATH for the floors. Last, the datasheet export of the batch's
// 100,000 readings, in a process of its own under quorvelle_child_peak, beside psql's \copy of
// the same columns in the same order to a file (which streams them); the export's growth over
// the same process only opening the register shows what the rows cost it.

#include "charts/GraphBatch.h"
#include "logger/LoggerAppend.h"
#include "logger/LoggerFile.h"
#include "readings/DatasheetData.h"
#include "store/Clock.h"
#include "store/Connection.h"
#include "store/Guard.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <libpq-fe.h>
#include <vector>

namespace {

const QString kLoggerSensor = QStringLiteral("120591001"); // type 91: eight nodes
const QString kBatchSensor = QStringLiteral("120581001");  // type 81: eight nodes
constexpr int kLines = 100000;
constexpr int kBatchRows = 100000;
constexpr int kNodes = 8;
constexpr int kRepeats = 3;
const QStringList kAnchors = {"1.25", "2.25", "3.25", "4.25", "5.25", "6.25", "7.25", "8.25"};
const QString kKval = QStringLiteral("50");

bool maintenance(const QString& sql) {
    PGconn* conn = PQconnectdb("dbname=postgres connect_timeout=5");
    bool ok = PQstatus(conn) == CONNECTION_OK;
    if (ok) {
        PGresult* result = PQexec(conn, sql.toUtf8().constData());
        ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        if (!ok) {
            std::fprintf(stderr, "%s", PQresultErrorMessage(result));
        }
        PQclear(result);
    } else {
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
    }
    PQfinish(conn);
    return ok;
}

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
    }
    out.write(block);
}

double median(std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

double timed(const std::function<void()>& body) {
    QElapsedTimer timer;
    timer.start();
    body();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Staging and appending the whole file into an empty readings table.
double importPath(Connection& db, const QString& folder, const QString& file, int& appended) {
    db.execute("DROP TABLE IF EXISTS " + quoteName(kLoggerSensor));
    createReadingsTable(db, kLoggerSensor);
    return timed([&] {
        const StageResult staged = stageLoggerFile(folder, file, 1, DateOrder::DayMonthYear);
        LoggerAppendOptions options;
        options.instrumentId = kLoggerSensor;
        options.channelCount = 9;
        appended =
            appendLoggerRows(db, kLoggerSensor, staged.stage, staged.stage.marks, options).appended;
    });
}

// Runs one psql command on the database; the seconds it took, negative when it failed.
double psqlSeconds(const QString& database, const QString& command) {
    QProcess psql;
    const double seconds = timed([&] {
        psql.start("psql", {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-d", database, "-c", command});
        psql.waitForFinished(-1);
    });
    return psql.exitStatus() == QProcess::NormalExit && psql.exitCode() == 0 ? seconds : -1;
}

// The columns the import fills.
QString importedColumns() {
    QStringList columns = {"DateTimeKey", "ReadingDate", "ReadingTime", "FullDate",
                           "ChannelT",    "IsDirty",     "PlotSpatial", "Plottemporal"};
    for (int k = 1; k <= kChannelColumns; ++k) {
        columns << QStringLiteral("Channel%1").arg(k);
    }
    return columns.join(", ");
}

// psql's \copy of the rows the import stored, from a CSV file of them, into an empty readings
// table like the import's (same columns, same indexes).
double floorSameRows(Connection& db, const QString& database, const QString& rowsFile) {
    db.execute(QStringLiteral("DROP TABLE IF EXISTS floor_rows"));
    createReadingsTable(db, QStringLiteral("floor_rows"));
    return psqlSeconds(database, "\\copy floor_rows (" + importedColumns() + ") FROM '" + rowsFile +
                                     "' WITH (FORMAT csv)");
}

// psql's \copy of the logger file itself into a table of 16 text columns without an index.
double floorRawFile(Connection& db, const QString& database, const QString& file) {
    QStringList columns;
    for (int c = 0; c < 16; ++c) {
        columns << QStringLiteral("c%1 text").arg(c);
    }
    db.execute(QStringLiteral("DROP TABLE IF EXISTS floor_import"));
    db.execute("CREATE TABLE floor_import (" + columns.join(", ") + ")");
    return psqlSeconds(database, "\\copy floor_import FROM '" + file + "' WITH (FORMAT csv)");
}

void fillReadings(Connection& db, int count) {
    QStringList columns;
    QStringList values;
    for (int n = 1; n <= kNodes; ++n) {
        columns << QStringLiteral("Channel%1").arg(n);
        values
            << QStringLiteral("to_char(%1 + i * 0.0001 * %2, 'FM9999990.00')").arg(10 * n).arg(n);
    }
    const QString at = QStringLiteral("(timestamp '2015-01-01 08:00:00' + i * interval '1 hour')");
    db.execute("INSERT INTO " + quoteName(kBatchSensor) +
               " (DateTimeKey, FullDate, ReadingDate, ReadingTime, " + columns.join(", ") +
               ", ChannelT, Plottemporal, PlotSpatial) SELECT '" + kBatchSensor + " ' || to_char(" +
               at + ", 'YYYY/MM/DD HH24:MI:SS'), to_char(" + at +
               ", 'YYYY-MM-DD HH24:MI:SS'), to_char(" + at + ", 'YYYY/MM/DD'), to_char(" + at +
               ", 'HH24:MI:SS'), " + values.join(", ") +
               ", to_char(15 + (i % 100) / 10.0, 'FM990.0'), 1, 1 FROM generate_series(0, " +
               QString::number(count - 1) + ") AS i");
}

// The floor: one UPDATE computing what the load batch computes, with the head at the collar.
QString floorSql() {
    const auto change = [](int n) {
        return QStringLiteral("(CAST(Channel%1 AS double precision) - CAST(r.c%1 AS double "
                              "precision))")
            .arg(n);
    };
    QStringList sets;
    QStringList reference;
    for (int n = 1; n <= 10; ++n) {
        sets << QStringLiteral("zero%1 = CASE WHEN Channel%1 IS NULL OR Channel%1 = '' THEN 0 "
                               "ELSE %2 END")
                    .arg(n)
                    .arg(change(n));
        reference << QStringLiteral("Channel%1 AS c%1").arg(n);
    }
    sets << QStringLiteral("NumTemp = CAST(ChannelT AS double precision)");
    const auto disp = [&](int n) {
        return QStringLiteral("(%1 - %2)").arg(change(kNodes), change(n));
    };
    for (int n = 1; n <= kNodes; ++n) {
        sets << QStringLiteral("Disp%1 = %2").arg(n).arg(disp(n));
    }
    for (int i = 1; i <= 5; ++i) {
        const double spacing = kAnchors[i].toDouble() - kAnchors[i - 1].toDouble();
        sets << QStringLiteral("Load%1 = (%2 - %3) / %4 * %5")
                    .arg(i)
                    .arg(disp(i), disp(i + 1))
                    .arg(spacing)
                    .arg(kKval);
    }
    return "UPDATE " + quoteName(kBatchSensor) + " SET " + sets.join(", ") + " FROM (SELECT " +
           reference.join(", ") + " FROM " + quoteName(kBatchSensor) +
           " WHERE Plottemporal = 1 ORDER BY FullDate, rowid LIMIT 1) AS r WHERE Plottemporal = 1";
}

// The child of an export run: opens the register at uri and, when given a sensor, exports its
// readings to file. Prints "exported <seconds>", the time of the export alone.
int runExport(const QString& uri, const QString& sensor, const QString& file) {
    Connection db;
    db.open(uri);
    if (sensor.isEmpty()) {
        std::printf("exported 0\n");
        return 0;
    }
    int written = 0;
    const double seconds = timed(
        [&] { written = writeDatasheetWorkbook(db, sensor, datasheetTypeDigit(sensor), file); });
    std::printf("exported %.4f\n", seconds);
    return written == kBatchRows ? 0 : 1;
}

struct Measured {
    double seconds = -1;
    double peakMiB = 0;
};

// Runs the command under quorvelle_child_peak: its peak, and its seconds (its own "exported"
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--export") == 0) {
        return runExport(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         QString::fromLocal8Bit(argv[4]));
    }
    const QString database = QStringLiteral("quorvelle_bench_%1").arg(app.applicationPid());
    if (!maintenance("CREATE DATABASE " + database)) {
        std::fprintf(stderr, "No PostgreSQL server to measure on (run under pg_virtualenv).\n");
        return 1;
    }
    QUrl uri;
    uri.setScheme(QStringLiteral("postgresql"));
    uri.setUserName(qEnvironmentVariable("PGUSER"));
    uri.setHost(qEnvironmentVariable("PGHOST", QStringLiteral("localhost")));
    uri.setPort(qEnvironmentVariableIntValue("PGPORT") > 0 ? qEnvironmentVariableIntValue("PGPORT")
                                                           : 5432);
    uri.setPath('/' + database);
    int status = 0;
    {
        QTemporaryDir dir;
        SystemClock clock;
        const ErrorLog log{dir.path(), &clock};
        Connection db;
        db.open(uri.toString());
        createSchema(db);

        const QString file = dir.filePath(QStringLiteral("QV%1.txt").arg(kLoggerSensor));
        writeLoggerFile(file, kLines);
        std::vector<double> imports;
        std::vector<double> sameRows;
        std::vector<double> rawFile;
        int appended = 0;
        const QString rowsFile = dir.filePath(QStringLiteral("rows.csv"));
        for (int r = 0; r < kRepeats; ++r) {
            rawFile.push_back(floorRawFile(db, database, file));
            imports.push_back(importPath(db, dir.path(), file, appended));
            if (r == 0 && psqlSeconds(database, "\\copy (SELECT " + importedColumns() + " FROM " +
                                                    quoteName(kLoggerSensor) + ") TO '" + rowsFile +
                                                    "' WITH (FORMAT csv)") < 0) {
                status = 1;
            }
            sameRows.push_back(floorSameRows(db, database, rowsFile));
        }
        const double importS = median(imports);
        const double sameS = median(sameRows);
        const double rawS = median(rawFile);
        std::printf("Logger import of %d lines (%d appended), median of %d runs:\n", kLines,
                    appended, kRepeats);
        std::printf("  import %8.3f s   floor (psql \\copy of the same rows into a readings "
                    "table) %8.3f s   ratio %5.2fx   target <= 2x\n",
                    importS, sameS, sameS > 0 ? importS / sameS : 0.0);
        std::printf("  import %8.3f s   psql \\copy of the raw file into 16 text columns, no "
                    "index %8.3f s   ratio %5.2fx\n",
                    importS, rawS, rawS > 0 ? importS / rawS : 0.0);

        createReadingsTable(db, kBatchSensor);
        fillReadings(db, kBatchRows);
        const BatchGeometry geometry{true, kNodes, kAnchors, kKval};
        std::vector<double> batches;
        std::vector<double> updates;
        int written = 0;
        const QString sql = floorSql();
        for (int r = 0; r < kRepeats; ++r) {
            batches.push_back(timed([&] {
                written = GetTemporalLoadData(db, kBatchSensor, geometry, log).rowsWritten;
            }));
            updates.push_back(timed([&] {
                db.beginTransaction();
                db.execute(sql);
                db.commit();
            }));
        }
        const double batchS = median(batches);
        const double updateS = median(updates);
        std::printf("Chart batch with loads over %d readings (%d written), median of %d runs:\n",
                    kBatchRows, written, kRepeats);
        std::printf(
            "  batch  %8.3f s   floor (one UPDATE)  %8.3f s   ratio %5.2fx   target <= 3x\n",
            batchS, updateS, updateS > 0 ? batchS / updateS : 0.0);
        if (appended != kLines || written != kBatchRows) {
            status = 1;
        }

        // The columns the datasheet shows, as the export reads them.
        QStringList exported = {"DateTimeKey", "ReadingDate", "ReadingTime", "ChannelT"};
        for (int n = 1; n < datasheetTypeDigit(kBatchSensor); ++n) {
            exported << QStringLiteral("Channel%1").arg(n);
        }
        const QString self = QCoreApplication::applicationFilePath();
        const QString book = dir.filePath(QStringLiteral("export.xlsx"));
        const QString csv = dir.filePath(QStringLiteral("export.csv"));
        std::vector<double> exportS, exportMiB, openMiB, copyS, copyMiB;
        for (int r = 0; r < kRepeats; ++r) {
            const Measured run = measured(self, {"--export", uri.toString(), kBatchSensor, book});
            const Measured opened = measured(self, {"--export", uri.toString(), "", book});
            const Measured copy =
                measured("psql", {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-d", database, "-c",
                                  "\\copy (SELECT " + exported.join(", ") + " FROM " +
                                      quoteName(kBatchSensor) + " ORDER BY FullDate, rowid) TO '" +
                                      csv + "' WITH (FORMAT csv)"});
            if (run.seconds < 0 || opened.seconds < 0 || copy.seconds < 0) {
                status = 1;
            }
            exportS.push_back(run.seconds);
            exportMiB.push_back(run.peakMiB);
            openMiB.push_back(opened.peakMiB);
            copyS.push_back(copy.seconds);
            copyMiB.push_back(copy.peakMiB);
        }
        std::printf("Datasheet export of %d readings, median of %d runs:\n", kBatchRows, kRepeats);
        std::printf("  export %8.3f s  %6.1f MiB peak (%5.1f MiB over only opening the "
                    "register)   floor (psql \\copy of the same columns to a file) %8.3f s  "
                    "%6.1f MiB\n",
                    median(exportS), median(exportMiB), median(exportMiB) - median(openMiB),
                    median(copyS), median(copyMiB));
    }
    maintenance("DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
    return status;
}
