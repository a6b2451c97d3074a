#pragma once

#include <QPointF>
#include <optional>

// A similarity on the mine grid (rotation, one scale, shift) from a picture's pixels, whose y
// runs downwards, to easting and northing, whose northing runs upwards:
//   easting  = a * x + b * y + e
//   northing = b * x - a * y + n
struct PictureTransform {
    double a = 1;
    double b = 0;
    double e = 0;
    double n = 0;

    QPointF toGrid(const QPointF& pixel) const;
    QPointF toPixel(const QPointF& grid) const;
    // Metres per pixel.
    double scale() const;
};

// The transform that takes pixel p1 to grid point g1 and pixel p2 to g2; none when the two
// pixels or the two grid points coincide, or a value is not finite.
std::optional<PictureTransform> placeByTwoPoints(const QPointF& p1, const QPointF& g1,
                                                 const QPointF& p2, const QPointF& g2);
