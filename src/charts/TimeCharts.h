#pragma once

#include "charts/GraphRows.h"

#include "charts/ChartWidget.h"

// The fixed design of the displacement and load time charts: series 0 "Temp (C)", dated
// horizontal axis with labels turned to 345 degrees, legend "Node Locations:".
void setupTimeChart(ChartWidget& chart);

// Displacement against time: the temperature, one series per node and the head, and the
// sensor's amber and red displacement levels as dashed lines, its revisions as dashed
// vertical lines. Steps that fail are skipped;
// the drawing never raises.
void DrawTgraph(ChartWidget& chart, const GraphInput& input);

// The marker lines of the sensor's revisions: "No. 2 offset" at each one's date.
QList<ChartWidget::MarkerLine> revisionMarkers(const GraphSensor& sensor);

// Load against time: the temperature and one series per pair of adjacent anchors (at most
// five), and the sensor's revisions as dashed vertical lines. Steps that fail are skipped; the
// drawing never raises.
void DrawLVTgraph(ChartWidget& chart, const GraphInput& input);
