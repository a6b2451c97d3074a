// Times the displacement-versus-time chart drawn and painted with 10 series of 10,000
// readings beside a bare Qt Charts program (a QChart of plain QLineSeries) painting the points
// the chart draws after its line reduction, in the same run; then opens the main window on a sensor
// with 100,000 readings, visits the tabs "4. Disp v Time", "6. Load v Time" and "4. Disp v Time"
// again and prints the memory the program holds. With "--drawing" or "--memory" it runs only that
// part.

#include "BenchSeams.h"
#include "app/frmQuorvelle.h"
#include "charts/ChartWidget.h"
#include "charts/TimeCharts.h"
#include "store/Clock.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/Schema.h"
#include "ui/AppContext.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QElapsedTimer>
#include <QFile>
#include <QLineSeries>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kNodes = 8; // with the temperature and the head: 10 series
constexpr int kChartRows = 10000;
constexpr int kMemoryRows = 100000;
constexpr int kRepeats = 7;
constexpr double kMemoryTargetMb = 200;
const QSize kChartSize(1100, 650);
const QString kSensor = QStringLiteral("120591001"); // type 91: eight nodes

// Hourly readings: a drifting, noisy displacement per node and a daily temperature swing.
GraphInput chartInput() {
    GraphInput input;
    input.sensor.instrumentId = kSensor;
    input.sensor.nodeCount = kNodes;
    for (int n = 0; n < kNodes; ++n) {
        input.sensor.anchorTexts[n] = QString::number(1.25 + n, 'f', 2);
    }
    input.sensor.scaleText = QStringLiteral("AutoScale");
    // In the system's zone, as the readings are read from the database.
    const QDateTime start(QDate(2015, 1, 1), QTime(8, 0), QTimeZone::systemTimeZone());
    for (int i = 0; i < kChartRows; ++i) {
        GraphRow row;
        row.fullDate = start.addSecs(3600LL * i);
        row.readingDate = row.fullDate.date().toString(QStringLiteral("yyyy/MM/dd"));
        row.numTemp = 15 + 3 * std::sin(i * 2 * M_PI / 24);
        for (int n = 0; n < kNodes; ++n) {
            row.disp[n] = (kNodes - n) * 0.0004 * i + 0.2 * std::sin(i * 0.7 + n);
            row.zero[n] = row.disp[n];
        }
        input.rows << row;
    }
    return input;
}

// Lays the widget out as the event loop would, then paints it.
void paint(QWidget& widget) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    widget.grab();
}

// The floor: a plain QChart with ten QLineSeries on a date-time and a value axis.
class BareChart {
public:
    BareChart() : chart_(new QChart), view_(chart_) {
        chart_->setAnimationOptions(QChart::NoAnimation);
        chart_->addAxis(x_, Qt::AlignBottom);
        chart_->addAxis(y_, Qt::AlignLeft);
        for (int s = 0; s < kNodes + 2; ++s) {
            auto* line = new QLineSeries;
            line->setPen(QPen(ChartWidget::seriesColor(s), 2));
            chart_->addSeries(line);
            line->attachAxis(x_);
            line->attachAxis(y_);
            series_ << line;
        }
        view_.resize(kChartSize);
        view_.show();
    }
    void draw(const QList<QList<QPointF>>& points, double xMin, double xMax, double yMin,
              double yMax) {
        x_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(xMin)),
                     QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(xMax)));
        y_->setRange(yMin, yMax);
        for (int s = 0; s < series_.size(); ++s) {
            series_[s]->replace(points[s]);
        }
        paint(view_);
    }

private:
    QChart* chart_;
    QChartView view_;
    QDateTimeAxis* x_ = new QDateTimeAxis;
    QValueAxis* y_ = new QValueAxis;
    QList<QLineSeries*> series_;
};

struct Timing {
    double best = 0;
    double median = 0;
};

Timing summary(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// A figure of /proc/self/status in megabytes: "VmRSS" now, "VmHWM" at its peak.
double statusMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024;
        }
    }
    return 0;
}

void compareDrawing() {
    const GraphInput input = chartInput();
    ChartWidget chart(11, ChartWidget::XAxisKind::DateTime);
    setupTimeChart(chart);
    chart.resize(kChartSize);
    chart.show();
    BareChart bare;

    // The bare chart gets the very points the chart paints (after its line reduction), in the
    // same series and ranges.
    DrawTgraph(chart, input);
    paint(chart);
    QList<QList<QPointF>> points;
    for (int s = 0; s < kNodes + 2; ++s) {
        points << chart.drawnPoints(s);
    }
    const ChartWidget::AxisSpec x = chart.axisSpec(ChartWidget::Axis::X);
    const ChartWidget::AxisSpec y = chart.axisSpec(ChartWidget::Axis::Y);

    std::vector<double> ours;
    std::vector<double> floor;
    for (int r = 0; r < kRepeats; ++r) {
        ours.push_back(millisecondsOf([&] {
            DrawTgraph(chart, input);
            paint(chart);
        }));
        floor.push_back(millisecondsOf([&] { bare.draw(points, x.min, x.max, y.min, y.max); }));
    }
    const Timing a = summary(ours);
    const Timing b = summary(floor);
    int drawn = 0;
    for (int s = 0; s < kNodes + 2; ++s) {
        drawn += static_cast<int>(chart.drawnPoints(s).size());
    }
    std::printf("Time chart, %d series x %d readings, draw and paint at %dx%d; %d runs each\n",
                kNodes + 2, kChartRows, kChartSize.width(), kChartSize.height(), kRepeats);
    std::printf("  %-44s best %8.1f ms   median %8.1f ms\n", "DrawTgraph and painting the chart",
                a.best, a.median);
    std::printf("  %-44s best %8.1f ms   median %8.1f ms\n", "bare Qt Charts program (floor)",
                b.best, b.median);
    std::printf("  %-44s best %8.2f x    median %8.2f x    (target: within 2 x)\n", "chart / floor",
                a.best / b.best, a.median / b.median);
    std::printf("  points drawn %d of %d\n\n", drawn, (kNodes + 2) * kChartRows);
}

// A register with one eight-node sensor read hourly, every reading ticked for the time charts.
QString memoryDatabase(const QString& folder) {
    const QString path = defaultDatabasePath(folder);
    createDatabaseFile(path);
    Connection db;
    db.open(path);
    db.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, SensorNo, Family, "
               "LengthofCable, HeadLocation, Recess, Plate, kval, NodeLocation1, NodeLocation2, "
               "NodeLocation3, NodeLocation4, NodeLocation5, NodeLocation6, NodeLocation7, "
               "NodeLocation8) VALUES (?, '91', '1205', '91', '001', 'VARLO', 9.5, 1, 0.25, 0, "
               "50, 1, 2, 3, 4, 5, 6, 7, 8)",
               {kSensor});
    createReadingsTable(db, kSensor);
    QStringList channels;
    QStringList columns;
    for (int n = 1; n <= kNodes; ++n) {
        channels << QStringLiteral("printf('%.2f', %1 + i * 0.0001 * %2)").arg(10 * n).arg(n);
        columns << QStringLiteral("Channel%1").arg(n);
    }
    const QString at = QStringLiteral("datetime('2012-01-01 08:00:00', '+' || i || ' hours')");
    db.execute("WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < " +
               QString::number(kMemoryRows - 1) + ") INSERT INTO " + quoteName(kSensor) +
               " (DateTimeKey, FullDate, ReadingDate, ReadingTime, " + columns.join(", ") +
               ", ChannelT, Plottemporal, PlotSpatial) SELECT '" + kSensor + " ' || " + at + ", " +
               at + ", strftime('%Y/%m/%d', " + at + "), strftime('%H:%M:%S', " + at + "), " +
               channels.join(", ") + ", printf('%.1f', 15 + (i % 100) / 10.0), 1, 1 FROM seq");
    return path;
}

void measureMemory() {
    QTemporaryDir dir;
    memoryDatabase(dir.path());
    SilentPrompter prompter;
    NoDesktop desktop;
    SystemClock clock;
    const double before = statusMb("VmRSS");
    {
        frmQuorvelle window(AppContext{dir.path(), &prompter, &desktop, &clock});
        window.show();
        window.Form_Load();
        QApplication::processEvents();
        for (const int tab : {3, 5, 3}) {
            const double ms = millisecondsOf([&] {
                window.SSTab1->setCurrentIndex(tab);
                QApplication::processEvents();
                window.grab();
            });
            std::printf("  entering \"%s\": %.0f ms, resident %.0f MB\n",
                        qPrintable(window.SSTab1->tabText(tab)), ms, statusMb("VmRSS"));
        }
        std::printf("Memory with %d plotted readings after the tabs 4, 6 and 4:\n", kMemoryRows);
        std::printf("  %-44s %8.0f MB   (target: under %.0f MB)\n", "resident", statusMb("VmRSS"),
                    kMemoryTargetMb);
        std::printf("  %-44s %8.0f MB\n", "peak resident", statusMb("VmHWM"));
        std::printf("  %-44s %8.0f MB\n", "before the window (floor)", before);
        window.close();
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    // Memory first, so that its peak is its own.
    if (only != QLatin1String("--drawing")) {
        measureMemory();
    }
    if (only != QLatin1String("--memory")) {
        compareDrawing();
    }
    return 0;
}
