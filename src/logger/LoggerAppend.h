#pragma once

#include "logger/LoggerReadings.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

class Connection;

// Writing the kept logger rows into a sensor's readings table.

// Appends the readings in order, in one transaction. A reading whose key the table already
// holds (an earlier reading of this same walk included) is not written and duplicate(key) is
// called. Each appended reading is plotted on the time charts only and marked dirty. appended
// counts the readings written. Should a statement fail, the readings appended before it stay
// (and are counted) and the failure is raised.
void appendLoggerReadings(Connection& db, const QString& table,
                          const QVector<LoggerReading>& readings,
                          const std::function<void(const QString&)>& duplicate, int& appended);

// Moves the sensor's logger file "QV<id>.txt" in baseFolder to
// "backup/QV<id>_yyyy-MM-dd.txt" (today's date), making the backup folder when missing and
// replacing a copy of the same day. Without such a file nothing moves. True when it moved.
bool moveLoggerFileToBackup(const QString& baseFolder, const QString& instrumentId,
                            const QDate& today);
