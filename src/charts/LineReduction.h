#pragma once

#include <QList>
#include <QPointF>

// Thinning of long lines for drawing. A plot shows at most one distinct x per pixel column,
// so a line with more points than columns draws the same as its extremes per column.

// The points of a line (ascending x) reduced to the lowest and the highest point of every
// column columnWidth wide, columns counted from origin, each pair in its order along the
// line; the first and the last point of the line are kept as well. Every point returned is
// one of the given points. A width that is not positive returns the line as it is.
QList<QPointF> columnExtremes(const QList<QPointF>& points, double origin, double columnWidth);

// The points of a line (ascending x) that carry a marker: those at least spacing pixels
// along x from both their neighbours. Where readings crowd closer, their markers would merge
// into a band hiding the line, so the line is drawn bare there.
QList<QPointF> visibleMarkers(const QList<QPointF>& points, double xPixelsPerUnit, double spacing);
