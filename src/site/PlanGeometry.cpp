#include "site/PlanGeometry.h"

#include <algorithm>
#include <limits>

QRectF PlanGeometry::bounds() const {
    double left = std::numeric_limits<double>::max();
    double top = left;
    double right = std::numeric_limits<double>::lowest();
    double bottom = right;
    const auto take = [&](const QPointF& p) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    };
    for (const PlanPath& path : paths) {
        for (const QPointF& p : path.points) {
            take(p);
        }
    }
    for (const PlanText& text : texts) {
        take(text.at);
    }
    if (left > right) {
        return {};
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

int PlanGeometry::layerIndex(const QString& name) {
    const qsizetype at = layers.indexOf(name);
    if (at >= 0) {
        return static_cast<int>(at);
    }
    layers << name;
    return static_cast<int>(layers.size() - 1);
}
