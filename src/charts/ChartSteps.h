#pragma once

#include "charts/AxisScale.h"
#include "charts/GraphRows.h"

#include <optional>

class ChartWidget;

// Steps shared by the four chart drawings.

// A column the chart needs as a number; an empty one fails as a conversion of Null would.
double requiredValue(const std::optional<double>& value, const QString& column);

// The node count of a drawing, which must be 1..8.
int checkedNodeCount(const GraphSensor& sensor);
// Whether checkedNodeCount(sensor) would accept its count.
bool nodeCountInRange(const GraphSensor& sensor);

// Value axis minimum, maximum and step by the scale selector over the series on screen.
void applyValueAxis(ChartWidget& chart, ChartKind kind, const QString& scaleText);
