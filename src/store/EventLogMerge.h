#pragma once

#include <QHash>
#include <QtGlobal>

class Connection;

// The trigger event log is the site's record: replacing a register from a backup keeps it.
// An event is the same in two logs when what it records (sensor, reading, state, measure, when
// and by whom it was detected) agrees, whatever its number; its acknowledgement may differ,
// since an event takes one after it was logged.

// Adds to the event log of `into` (inside the caller's transaction) every event of `from`'s
// log that `into` lacks, keeping its number where `into` has no event of that number and
// giving it the next one otherwise; an event both hold that only `from` has acknowledged takes
// that acknowledgement. Nothing is deleted or changed otherwise, so the log's rules stay on.
// Returns how many events were added. A database without the log adds nothing. numbers, when
// given, is told the number each of `from`'s events has in `into` afterwards, for the rows that
// name an event (its closure, its alarm mail) to follow it.
qint64 mergeEventLog(Connection& into, Connection& from, QHash<qint64, qint64>* numbers = nullptr);

// How many events of `log`'s event log the log of `other` lacks: those a replacement of `log`'s
// register by `other` keeps only because they are merged back.
qint64 eventsMissingFrom(Connection& log, Connection& other);
