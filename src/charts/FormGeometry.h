#pragma once

#include <QString>
#include <array>

// The installation geometry of the sensor as the record form shows it: what the charts, the
// report and the site status compute from, typed edits included.
struct FormGeometry {
    bool headAtCollar = true;
    std::array<QString, 8> anchorTexts;
    QString headText;
    QString recessText;
    QString lengthOfCableText;
    QString kvalText;
    bool plate = false;
};
