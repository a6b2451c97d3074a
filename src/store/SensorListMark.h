#pragma once

#include <QtGlobal>
#include <optional>

class Connection;

// The Sensors table in brief: its row count and its highest row id. A sensor added or deleted
// by another user changes it, so the sensor list is read again only when the mark moved.
struct SensorListMark {
    qint64 count = 0;
    qint64 lastRowId = 0;
    bool operator==(const SensorListMark&) const = default;
};

// One query on the Sensors table; a failure (a busy or damaged database) raises DbError.
SensorListMark readSensorListMark(Connection& db);
// The row is still in Sensors.
bool sensorRowExists(Connection& db, qint64 rowId);
