#pragma once

#include "charts/GraphRows.h"

class ChartWidget;

// The fixed design of the displacement and load length charts: series 0 "T (C)" never shown,
// horizontal axis "Distance from Roof (m)" in whole metres, legend "Reading  Dates: ".
void setupLengthChart(ChartWidget& chart, const QString& valueTitle);

// Displacement against distance from the roof, one series per reading of the last fifteen; a
// node without a value is left out of its line. A failure (a box that is not a number) raises
// DbError and leaves what was drawn before it on the chart.
void DrawSgraph(ChartWidget& chart, const GraphInput& input);

// Load profile along the hole, one series per reading of the last fifteen: the collar point,
// the loads at the midpoints of the anchor pairs and zero at the end of the strand. Failures
// (an empty load column included) raise DbError as DrawSgraph's do.
void DrawLVLgraph(ChartWidget& chart, const GraphInput& input);
