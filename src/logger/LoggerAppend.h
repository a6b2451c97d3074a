#pragma once

#include "logger/LoggerFile.h"
#include "logger/LoggerReadings.h"
#include "store/AddedReadings.h"

#include <QBitArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Connection;

// Writing the kept logger rows into a sensor's readings table.

// What to do with a row whose reading the table already holds.
enum class DuplicatePolicy { Ask, SkipAll };
// The answer to a duplicate: skip this one and ask again, or skip every further one silently.
enum class DuplicateAnswer { Skip, SkipAll };

struct LoggerAppendOptions {
    QString instrumentId;
    int channelCount = 0;                             // node channels the sensor's rows fill
    DateOrder order = DateOrder::YearMonthDay;        // how the file writes its dates
    DateOrder desktopOrder = DateOrder::DayMonthYear; // day and month of other year-last texts
    DuplicatePolicy duplicates = DuplicatePolicy::Ask;
    std::function<DuplicateAnswer(const QString& key)> askDuplicate; // for DuplicatePolicy::Ask
    LoggerProgress progress; // counts rows; false cancels the append
    // Run with the connection doing the append and the readings written, when there are any,
    // in the transaction before it commits (the trigger event they raise is logged there,
    // reading them back from the table): a failure rolls the append back. Gives what to tell
    // once the append committed.
    std::function<std::optional<QString>(Connection& db, const AddedReadings& added)> beforeCommit;
    // The clock's now: readings dated after it are counted as dated in the future.
    std::optional<LoggerMoment> now;
};

struct LoggerAppendResult {
    enum class Status { Appended, Cancelled, Failed };
    Status status = Status::Appended;
    int appended = 0;    // readings the committed transaction stored; 0 unless Appended
    int duplicates = 0;  // marked rows whose reading the table already held
    int passedOver = 0;  // rows that could not be read or stored (bad line, no date, overflow)
    int futureDated = 0; // of the appended readings, those dated after options.now
    int errorNumber = 0; // the failure, when Failed
    QString error;
    std::optional<QString> levelReached; // what beforeCommit gave; empty unless Appended
};

// Appends the marked rows of the stage as readings, in one transaction: each row's date read
// once by appendMoment, its key checked against the table (earlier readings of this same walk
// included), then written, plotted on the time charts only and marked dirty. Unreadable rows
// of the stage count as passed over whether marked or not. On cancel or on any failure (of
// beforeCommit and of the commit included) the whole append is rolled back and nothing is
// counted as appended.
LoggerAppendResult appendLoggerRows(Connection& db, const QString& table, const LoggerStage& stage,
                                    const QBitArray& marks, const LoggerAppendOptions& options);

// Appends as appendLoggerRows does, on a connection of its own to location (a file path or a
// server URI) whose changes the audit trail records as made by who: work off the window's
// thread appends there, the window's connection belonging to the window's thread. The
// connection is opened and closed on the calling thread. One that cannot be opened fails the
// append as a failed commit does.
LoggerAppendResult appendLoggerRowsAt(const QString& location, const QString& who,
                                      const QString& table, const LoggerStage& stage,
                                      const QBitArray& marks, const LoggerAppendOptions& options);

// The warning on appended readings dated in the future: "1 reading is dated in the future." or
// "<count> readings are dated in the future."
QString futureDatedText(int count);

// Moves the sensor's logger file "QV<id>.txt" in baseFolder to
// "backup/QV<id>_yyyy-MM-dd.txt" (today's date), making the backup folder when missing and
// replacing a copy of the same day. Without such a file nothing moves and no folder is made.
// True when it moved.
bool moveLoggerFileToBackup(const QString& baseFolder, const QString& instrumentId,
                            const QDate& today);
