// Times the site status of a large register against SQLite reading the same rows. Prints the
// figures; takes no arguments.

#include "store/Connection.h"
#include "store/NativeStatement.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "triggers/SiteStatus.h"
#include "triggers/TriggerLevels.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int kSensors = 1000;
constexpr int kReadings = 1000; // every six hours: 250 days
constexpr int kNodes = 6;       // type 61
constexpr int kRepeats = 3;
const QDateTime kNow(QDate(2026, 12, 8), QTime(9, 0));

QString sensorId(int i) {
    return QStringLiteral("1208%1%2").arg(QStringLiteral("61")).arg(i + 1, 3, 10, QChar('0'));
}

// Serials run to 999 per date code, so the register spreads over two date codes.
QString idOf(int i) {
    return i < 999 ? sensorId(i) : QStringLiteral("120961%1").arg(i - 998, 3, 10, QChar('0'));
}

void fillRegister(Connection& db) {
    createTriggerTables(db);
    QStringList channels;
    for (int n = 1; n <= kNodes; ++n) {
        channels << QStringLiteral("printf('%.2f', %1 + i * 0.003 * %2)").arg(10 * n).arg(7 - n);
    }
    QStringList channelColumns;
    for (int n = 1; n <= kNodes; ++n) {
        channelColumns << QStringLiteral("Channel%1").arg(n);
    }
    const QString at =
        QStringLiteral("datetime('2026-03-31 09:00:00', '+' || (i * 6) || ' hours')");
    db.beginTransaction();
    for (int s = 0; s < kSensors; ++s) {
        const QString id = idOf(s);
        db.execute(QStringLiteral("INSERT INTO Sensors (InstrumentID, SensorType, Level, Location, "
                                  "Borehole, HeadLocation, Recess, LengthofCable, NodeLocation1, "
                                  "NodeLocation2, NodeLocation3, NodeLocation4, NodeLocation5, "
                                  "NodeLocation6, Destroyed) VALUES (?, '61', ?, ?, ?, ?, 0.25, "
                                  "10, 1, 2.5, 4, 5.5, 7, 8.5, 'No')"),
                   {id, QStringLiteral("%1 Level").arg(1000 + 40 * (s % 5)),
                    QStringLiteral("Drive %1").arg(s % 37), QStringLiteral("RB-%1").arg(s), s % 2});
        createReadingsTable(db, id);
        db.execute("WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < " +
                   QString::number(kReadings - 1) + ") INSERT INTO " + quoteName(id) +
                   " (DateTimeKey, FullDate, ReadingDate, ReadingTime, " +
                   channelColumns.join(", ") + ", ChannelT, Plottemporal, PlotSpatial) SELECT '" +
                   id + " ' || strftime('%Y/%m/%d %H:%M:%S', " + at + "), " + at +
                   ", strftime('%Y/%m/%d', " + at + "), strftime('%H:%M:%S', " + at + "), " +
                   channels.join(", ") +
                   ", printf('%.1f', 15 + (i % 10) / 10.0), (i % 4) = 0, 0 FROM seq");
        if (s % 7 == 0) {
            TriggerLevels levels;
            levels.amberDisp = 5.0 + s % 11;
            levels.redDisp = 20.0;
            levels.readingInterval = 1.0;
            db.commit();
            writeTriggerLevels(db, id, levels);
            db.beginTransaction();
        }
    }
    db.commit();
    TriggerLevels site;
    site.amberDisp = 10;
    site.redDisp = 25;
    site.amberRate = 0.5;
    site.redRate = 1;
    writeTriggerLevels(db, kSiteDefaultKey, site);
}

// Wall-clock and processor time: on a shared machine the second shows the work itself.
struct Timing {
    double best = 0;
    double median = 0;
    double cpuBest = 0;
};

Timing timed(const std::function<void()>& body) {
    std::vector<double> ms;
    std::vector<double> cpu;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer timer;
        const std::clock_t start = std::clock();
        timer.start();
        body();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2], *std::min_element(cpu.begin(), cpu.end())};
}

void print(const char* what, const Timing& t) {
    std::printf("%-60s best %8.1f ms  median %8.1f ms  cpu %8.1f ms\n", what, t.best, t.median,
                t.cpuBest);
}

// Reads every text column of every row a statement returns, as the program reads them.
qint64 drain(Connection& db, const QString& sql, int columns) {
    NativeStatement query(db, sql);
    qint64 cells = 0;
    while (query.step()) {
        for (int c = 0; c < columns; ++c) {
            cells += query.textAt(c).size() > 0 ? 1 : 0;
        }
    }
    return cells;
}

QString columns() {
    QStringList c{QStringLiteral("DateTimeKey"), QStringLiteral("FullDate")};
    for (int n = 1; n <= 10; ++n) {
        c << QStringLiteral("Channel%1").arg(n);
    }
    c << QStringLiteral("ChannelT") << QStringLiteral("Plottemporal");
    return c.join(QStringLiteral(", "));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("site.mdb"));
    createDatabaseFile(path);
    Connection db;
    db.open(path);
    QElapsedTimer fill;
    fill.start();
    fillRegister(db);
    std::printf("%d six-node sensors x %d readings (every 6 h), levels on every 7th sensor and "
                "a site default; built in %.1f s; %d runs each.\n\n",
                kSensors, kReadings, static_cast<double>(fill.elapsed()) / 1000.0, kRepeats);

    QList<SiteStatusRow> rows;
    const Timing status = timed([&] { rows = computeSiteStatus(db, kNow); });
    int counts[4] = {};
    for (const SiteStatusRow& row : rows) {
        ++counts[static_cast<int>(row.status.state)];
    }

    QStringList ids;
    for (int s = 0; s < kSensors; ++s) {
        ids << idOf(s);
    }
    const QString cols = columns();
    // The rows the status judges by: the zero reference and the rate window of each sensor.
    const Timing same = timed([&] {
        for (const QString& id : ids) {
            const QString table = quoteName(id);
            // Two index searches on FullDate joined, rather than one condition with OR that
            // makes SQLite read the whole table.
            const QString windowStart =
                "(SELECT datetime(max(FullDate), '-7 days') FROM " + table + ")";
            drain(db,
                  "SELECT " + cols + " FROM (SELECT * FROM " + table +
                      " WHERE Plottemporal = 1 AND FullDate < " + windowStart +
                      " ORDER BY FullDate, rowid LIMIT 1) UNION ALL SELECT " + cols + " FROM " +
                      table + " WHERE FullDate >= " + windowStart + " ORDER BY FullDate",
                  14);
        }
    });
    const Timing all = timed([&] {
        for (const QString& id : ids) {
            drain(db, "SELECT " + cols + " FROM " + quoteName(id) + " ORDER BY FullDate, rowid",
                  14);
        }
    });

    std::printf("%lld rows: %d red, %d amber, %d green, %d grey\n",
                static_cast<long long>(rows.size()), counts[3], counts[2], counts[1], counts[0]);
    print("(a) computeSiteStatus, whole register", status);
    print("(b) floor: the same rows (reference + window), one SELECT a sensor", same);
    print("(c) every reading, one SELECT a sensor", all);
    std::printf("%-60s best %8.2f x   median %8.2f x   cpu %8.2f x\n", "    (a) / (b)",
                status.best / same.best, status.median / same.median,
                status.cpuBest / same.cpuBest);
    return 0;
}
