#include "triggers/CompareChart.h"

#include "charts/ChartWidget.h"
#include "charts/RateChart.h"

#include <QTimeZone>

namespace {
using Axis = ChartWidget::Axis;

// The chart's x of a wall-clock moment, placed in the system's time zone as the other time
// charts place their readings.
double xOf(const QDateTime& at) {
    return ChartWidget::timeX(QDateTime(at.date(), at.time(), QTimeZone::systemTimeZone()));
}
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
    if (first.isValid()) {
        const QTimeZone zone = QTimeZone::systemTimeZone();
        applyTimeAxis(chart, QDateTime(first.date(), first.time(), zone),
                      QDateTime(last.date(), last.time(), zone));
    }
}
