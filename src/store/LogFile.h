#pragma once

#include <QString>

class Clock;

// Appends one entry to the log file in the data folder: an empty line, 89 asterisks, then
// the date and time, " - " and the message. Any failure loses the entry silently.
void WriteLog(const QString& dataFolder, const Clock& clock, const QString& message);

QString logFilePath(const QString& dataFolder);
