#pragma once

#include "store/Connection.h"
#include "store/DbError.h"

#include <QString>
#include <functional>
#include <optional>

// The failure the body raised, or none.
std::optional<DbError> failureOf(const std::function<void()>& body);

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

// A full disk: a file system of 64 KiB (tmpfs) mounted on the folder (created when missing; a
// temporary folder of its own when none is given), to be filled to its last byte with fill().
// Mounting needs root's rights; mounted() tells whether it worked so that a test without them
// can skip itself. Unmounted and removed on destruction.
class FullDisk {
public:
    explicit FullDisk(const QString& folder = {});
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return mounted_; }
    // The folder on the small file system.
    QString folder() const { return folder_; }
    // Takes up every byte that is still free with a file of its own.
    void fill();

private:
    QString folder_;
    bool mounted_ = false;
};
