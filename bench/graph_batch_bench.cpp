// Times the chart batch against the same arithmetic done by one SQL statement, and the
// drawing of a long time chart. Prints the figures; takes no arguments.

#include "charts/ChartWidget.h"
#include "charts/GraphBatch.h"
#include "charts/GraphData.h"
#include "charts/TimeCharts.h"
#include "store/Clock.h"
#include "store/Connection.h"
#include "store/Guard.h"
#include "store/Schema.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QString kSensor = QStringLiteral("120581001"); // type 81: eight nodes
constexpr int kNodes = 8;
constexpr int kBatchRows = 100000;
constexpr int kChartRows = 10000;
constexpr int kRepeats = 5;
const QStringList kAnchors = {"1.25", "2.25", "3.25", "4.25", "5.25", "6.25", "7.25", "8.25"};
const QString kKval = QStringLiteral("50");

// Hourly readings, every one ticked for both kinds of chart; the channels drift a little.
void fillReadings(Connection& db, int count) {
    QStringList channels;
    for (int n = 1; n <= kNodes; ++n) {
        channels << QStringLiteral("printf('%.2f', %1 + i * 0.0001 * %2)").arg(10 * n).arg(n);
    }
    QStringList channelColumns;
    for (int n = 1; n <= kNodes; ++n) {
        channelColumns << QStringLiteral("Channel%1").arg(n);
    }
    const QString at = QStringLiteral("datetime('2015-01-01 08:00:00', '+' || i || ' hours')");
    db.execute("WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < " +
               QString::number(count - 1) + ") INSERT INTO " + quoteName(kSensor) +
               " (DateTimeKey, FullDate, ReadingDate, ReadingTime, " + channelColumns.join(", ") +
               ", ChannelT, Plottemporal, PlotSpatial) SELECT '" + kSensor + " ' || " + at + ", " +
               at + ", strftime('%Y/%m/%d', " + at + "), strftime('%H:%M:%S', " + at + "), " +
               channels.join(", ") + ", printf('%.1f', 15 + (i % 100) / 10.0), 1, 1 FROM seq");
}

// The floor: one UPDATE computing what the load batch computes, with the head at the collar.
QString floorSql() {
    const auto change = [](int n) {
        return QStringLiteral("(CAST(Channel%1 AS REAL) - r.c%1)").arg(n);
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
    sets << QStringLiteral("NumTemp = CAST(ChannelT AS REAL)");
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
    return "UPDATE " + quoteName(kSensor) + " SET " + sets.join(", ") + " FROM (SELECT " +
           reference.join(", ") + " FROM " + quoteName(kSensor) +
           " WHERE Plottemporal = 1 ORDER BY FullDate, rowid LIMIT 1) AS r WHERE Plottemporal = 1";
}

struct Timing {
    double best = 0;
    double median = 0;
};

Timing timed(const std::function<void()>& body) {
    std::vector<double> ms;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        body();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

void print(const char* what, const Timing& t) {
    std::printf("%-58s best %9.1f ms   median %9.1f ms\n", what, t.best, t.median);
}

QString openDatabase(const QTemporaryDir& dir, Connection& db, int rows) {
    const QString path = dir.filePath(QStringLiteral("bench_%1.mdb").arg(rows));
    createDatabaseFile(path);
    db.open(path);
    createReadingsTable(db, kSensor);
    fillReadings(db, rows);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SystemClock clock;
    const ErrorLog log{dir.path(), &clock};
    const BatchGeometry geometry{true, kNodes, kAnchors, kKval};

    std::printf("Readings of an eight-node sensor, head at the collar; %d runs each.\n\n",
                kRepeats);
    {
        Connection db;
        openDatabase(dir, db, kBatchRows);
        int written = 0;
        const Timing batch =
            timed([&] { written = GetTemporalLoadData(db, kSensor, geometry, log).rowsWritten; });
        const QString sql = floorSql();
        const Timing floor = timed([&] {
            db.beginTransaction();
            db.execute(sql);
            db.commit();
        });
        std::printf("%d readings (%d written by the batch)\n", kBatchRows, written);
        print("(a) GetTemporalLoadData batch", batch);
        print("(b) one SQL UPDATE doing the same arithmetic (floor)", floor);
        std::printf("%-58s best %9.2f x   median %9.2f x\n\n", "    batch / floor",
                    batch.best / floor.best, batch.median / floor.median);
    }
    {
        Connection db;
        openDatabase(dir, db, kChartRows);
        GetTemporalData(db, kSensor, geometry, log);
        ChartWidget chart(11, ChartWidget::XAxisKind::DateTime);
        setupTimeChart(chart);
        chart.resize(1100, 650);
        GraphInput input;
        input.sensor.instrumentId = kSensor;
        input.sensor.nodeCount = kNodes;
        for (int n = 0; n < kNodes; ++n) {
            input.sensor.anchorTexts[n] = kAnchors[n];
        }
        input.sensor.scaleText = QStringLiteral("AutoScale");
        const Timing read =
            timed([&] { input.rows = readGraphRows(db, kSensor, GraphVariant::Time); });
        const Timing draw = timed([&] { DrawTgraph(chart, input); });
        const Timing paint = timed([&] {
            DrawTgraph(chart, input);
            chart.grab();
        });
        std::printf("%d readings on the time chart\n", kChartRows);
        print("(c) readGraphRows", read);
        print("(c) DrawTgraph", draw);
        print("(c) DrawTgraph and painting the chart", paint);
    }
    return 0;
}
