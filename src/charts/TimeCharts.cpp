#include "charts/TimeCharts.h"

#include "charts/ChartRules.h"
#include "charts/ChartSteps.h"
#include "charts/ChartWidget.h"
#include "charts/RateChart.h"

#include <QTimeZone>
#include <algorithm>
#include <functional>

namespace {

using Axis = ChartWidget::Axis;
using Column = std::function<std::optional<double>(const GraphRow&)>;

// One point per reading that holds a value in the column, x the reading's date and time; the
// points of flagged readings are added to flags when given.
void plot(ChartWidget& chart, int series, const QString& title, const GraphInput& input,
          const Column& column, QList<QPointF>* flags = nullptr) {
    QList<QPointF> points;
    points.reserve(input.rows.size());
    for (const GraphRow& row : input.rows) {
        if (const std::optional<double> y = column(row)) {
            points << QPointF(ChartWidget::timeX(row.fullDate), *y);
            if (flags && input.sensor.flaggedKeys.contains(row.key)) {
                *flags << points.back();
            }
        }
    }
    chart.setSeriesTitle(series, title);
    chart.setPoints(series, points);
    chart.setSeriesVisible(series, true);
}

// Title, cleared series and value axis title: the start of both time charts.
void begin(ChartWidget& chart, const GraphInput& input, const QString& valueTitle) {
    chart.clearTitle();
    chart.setAxisTitle(Axis::X, {});
    chart.addTitleLine(input.sensor.instrumentId);
    if (input.sensor.temperatureCorrected) {
        chart.addTitleLine(QStringLiteral("temperature corrected"));
    }
    for (int i = 0; i < chart.seriesCount(); ++i) {
        chart.clearSeries(i);
        chart.setSeriesVisible(i, false);
    }
    chart.setAxisTitle(Axis::Y, valueTitle);
    chart.setFlagMarks({});
    plot(chart, 0, chart.seriesTitle(0), input,
         [](const GraphRow& row) { return std::optional<double>(row.numTemp); });
}

// Value axis by the time table, then the time axis by the span of the readings.
void finish(ChartWidget& chart, const GraphInput& input) {
    applyValueAxis(chart, ChartKind::Time, input.sensor.scaleText);
    const TimeAxisPlan plan = timeAxisPlan(input.rows);
    chart.setAxisLabelFormat(Axis::X, plan.labelFormat);
    chart.setAxisTitle(Axis::X, plan.title);
    chart.setAxisRange(Axis::X, ChartWidget::timeX(plan.min), ChartWidget::timeX(plan.max));
    chart.setAxisStep(Axis::X, static_cast<double>(plan.stepMs));
}

Column dispColumn(int node) {
    return [node](const GraphRow& row) { return row.disp.at(node - 1); };
}

Column loadColumn(int pair) {
    return [pair](const GraphRow& row) { return row.load.at(pair - 1); };
}

} // namespace

void setupTimeChart(ChartWidget& chart) {
    chart.setSeriesTitle(0, QStringLiteral("Temp (C)"));
    // Degrees beside millimetres or kilonewtons would squeeze one scale or the other.
    chart.setRightAxis(0, QStringLiteral("Temperature (°C)"));
    chart.setAxisLabelAngle(Axis::X, 345);
    chart.setLegendTitle(QStringLiteral("Node Locations:"));
}

void DrawTgraph(ChartWidget& chart, const GraphInput& input) {
    const ChartWidget::Drawing drawing(chart);
    begin(chart, input, QStringLiteral("Displacement (mm)"));
    QList<QPointF> flags;
    // A node count out of range draws the temperature alone; the chart page logs it.
    if (nodeCountInRange(input.sensor)) {
        const GraphSensor& sensor = input.sensor;
        const int n = sensor.nodeCount;
        const auto label = [&](int node) {
            return sensor.anchorTexts.at(node - 1) + QStringLiteral(" m");
        };
        const QString head = QStringLiteral("Head");
        if (sensor.headAtCollar) {
            // Deepest node first; the head carries the change of the last channel.
            for (int i = 1; i <= n; ++i) {
                plot(chart, i, label(n - i + 1), input, dispColumn(n - i + 1), &flags);
            }
            plot(
                chart, n + 1, head, input, [n](const GraphRow& row) { return row.zero.at(n - 1); },
                &flags);
        } else {
            plot(
                chart, 1, head, input, [](const GraphRow& row) { return row.reference; }, &flags);
            for (int i = 2; i <= n + 1; ++i) {
                plot(chart, i, label(i - 1), input, dispColumn(i - 1), &flags);
            }
        }
    }
    finish(chart, input);
    chart.setFlagMarks(flags);
    // The sensor's displacement levels, across the time axis just set.
    chart.setLevelLines(amberRedLines(input.sensor.amberDisp, input.sensor.redDisp));
    chart.setMarkerLines(revisionMarkers(input.sensor));
}

QList<ChartWidget::MarkerLine> revisionMarkers(const GraphSensor& sensor) {
    QList<ChartWidget::MarkerLine> markers;
    for (const SensorRevision& r : sensor.revisions) {
        const QDateTime at =
            QDateTime::fromString(r.fromDate, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!at.isValid()) {
            continue;
        }
        QString label = QStringLiteral("No. %1 %2").arg(r.id).arg(revisionKindShown(r.kind));
        if (r.node > 0) {
            label += QStringLiteral(" (node %1)").arg(r.node);
        }
        markers << ChartWidget::MarkerLine{
            label,
            ChartWidget::timeX(QDateTime(at.date(), at.time(), QTimeZone::systemTimeZone()))};
    }
    return markers;
}

void DrawLVTgraph(ChartWidget& chart, const GraphInput& input) {
    const ChartWidget::Drawing drawing(chart);
    begin(chart, input, QStringLiteral("Load (kN)"));
    QList<QPointF> flags;
    if (nodeCountInRange(input.sensor)) {
        const GraphSensor& sensor = input.sensor;
        const int pairs = std::min(sensor.nodeCount - 1, 5);
        const auto label = [&](int pair) {
            return sensor.loadLocations.at(pair - 1) + QStringLiteral(" m");
        };
        for (int i = 1; i <= pairs; ++i) {
            const int pair = sensor.headAtCollar ? pairs - i + 1 : i;
            plot(chart, i, label(pair), input, loadColumn(pair), &flags);
        }
    }
    finish(chart, input);
    chart.setFlagMarks(flags);
    chart.setMarkerLines(revisionMarkers(input.sensor));
}
