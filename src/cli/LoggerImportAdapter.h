#pragma once

#include "logger/LoggerAppend.h"
#include "logger/LoggerFile.h"
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
    // As LoggerAppendOptions::beforeCommit: the trigger event's logging, in the append's
    // transaction.
    std::function<std::optional<QString>(Connection& db, const AddedReadings& added)> beforeCommit;
    std::optional<LoggerMoment> now; // as LoggerAppendOptions::now
};

struct LoggerImportOutcome {
    StageResult::Status staged = StageResult::Status::NoFile;
    qint64 lines = 0;  // readings in the file
    qint64 chosen = 0; // pre-selected (or all)
    LoggerAppendResult append;
};

// Stages the file in the data folder as the logger command does, chooses its rows as the
// review window pre-selects them (or takes them all) and appends them as the review window's
// append does, in one transaction that stores all or nothing. A reading already stored is
// skipped; askDuplicate answers for it. Nothing is appended unless the file was staged.
LoggerImportOutcome
importLoggerFile(Connection& db, const QString& dataFolder, const LoggerImportRequest& request,
                 const std::function<DuplicateAnswer(const QString& key)>& askDuplicate);
