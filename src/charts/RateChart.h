#pragma once

#include "charts/ChartWidget.h"
#include "charts/GraphRows.h"

#include <QDateTime>
#include <QList>

// The rate chart of "4. Disp v Time": the temperature and the rate of each node (mm/day over
// the sensor's rate window, nodeRatePoints) in the series and with the titles the
// displacement chart gives the nodes, and the sensor's amber and red rate levels as dashed
// lines. Steps that fail are skipped; the drawing never raises.
void DrawRateGraph(ChartWidget& chart, const GraphInput& input);

// The value axis fitted to the series on screen and the given levels, with 0 in the range and
// a little room above and below.
void fitValueAxis(ChartWidget& chart, const QList<double>& levels);

// The time axis of a chart from its first to its last moment, as the time charts lay it out.
void applyTimeAxis(ChartWidget& chart, const QDateTime& first, const QDateTime& last);

// The dashed "Amber" and "Red" level lines of the levels that are set.
QList<ChartWidget::LevelLine> amberRedLines(const std::optional<double>& amber,
                                            const std::optional<double>& red);
