#include "charts/LengthCharts.h"

#include "charts/AxisScale.h"
#include "charts/ChartRules.h"
#include "charts/ChartSteps.h"
#include "charts/ChartWidget.h"
#include "store/Formats.h"

#include <algorithm>
#include <functional>

namespace {

using Axis = ChartWidget::Axis;
// Adds the points of one reading to a series, one by one.
using Points = std::function<void(const GraphRow& row, int series)>;

void drawReadings(ChartWidget& chart, const GraphInput& input, const QString& valueTitle,
                  const Points& addPoints) {
    // A failing reading ends the drawing; what was set before it is laid out all the same.
    const ChartWidget::Drawing drawing(chart);
    chart.clearTitle();
    chart.addTitleLine(input.sensor.instrumentId);
    if (input.sensor.temperatureCorrected) {
        chart.addTitleLine(QStringLiteral("temperature corrected"));
    }
    chart.setAxisTitle(Axis::Y, valueTitle);
    for (int i = 0; i < chart.seriesCount(); ++i) {
        chart.clearSeries(i);
        chart.setSeriesVisible(i, false);
    }
    chart.setAxisMin(Axis::X, 0);

    const int rowCount = static_cast<int>(input.rows.size());
    const int first = spatialWindowStart(rowCount) - 1;
    const int shown = std::min(rowCount, 15);
    for (int s = 1; s <= shown; ++s) {
        const GraphRow& row = input.rows.at(first + s - 1);
        chart.setSeriesVisible(s, true);
        chart.setSeriesTitle(s, chartDateText(row));
        addPoints(row, s);
        const QList<QPointF> points = chart.points(s);
        if (!points.isEmpty()) {
            chart.setAxisMax(Axis::X, lengthAxisMaximum(points.last().x()));
        }
    }
    applyValueAxis(chart, ChartKind::Length, input.sensor.scaleText);
}

QString column(const char* name, int number) {
    return QLatin1String(name) + QString::number(number);
}

} // namespace

void setupLengthChart(ChartWidget& chart, const QString& valueTitle) {
    chart.setSeriesTitle(0, QStringLiteral("T (C)"));
    chart.setAxisTitle(Axis::X, QStringLiteral("Distance from Roof (m)"));
    chart.setAxisLabelFormat(Axis::X, QStringLiteral("0"));
    chart.setAxisStep(Axis::X, 1);
    chart.setAxisTitle(Axis::Y, valueTitle);
    chart.setLegendTitle(QStringLiteral("Reading  Dates: "));
}

void DrawSgraph(ChartWidget& chart, const GraphInput& input) {
    const GraphSensor& sensor = input.sensor;
    drawReadings(chart, input, QStringLiteral("Displacement (mm)"),
                 [&](const GraphRow& row, int s) {
                     const int n = checkedNodeCount(sensor);
                     // A node that no reading has holds no value: it is left out of the line.
                     if (!sensor.headAtCollar) {
                         chart.addPoint(s, toNumber(sensor.headText), 0);
                     } else if (const std::optional<double> head = row.zero.at(n - 1)) {
                         chart.addPoint(s, toNumber(sensor.recessText), *head);
                     }
                     for (int node = 1; node <= n; ++node) {
                         if (const std::optional<double> disp = row.disp.at(node - 1)) {
                             chart.addPoint(s, toNumber(sensor.anchorTexts.at(node - 1)), *disp);
                         }
                     }
                 });
}

void DrawLVLgraph(ChartWidget& chart, const GraphInput& input) {
    const GraphSensor& sensor = input.sensor;
    drawReadings(chart, input, QStringLiteral("Load (kN)"), [&](const GraphRow& row, int s) {
        const int pairs = std::min(checkedNodeCount(sensor) - 1, 5);
        // A plate at the collar carries the load of the pair nearest the collar.
        const int collarPair = sensor.headAtCollar ? 1 : 5;
        chart.addPoint(s, 0,
                       sensor.plate
                           ? requiredValue(row.load.at(collarPair - 1), column("Load", collarPair))
                           : 0.0);
        chart.addPoint(
            s, leadingNumber(sensor.lengthOfCableText) - leadingNumber(sensor.recessText), 0);
        for (int i = 1; i <= pairs; ++i) {
            chart.addPoint(s, toNumber(sensor.loadLocations.at(i - 1)),
                           requiredValue(row.load.at(i - 1), column("Load", i)));
        }
    });
}
