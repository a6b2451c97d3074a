#include "site/PlanPlacement.h"

#include <cmath>

QPointF PictureTransform::toGrid(const QPointF& pixel) const {
    return {a * pixel.x() + b * pixel.y() + e, b * pixel.x() - a * pixel.y() + n};
}

QPointF PictureTransform::toPixel(const QPointF& grid) const {
    // The matrix [[a, b], [b, -a]] is its own inverse times a^2 + b^2.
    const double d = a * a + b * b;
    const double de = grid.x() - e;
    const double dn = grid.y() - n;
    return {(a * de + b * dn) / d, (b * de - a * dn) / d};
}

double PictureTransform::scale() const {
    return std::hypot(a, b);
}

std::optional<PictureTransform> placeByTwoPoints(const QPointF& p1, const QPointF& g1,
                                                 const QPointF& p2, const QPointF& g2) {
    for (const double v : {p1.x(), p1.y(), p2.x(), p2.y(), g1.x(), g1.y(), g2.x(), g2.y()}) {
        if (!std::isfinite(v)) {
            return std::nullopt;
        }
    }
    // With the picture's y turned upwards (y' = -y) this is a plain similarity, solved as the
    // complex ratio of the two differences: (g2 - g1) = s * (p2' - p1').
    const double px = p2.x() - p1.x();
    const double py = -(p2.y() - p1.y());
    const double gx = g2.x() - g1.x();
    const double gy = g2.y() - g1.y();
    const double d = px * px + py * py;
    if (d == 0 || (gx == 0 && gy == 0)) {
        return std::nullopt;
    }
    const double sr = (gx * px + gy * py) / d; // real part of s
    const double si = (gy * px - gx * py) / d; // imaginary part of s
    // grid = s * (x, -y) + t: easting = sr*x + si*y + e, northing = si*x - sr*y + n.
    PictureTransform t;
    t.a = sr;
    t.b = si;
    t.e = g1.x() - (t.a * p1.x() + t.b * p1.y());
    t.n = g1.y() - (t.b * p1.x() - t.a * p1.y());
    return t;
}
