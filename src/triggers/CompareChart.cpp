#include "triggers/CompareChart.h"

#include "charts/ChartWidget.h"
#include "charts/RateChart.h"

#include <QTimeZone>
#include <limits>

namespace {
using Axis = ChartWidget::Axis;

// The chart's x of wall-clock moments, placed in the system's time zone as the other time
// charts place their readings. Looking the zone up and converting through it costs file
// lookups per moment, so the zone is taken once and its offset reused for the moments well
// clear of its transitions; those near one are converted through the zone itself.
class WallClockX {
public:
    double operator()(const QDateTime& at) {
        const qint64 wall = QDateTime(at.date(), at.time(), Qt::UTC).toMSecsSinceEpoch();
        if (wall < from_ || wall >= until_) {
            learnOffsetAt(at, wall);
        }
        if (wall >= from_ && wall < until_) {
            return static_cast<double>(wall - offset_);
        }
        return ChartWidget::timeX(QDateTime(at.date(), at.time(), zone_));
    }

private:
    void learnOffsetAt(const QDateTime& at, qint64 wall) {
        constexpr qint64 kMargin = 2LL * 86400000;
        const QDateTime placed(at.date(), at.time(), zone_);
        const qint64 real = placed.toMSecsSinceEpoch();
        from_ = std::numeric_limits<qint64>::min();
        until_ = std::numeric_limits<qint64>::max();
        offset_ = wall - real;
        if (zone_.hasTransitions()) {
            const QTimeZone::OffsetData before = zone_.previousTransition(placed);
            const QTimeZone::OffsetData after = zone_.nextTransition(placed);
            if (before.atUtc.isValid()) {
                from_ = before.atUtc.toMSecsSinceEpoch() + offset_ + kMargin;
            }
            if (after.atUtc.isValid()) {
                until_ = after.atUtc.toMSecsSinceEpoch() + offset_ - kMargin;
            }
        }
    }

    QTimeZone zone_ = QTimeZone::systemTimeZone();
    qint64 offset_ = 0;
    // The wall-clock span (as if UTC) over which offset_ holds; empty before the first moment.
    qint64 from_ = 1;
    qint64 until_ = 0;
};
} // namespace

ChartWidget* makeCompareChart(QWidget* parent) {
    auto* chart = new ChartWidget(kMaxCompared, ChartWidget::XAxisKind::DateTime, parent);
    chart->setObjectName(QStringLiteral("ChartCompare"));
    chart->setAxisLabelAngle(Axis::X, 345);
    chart->setLegendTitle(QStringLiteral("Sensors:"));
    return chart;
}

void drawCompareChart(ChartWidget& chart, const QList<CompareSeries>& sensors,
                      CompareMeasure measure) {
    const ChartWidget::Drawing drawing(chart);
    chart.clearTitle();
    chart.addTitleLine(measure == CompareMeasure::Rate
                           ? QStringLiteral("Rate of the largest displacement")
                           : QStringLiteral("Largest node displacement"));
    chart.setAxisTitle(Axis::Y, measure == CompareMeasure::Rate
                                    ? QStringLiteral("Rate (mm/day)")
                                    : QStringLiteral("Displacement (mm)"));
    QDateTime first;
    QDateTime last;
    WallClockX xOf;
    for (int i = 0; i < chart.seriesCount(); ++i) {
        chart.clearSeries(i);
        if (i >= sensors.size()) {
            chart.setSeriesVisible(i, false);
            continue;
        }
        const CompareSeries& sensor = sensors[i];
        const QList<TimedValue>& values =
            measure == CompareMeasure::Rate ? sensor.rate : sensor.displacement;
        QList<QPointF> points;
        points.reserve(values.size());
        for (const TimedValue& v : values) {
            points << QPointF(xOf(v.at), v.value);
        }
        if (!values.isEmpty()) {
            first = first.isValid() ? std::min(first, values.first().at) : values.first().at;
            last = last.isValid() ? std::max(last, values.last().at) : values.last().at;
        }
        chart.setSeriesTitle(i, sensor.instrumentId);
        chart.setPoints(i, points);
        chart.setSeriesVisible(i, true);
    }
    fitValueAxis(chart, {});
    // Without a reading there is no time to show: the axis' default range would read 1970.
    chart.setAxisLabelsVisible(Axis::X, first.isValid());
    if (first.isValid()) {
        const QTimeZone zone = QTimeZone::systemTimeZone();
        applyTimeAxis(chart, QDateTime(first.date(), first.time(), zone),
                      QDateTime(last.date(), last.time(), zone));
    }
}
