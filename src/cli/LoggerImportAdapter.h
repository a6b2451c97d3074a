#pragma once

#include "logger/LoggerReadings.h"

#include <QString>
#include <functional>
#include <optional>

class Connection;

// The logger import as the command line runs it, through the logger subsystem's own steps.
struct LoggerImportRequest {
    QString instrumentId;
    QString sensorType;
    QString file;
    int intervalHours = 24;
    DateOrder order = DateOrder::YearMonthDay;
    bool all = false; // every line instead of the review window's pre-selection
};

struct LoggerImportCounts {
    int lines = 0;      // readings in the file
    int chosen = 0;     // pre-selected (or all)
    int appended = 0;   // stored
    int duplicates = 0; // chosen, but their reading was already stored
    int badLines = 0;   // chosen, but their date does not read in the given order
};

// Stages the file in the data folder, chooses its rows as the review window pre-selects them
// (or takes them all), and appends their readings in one transaction; a reading already stored
// is skipped, counted and passed to duplicate (its key). Gives nothing when the file does not
// exist. A file that cannot be staged or a failing statement raises DbError.
std::optional<LoggerImportCounts>
importLoggerFile(Connection& db, const QString& dataFolder, const LoggerImportRequest& request,
                 const std::function<void(const QString& key)>& duplicate);
