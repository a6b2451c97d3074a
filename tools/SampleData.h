#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

class QRandomGenerator;

class Connection;

// What to generate: a register of sensors read over `days` days up to `end`.
struct SampleOptions {
    QDateTime end;           // time of the latest readings, taken as wall-clock time
    int days = 3 * 365;      // how far back the first installation lies
    int readingsPerDay = 4;  // for every sensor but the hourly ones
    int hourlySensors = 2;   // sensors read every hour from the first day
    quint32 seed = 20120503; // same seed, same data
    // Adds a sensor installed the day before the end with its installation reading only.
    bool newInstallation = false;
};

// One sensor of the register, with the ground behaviour its readings follow.
struct SampleSensor {
    QString instrumentId; // date code (yyMM of installation), type code, serial
    QString sensorType;
    int nodeCount = 0;
    QString level;
    QString location;
    QString borehole;
    QString installBy;
    QString purpose;
    QString notes;
    QDate installDate;
    bool headAtCollar = true;
    double recess = 0.0;
    double lengthofCable = 0.0;
    bool plate = false;
    double kval = 0.0;
    QVector<double> nodeLocations; // metres from the head along the strand
    QDate destructionDate;         // null while the sensor is in service
    int readingsPerDay = 0;
    int silentDays = 0;  // the readings stop this many days before the end (a flat logger)
    int maxReadings = 0; // no more readings than this; 0 for no limit
    // A readout replaced: from repairAt on, each node channel reads readoutShift[n] mm more,
    // and an offset revision from the first reading after it carries the displacement on.
    QDateTime repairAt;
    QVector<double> readoutShift;

    // Movement of the roof surface into the opening: logarithmic creep plus a steady rate,
    // then a step and a faster rate after the blast. Movement dies out with depth over
    // `decayDepth` metres.
    double creep = 0.0;     // mm, size of the logarithmic term
    double creepRate = 0.0; // mm per day before the blast
    QDateTime blastAt;      // null when no blast falls within the record
    double blastStep = 0.0; // mm
    double blastRateFactor = 1.0;
    double decayDepth = 2.0;
};

// One reading as it is written: the texts of the channels and the two plot flags.
struct SampleReading {
    QDateTime at;         // wall-clock time
    QStringList channels; // Channel1..Channel10; an empty text is a channel not read, a null
                          // text a channel the sensor does not have
    QString temperature;
    bool plotTemporal = false;
    bool plotSpatial = false;
};

// The sensor numbered index (serial index + 1) of the given type, drawn from random: an
// index below options.hourlySensors is installed on the first day and read hourly.
SampleSensor makeSensor(int index, const QString& typeCode, const SampleOptions& options,
                        QRandomGenerator& random);

// Sensors of every type, half with the head at the collar and half at the toe, installed
// over the period; one of them destroyed, and the logger of the second one silent for the
// last four days; last, a quiet sensor whose readout was replaced half way through its record. With
// newInstallation, one more sensor installed the day before the end, with its installation reading
// only.
QVector<SampleSensor> sampleSensors(const SampleOptions& options);

// The readings of a sensor from its installation to the end (or its destruction).
QVector<SampleReading> sampleReadings(const SampleSensor& sensor, const SampleOptions& options);

// Movement of the rock at `depth` metres from the roof, in mm, `at` the given time.
double groundMovement(const SampleSensor& sensor, double depth, const QDateTime& at);

// Trigger levels that show every state: a site default (reading interval one day) under
// which most sensors are green, one sensor amber, and one that turned red during its last day
// with that event logged. Creates the trigger tables.
void writeSampleLevels(Connection& db, const SampleOptions& options);

// Adds the sensor's register row, its network row and its empty readings table.
void writeSensor(Connection& db, const SampleSensor& sensor);

// A repaired sensor's offset revision, from its first reading after the repair, with the
// offsets computed; nothing for any other sensor.
void writeSampleRevision(Connection& db, const SampleSensor& sensor,
                         const QVector<SampleReading>& readings);

// Appends readings to a sensor's readings table in one transaction.
void writeReadings(Connection& db, const QString& instrumentId,
                   const QVector<SampleReading>& readings);

// Creates "QuorvelleVARLO_MM.mdb" in the data folder (made when missing) with a whole
// sample register, its readings and trigger levels; returns its path. Raises DbError when the
// database already exists, leaving it untouched.
QString writeSampleDatabase(const QString& dataFolder, const SampleOptions& options);
