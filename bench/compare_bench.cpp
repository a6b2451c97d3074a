// Times the compare chart of "9. Site Status" drawn and painted with 20 sensors of 10,000
// readings each beside a bare Qt Charts program (a QChart of plain QLineSeries) painting the
// same points, in the same run, off screen. Also times computing the sensors' series from
// their readings, which the window does before drawing.

#include "charts/ChartWidget.h"
#include "triggers/CompareChart.h"
#include "triggers/CompareSeries.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSensors = kMaxCompared;
constexpr int kReadings = 10000;
constexpr int kRepeats = 7;
const QSize kChartSize(1100, 650);

// Hourly values of each sensor: a drift of its own with some noise.
QList<CompareSeries> compareInput() {
    const QDateTime start(QDate(2015, 1, 1), QTime(8, 0), Qt::UTC);
    QList<CompareSeries> all;
    for (int s = 0; s < kSensors; ++s) {
        CompareSeries series;
        series.instrumentId =
            QStringLiteral("1205%1%2").arg(21 + s % 70).arg(s + 1, 3, 10, QChar('0'));
        for (int i = 0; i < kReadings; ++i) {
            const QDateTime at = start.addSecs(3600LL * i);
            const double disp = (s + 1) * 0.0003 * i + 0.2 * std::sin(i * 0.7 + s);
            series.displacement << TimedValue{at, disp};
            series.rate << TimedValue{at, (s + 1) * 0.0072 + 0.05 * std::cos(i * 0.3 + s)};
        }
        all << series;
    }
    return all;
}

// Readings of one three-node sensor for timing the series' computation.
QList<StatusReading> sensorReadings() {
    const QDateTime start(QDate(2015, 1, 1), QTime(8, 0), Qt::UTC);
    QList<StatusReading> readings;
    for (int i = 0; i < kReadings; ++i) {
        StatusReading r;
        r.at = start.addSecs(3600LL * i);
        r.key = QStringLiteral("120541001 ") + r.at.toString("yyyy/MM/dd HH:mm:ss");
        for (int n = 1; n <= 3; ++n) {
            r.channels << QString::number(10 * n + 0.0001 * n * i + 0.01 * std::sin(i + n), 'f', 2);
        }
        r.channelT = QStringLiteral("18.5");
        r.plotTemporal = i == 0;
        readings << r;
    }
    return readings;
}

void paint(QWidget& widget) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    widget.grab();
}

// The floor: a plain QChart with a QLineSeries per sensor on a date-time and a value axis.
class BareChart {
public:
    BareChart() : chart_(new QChart), view_(chart_) {
        chart_->setAnimationOptions(QChart::NoAnimation);
        chart_->addAxis(x_, Qt::AlignBottom);
        chart_->addAxis(y_, Qt::AlignLeft);
        for (int s = 0; s < kSensors; ++s) {
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

void compareDrawing(CompareMeasure measure, const char* name) {
    const QList<CompareSeries> input = compareInput();
    ChartWidget* chart = makeCompareChart(nullptr);
    chart->resize(kChartSize);
    chart->show();
    BareChart bare;

    drawCompareChart(*chart, input, measure);
    QList<QList<QPointF>> points;
    for (int s = 0; s < kSensors; ++s) {
        points << chart->points(s);
    }
    const ChartWidget::AxisSpec x = chart->axisSpec(ChartWidget::Axis::X);
    const ChartWidget::AxisSpec y = chart->axisSpec(ChartWidget::Axis::Y);

    std::vector<double> ours;
    std::vector<double> floor;
    for (int r = 0; r < kRepeats; ++r) {
        ours.push_back(millisecondsOf([&] {
            drawCompareChart(*chart, input, measure);
            paint(*chart);
        }));
        floor.push_back(millisecondsOf([&] { bare.draw(points, x.min, x.max, y.min, y.max); }));
    }
    const Timing a = summary(ours);
    const Timing b = summary(floor);
    std::printf("Compare chart (%s), %d sensors x %d readings, draw and paint at %dx%d; %d runs "
                "each\n",
                name, kSensors, kReadings, kChartSize.width(), kChartSize.height(), kRepeats);
    std::printf("  %-44s best %8.1f ms   median %8.1f ms\n", "drawCompareChart and painting",
                a.best, a.median);
    std::printf("  %-44s best %8.1f ms   median %8.1f ms\n", "bare Qt Charts program (floor)",
                b.best, b.median);
    std::printf("  %-44s best %8.2f x    median %8.2f x    (target: within 2 x)\n\n",
                "chart / floor", a.best / b.best, a.median / b.median);
    delete chart;
}

void seriesComputation() {
    const QList<StatusReading> readings = sensorReadings();
    const SensorSetup setup{3, true, {"1.00", "3.00", "6.00"}, {}};
    TriggerLevels levels;
    levels.rateWindow = 7;
    levels.minRateReadings = 2;
    std::vector<double> ms;
    for (int r = 0; r < 3; ++r) {
        ms.push_back(
            millisecondsOf([&] { compareSeriesOf("120541001", readings, setup, levels); }));
    }
    const Timing t = summary(ms);
    std::printf("Series of one sensor from %d hourly readings, 7-day rate window; 3 runs\n",
                kReadings);
    std::printf("  %-44s best %8.1f ms   median %8.1f ms   (x %d sensors: %.0f ms)\n\n",
                "compareSeriesOf", t.best, t.median, kSensors, t.median * kSensors);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    compareDrawing(CompareMeasure::Displacement, "displacement");
    compareDrawing(CompareMeasure::Rate, "rate");
    seriesComputation();
    return 0;
}
