#pragma once

#include "charts/GraphRows.h"

#include <QList>
#include <QPointF>
#include <optional>

// Slope of y over x by least squares; nothing with fewer than two distinct x.
std::optional<double> leastSquaresSlope(const QList<double>& x, const QList<double>& y);

// The rate of one node at each reading of a time chart: the least-squares slope of the node's
// displacement (mm/day) over the readings of the rate window that ends at that reading (from
// windowDays before it up to it, the reading included), once the window holds at least
// minReadings readings with a value of the node. x is the reading's ChartWidget::timeX, in
// the rows' order; readings without a value of the node, or whose window has too few, have no
// point. node is 1-based.
QList<QPointF> nodeRatePoints(const QList<GraphRow>& rows, int node, double windowDays,
                              int minReadings);
