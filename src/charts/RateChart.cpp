#include "charts/RateChart.h"

#include "charts/ChartRules.h"
#include "charts/ChartSteps.h"
#include "charts/NodeRates.h"

#include <algorithm>

namespace {
using Axis = ChartWidget::Axis;
}

QList<ChartWidget::LevelLine> amberRedLines(const std::optional<double>& amber,
                                            const std::optional<double>& red) {
    QList<ChartWidget::LevelLine> lines;
    if (amber) {
        lines << ChartWidget::LevelLine{QStringLiteral("Amber"), QColor(255, 176, 0), *amber};
    }
    if (red) {
        lines << ChartWidget::LevelLine{QStringLiteral("Red"), QColor(220, 0, 0), *red};
    }
    return lines;
}

void fitValueAxis(ChartWidget& chart, const QList<double>& levels) {
    auto [lo, hi] = chart.shownYRange().value_or(std::pair{0.0, 0.0});
    for (const double level : levels) {
        lo = std::min(lo, level);
        hi = std::max(hi, level);
    }
    lo = std::min(lo, 0.0);
    hi = std::max(hi, 0.0);
    const double room = hi > lo ? (hi - lo) * 0.05 : 1.0;
    chart.setAxisRange(Axis::Y, lo - room, hi + room);
    chart.setAxisStep(Axis::Y, 0);
}

void applyTimeAxis(ChartWidget& chart, const QDateTime& first, const QDateTime& last) {
    QList<GraphRow> span(2);
    span[0].fullDate = first;
    span[1].fullDate = last;
    const TimeAxisPlan plan = timeAxisPlan(span);
    chart.setAxisLabelFormat(Axis::X, plan.labelFormat);
    chart.setAxisTitle(Axis::X, plan.title);
    chart.setAxisRange(Axis::X, ChartWidget::timeX(plan.min), ChartWidget::timeX(plan.max));
    chart.setAxisStep(Axis::X, static_cast<double>(plan.stepMs));
}

void DrawRateGraph(ChartWidget& chart, const GraphInput& input) {
    const ChartWidget::Drawing drawing(chart);
    const GraphSensor& sensor = input.sensor;
    chart.clearTitle();
    chart.addTitleLine(sensor.instrumentId);
    if (sensor.temperatureCorrected) {
        chart.addTitleLine(QStringLiteral("temperature corrected"));
    }
    chart.addTitleLine(QStringLiteral("rate over %1 days").arg(sensor.rateWindow, 0, 'g', 6));
    for (int i = 0; i < chart.seriesCount(); ++i) {
        chart.clearSeries(i);
        chart.setSeriesVisible(i, false);
    }
    chart.setAxisTitle(Axis::Y, QStringLiteral("Rate (mm/day)"));
    QList<QPointF> temperature;
    for (const GraphRow& row : input.rows) {
        temperature << QPointF(ChartWidget::timeX(row.fullDate), row.numTemp);
    }
    chart.setPoints(0, temperature);
    chart.setSeriesVisible(0, true);
    // A node count out of range draws the temperature alone; the chart page logs it.
    if (nodeCountInRange(sensor)) {
        const int n = sensor.nodeCount;
        // The nodes in the series the displacement chart gives them; the head has no rate.
        for (int node = 1; node <= n; ++node) {
            const int series = sensor.headAtCollar ? n - node + 1 : node + 1;
            chart.setSeriesTitle(series, sensor.anchorTexts.at(node - 1) + QStringLiteral(" m"));
            chart.setPoints(series, nodeRatePoints(input.rows, node, sensor.rateWindow,
                                                   sensor.minRateReadings));
            chart.setSeriesVisible(series, true);
        }
    }
    QList<double> levels;
    for (const auto& level : {sensor.amberRate, sensor.redRate}) {
        if (level) {
            levels << *level;
        }
    }
    fitValueAxis(chart, levels);
    if (!input.rows.isEmpty()) {
        applyTimeAxis(chart, input.rows.first().fullDate, input.rows.last().fullDate);
    }
    chart.setLevelLines(amberRedLines(sensor.amberRate, sensor.redRate));
}
