#pragma once

#include <QDateTime>
#include <QString>

// A large site for measuring the program on years of frequent readings: every sensor
// installed on the first day and read at a fixed interval to the end.
struct LargeSiteOptions {
    QDateTime end;            // time of the latest readings, taken as wall-clock time
    int sensors = 200;        // 1..999
    int years = 5;            // 365 days each
    int intervalMinutes = 60; // 1..1440, a divisor of a day
    quint32 seed = 20120503;  // same seed, same data
};

// What was written.
struct LargeSiteFile {
    QString path;
    qint64 readings = 0;
    QString largestSensor; // the sensor with the most nodes, read the longest
    int largestNodes = 0;
    qint64 largestReadings = 0;
};

// Creates "QuorvelleVARLO_MM.mdb" in the data folder (made when missing) with the sensors of
// every type in turn, their readings written in one transaction through prepared
// statements. Raises DbError when the database already exists, leaving it untouched.
LargeSiteFile writeLargeSite(const QString& dataFolder, const LargeSiteOptions& options);
