#include "charts/LineReduction.h"

#include <algorithm>
#include <array>
#include <cmath>

QList<QPointF> columnExtremes(const QList<QPointF>& points, double origin, double columnWidth) {
    if (!(columnWidth > 0) || points.size() <= 2) {
        return points;
    }
    const qsizetype n = points.size();
    const auto columnOf = [&](qsizetype i) {
        return std::floor((points[i].x() - origin) / columnWidth);
    };
    QList<QPointF> kept;
    kept.reserve(std::min<qsizetype>(n, 1024));
    for (qsizetype start = 0; start < n;) {
        const double column = columnOf(start);
        qsizetype lowest = start;
        qsizetype highest = start;
        qsizetype end = start + 1;
        for (; end < n && columnOf(end) == column; ++end) {
            if (points[end].y() < points[lowest].y()) {
                lowest = end;
            }
            if (points[end].y() > points[highest].y()) {
                highest = end;
            }
        }
        std::array<qsizetype, 4> picks{lowest, highest, start == 0 ? 0 : lowest,
                                       end == n ? n - 1 : highest};
        std::sort(picks.begin(), picks.end());
        const auto last = std::unique(picks.begin(), picks.end());
        for (auto it = picks.begin(); it != last; ++it) {
            kept << points[*it];
        }
        start = end;
    }
    return kept;
}

QList<QPointF> visibleMarkers(const QList<QPointF>& points, double xPixelsPerUnit, double spacing) {
    const auto apart = [&](const QPointF& a, const QPointF& b) {
        return std::abs(a.x() - b.x()) * xPixelsPerUnit >= spacing;
    };
    QList<QPointF> marked;
    for (qsizetype i = 0; i < points.size(); ++i) {
        if ((i == 0 || apart(points[i], points[i - 1])) &&
            (i + 1 == points.size() || apart(points[i], points[i + 1]))) {
            marked << points[i];
        }
    }
    return marked;
}
