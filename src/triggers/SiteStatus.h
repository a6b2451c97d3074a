#pragma once

#include "triggers/TriggerState.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Connection;

// A sensor of the register as the site status shows it.
struct SensorInfo {
    QString instrumentId;
    QString level;
    QString location;
    QString borehole;
    bool destroyed = false;
    SensorSetup setup;
};

// One row of the site status, in plain values.
struct SiteStatusRow {
    SensorInfo sensor;
    TriggerLevels levels; // as they apply to the sensor
    SensorStatus status;
    std::optional<double> daysSince; // since the newest reading
    bool overdue = false;            // in service and unread for longer than its interval
};

// The register's sensors (all of them, or those listed, in the list's order; listed numbers
// that are not in the register are left out), each with its node count, head arrangement
// and anchor distances from the roof.
QList<SensorInfo> readSensorInfos(Connection& db, const std::optional<QStringList>& only = {});

// Every reading of a sensor that is not rejected, oldest first. Channels are read for the readings
// from detailFrom on (all of them when it is invalid) and for the two that may be a zero reference,
// the earliest and the earliest ticked for the time chart; the others carry only their key,
// time and tick. A sensor whose readings table does not exist has none; any other failure
// raises.
QList<StatusReading> readStatusReadings(Connection& db, const QString& instrumentId,
                                        const QDateTime& detailFrom = {});

// The site status: one row per sensor (see readSensorInfos for the choice and order), each
// judged on its newest reading and rate window against its levels, now being the local
// wall-clock time. Destroyed sensors come after the others, in the same order, in the state
// Destroyed: never judged against a level and never overdue. Reads only the readings each state
// needs (all of them where the levels judge a reading by those before it). Raises DbError on a
// failure; the trigger tables must exist.
QList<SiteStatusRow> computeSiteStatus(Connection& db, const QDateTime& now,
                                       const std::optional<QStringList>& only = {});

// The columns of the table and the texts of a row, in the same order: "Sensor", "Level",
// "Location", "Borehole", "Nodes", "Last Reading" (yyyy/MM/dd HH:mm), "Days" (since it, one
// decimal), "Disp (mm)" (the node that moved most, signed, two decimals), "At Node"
// ("Node 2 (2.75 m)"), "Rate (mm/d)" (three decimals), "State", "Overdue", "Sep (mm)" (the
// bed separation, signed, two decimals, with its pair: "1.20 (Node 1-2)").
QStringList siteStatusHeadings();
QStringList siteStatusCells(const SiteStatusRow& row);
// Column indexes of siteStatusHeadings().
enum SiteStatusColumn {
    ColSensor = 0,
    ColLocation = 2,
    ColNodes = 4,
    ColDaysSince = 6,
    ColMaxDisp = 7,
    ColRate = 9,
    ColState = 10,
    ColOverdue = 11
};

// "Node 2 (2.75 m)" for the node, or empty.
QString nodeText(const SensorSetup& setup, int node);
