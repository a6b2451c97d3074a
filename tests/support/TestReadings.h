#pragma once

#include "triggers/TriggerState.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// A reading of sensor 120531001 taken day days after start, at 18.5 °C.
StatusReading statusReading(const QDateTime& start, double day, const QStringList& channels,
                            bool ticked);

// Adds kept readings of 4000 bytes to sensor 120521001 of the register at path, then deleted
// ones removed again, leaving their pages free.
void fillWithFreePages(const QString& path, int kept, int deleted);

class Connection;

// The trigger tables, and displacement levels of amber and red mm for key (a sensor or the
// site's default).
void writeDisplacementLevels(Connection& db, const QString& key, double amber, double red);

// Sensor id of type 41 (three nodes, head at the toe) with its readings table and
// displacement levels of amber and red mm, after the trigger tables.
void addSensorWithLevels(Connection& db, const QString& id, double amber, double red);
