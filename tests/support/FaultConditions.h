#pragma once

#include "store/Connection.h"

#include <QString>

// Connections opened while this lives wait only briefly for another program's lock, so a
// test of a busy database does not sit out the full timeout.
class ShortBusyTimeout {
public:
    explicit ShortBusyTimeout(int milliseconds = 150) : previous_(Connection::busyTimeoutMs()) {
        Connection::setBusyTimeout(milliseconds);
    }
    ~ShortBusyTimeout() { Connection::setBusyTimeout(previous_); }
    ShortBusyTimeout(const ShortBusyTimeout&) = delete;
    ShortBusyTimeout& operator=(const ShortBusyTimeout&) = delete;

private:
    int previous_;
};

// Another program holding the database with BEGIN EXCLUSIVE until release() or destruction.
class ExclusiveHolder {
public:
    explicit ExclusiveHolder(const QString& path);
    ~ExclusiveHolder();
    void release();

private:
    Connection db_;
    bool held_ = false;
};

// Another user holding the trigger event log until release() or destruction: on a server a
// lock on its table alone, the readings tables staying free; on a file a write transaction, as
// a file is locked whole.
class EventLogHolder {
public:
    explicit EventLogHolder(const QString& location);
    ~EventLogHolder();
    void release();

private:
    Connection db_;
    bool held_ = false;
};

// Overwrites the root page of a table of the database file with bytes that are no page at
// all, as a damaged disk would; the schema and the other pages stay readable.
void damageTablePage(const QString& path, const QString& table);
