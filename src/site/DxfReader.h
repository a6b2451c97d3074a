#pragma once

#include "site/PlanGeometry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// What reading a DXF drawing gave: the plan, or why there is none.
struct DxfReadResult {
    std::optional<PlanGeometry> plan;
    // Set when there is no plan: "The plan file NAME could not be read: WHY".
    QString problem;
    // Entities of kinds a plan does not draw, with their counts ("HATCH (3)"); the rest of the
    // drawing is read without them.
    QStringList skipped;
};

// The largest drawing read, in bytes.
constexpr qint64 kMaxDxfBytes = 100LL * 1024 * 1024;

// Reads an ASCII DXF drawing: lines, polylines (with their bulges), arcs, circles, texts and
// multi-line texts, and block inserts (expanded, arrays and nested blocks too; an entity of a
// block on layer "0" takes the insert's layer). A file that is not made of DXF group pairs, that
// ends before its EOF, or that holds nothing to draw, has no plan. fileName names the file in
// the problem.
DxfReadResult readDxf(const QByteArray& bytes, const QString& fileName);
// The same for a file, refused without being read when it is larger than kMaxDxfBytes.
DxfReadResult readDxfFile(const QString& path);
