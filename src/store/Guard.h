#pragma once

#include "store/DbError.h"

#include <QString>
#include <exception>
#include <functional>

class Clock;

// Where the error path writes: the data folder's log and the clock stamping each entry.
struct ErrorLog {
    QString dataFolder;
    const Clock* clock = nullptr;

    // Writes "Err #" & number & ": " & description & tag.
    void report(int number, const QString& description, const QString& tag) const;
    void report(const DbError& error, const QString& tag) const;
};

// Runs body; a failure inside it becomes one log entry under tag and the call returns
// normally, as the guarded procedures do. Returns false when the body failed.
bool guarded(const ErrorLog& log, const QString& tag, const std::function<void()>& body);

// As above; after the log entry, onFailure receives the failure (a failure that is not a
// DbError arrives as one of kind Other). A failure inside onFailure is logged too.
bool guarded(const ErrorLog& log, const QString& tag,
             const std::function<void(const DbError&)>& onFailure,
             const std::function<void()>& body);

// Runs body and goes on after its failure, the "skip a failing statement" rule: the failure
// still becomes one log entry under tag.
void ignoring(const ErrorLog& log, const QString& tag, const std::function<void()>& body);
