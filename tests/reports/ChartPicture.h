#pragma once

#include <QByteArray>

// Pixels of a JPEG chart in the amber of the trigger level lines, which no series of a chart
// of up to eight nodes is drawn in. Zero when the bytes are not a picture.
int amberLevelPixels(const QByteArray& jpeg);
