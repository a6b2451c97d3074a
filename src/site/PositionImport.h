#pragma once

#include "site/SiteTables.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class Connection;

// A surveyor's positions file: one sensor a line, "InstrumentID,Easting,Northing,Elevation"
// (metres, mine grid; the elevation may be empty), with or without that heading line.
struct PositionLine {
    int line = 0; // 1-based
    QString instrumentId;
    SensorPosition position;
};

struct RefusedLine {
    int line = 0;
    QString reason;
};

struct PositionFile {
    QList<PositionLine> taken;
    QList<RefusedLine> refused;
};

// Reads the file's text. A line is refused, with its reason, when it lacks a field or has one
// too many, when a coordinate is not a finite number, when the sensor is not in known, or when
// an earlier line gave the same sensor. Blank lines are skipped.
PositionFile parsePositions(const QString& text, const QSet<QString>& known);

// What an import stored and what it refused.
struct PositionImportResult {
    QString path;
    PositionFile lines;
    // "positions.csv: 12 lines taken, 2 refused" and one line per refusal ("line 4: ...").
    QString summary() const;
};

// Reads the file and stores every line taken, in one transaction: all of them, or (on a
// failure, which raises) none. Lines refused are stored never. A file that cannot be read
// raises DbError FileNotFound naming it.
PositionImportResult importPositions(Connection& db, const QString& path);
