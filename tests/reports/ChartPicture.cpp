#include "ChartPicture.h"

#include <QColor>
#include <QImage>
#include <cstdlib>

int amberLevelPixels(const QByteArray& jpeg) {
    const QImage image = QImage::fromData(jpeg, "JPG").convertToFormat(QImage::Format_RGB32);
    // The level line's amber is (255, 176, 0); JPEG blurs a thin dashed line a little.
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 215 && std::abs(c.green() - 176) < 35 && c.blue() < 90) {
                ++count;
            }
        }
    }
    return count;
}
