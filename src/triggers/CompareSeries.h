#pragma once

#include "revisions/Revisions.h"
#include "triggers/TriggerLevels.h"
#include "triggers/TriggerState.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// One value of a sensor at one of its readings (wall-clock time).
struct TimedValue {
    QDateTime at;
    double value = 0;
};

// A sensor's values against time, as the site status judges them at each reading after its
// zero reference: the displacement of the node that moved most (signed, mm), and the rate of that
// largest displacement over the rate window (mm/day; a reading whose window holds too few
// readings has none).
struct CompareSeries {
    QString instrumentId;
    QList<TimedValue> displacement;
    QList<TimedValue> rate;
};

// The series of one sensor from its readings in time order. The last values are those the
// status table shows for the sensor.
CompareSeries compareSeriesOf(const QString& instrumentId, const QList<StatusReading>& readings,
                              const SensorSetup& setup, const TriggerLevels& levels,
                              const QList<SensorRevision>& revisions = {});

// The series of the listed sensors, in the list's order; numbers not in the register are left
// out, a sensor without a readings table has empty series. Raises DbError on a failure.
QList<CompareSeries> readCompareSeries(Connection& db, const QStringList& ids);
