#pragma once

#include "charts/GraphRows.h"

#include <QDateTime>
#include <algorithm>

// Chart inputs for tests: a sensor whose anchors sit at 1.25, 2.25, ... m and readings whose
// values tell their node and row apart.
inline GraphSensor testSensor(int nodeCount, bool headAtCollar) {
    GraphSensor s;
    s.instrumentId = QStringLiteral("241221007");
    s.headAtCollar = headAtCollar;
    s.nodeCount = nodeCount;
    for (int n = 0; n < nodeCount; ++n) {
        s.anchorTexts.at(n) = QString::number(1.25 + n, 'f', 2);
    }
    for (int i = 0; i < 5; ++i) {
        s.loadLocations.at(i) = QString::number(1.75 + i);
    }
    s.headText = QStringLiteral("0.25");
    s.recessText = QStringLiteral("0.25");
    s.lengthOfCableText = QStringLiteral("7");
    s.scaleText = QStringLiteral("AutoScale");
    return s;
}

// Row r at the given time: Disp N = N + r/10, zero N = 10 N + r, Load i = 100 i + r, loads
// and displacements only for the sensor's nodes and pairs.
inline GraphRow testRow(const QDateTime& at, int r, int nodeCount, bool headAtCollar) {
    GraphRow row;
    row.fullDate = at;
    row.readingDate = at.date().toString(QStringLiteral("yyyy/MM/dd"));
    row.numTemp = 12.5;
    for (int n = 1; n <= 10; ++n) {
        row.zero.at(n - 1) = 10.0 * n + r;
    }
    for (int n = 1; n <= nodeCount; ++n) {
        row.disp.at(n - 1) = n + r / 10.0;
    }
    if (!headAtCollar) {
        row.reference = 0;
    }
    for (int i = 1; i <= std::min(nodeCount - 1, 5); ++i) {
        row.load.at(i - 1) = 100.0 * i + r;
    }
    return row;
}

// count readings, one every `stepHours` hours from 2024/03/01 08:15.
inline GraphInput testInput(int nodeCount, bool headAtCollar, int count, int stepHours = 24) {
    GraphInput input;
    input.sensor = testSensor(nodeCount, headAtCollar);
    const QDateTime start(QDate(2024, 3, 1), QTime(8, 15));
    for (int r = 0; r < count; ++r) {
        input.rows << testRow(start.addSecs(3600LL * stepHours * r), r, nodeCount, headAtCollar);
    }
    return input;
}
