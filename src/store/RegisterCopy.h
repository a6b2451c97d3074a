#pragma once

#include <QPair>
#include <QString>
#include <QVector>
#include <exception>
#include <functional>

class Connection;

// What a copy of a register moved: the rows of each table, and the sensors and readings
// among them.
struct RegisterCounts {
    QVector<QPair<QString, qint64>> tables;
    qint64 sensors = 0;
    qint64 readings = 0;
    qint64 rows = 0;
};

// Told the rows copied so far and the rows to copy in all; false cancels the copy, which then
// raises CopyCancelled and leaves the target as it was.
using CopyProgress = std::function<bool(qint64 done, qint64 total)>;

// The user cancelled a copy: nothing failed, and nothing was written.
struct CopyCancelled : std::exception {
    const char* what() const noexcept override { return "The copy was cancelled."; }
};

// Copies the register of `from` (every table of registerTables, the site plans, response
// plans and closures, alarm recipients and outbox and the audit trail where `from` has them,
// and every row) into `to`, which must hold none of those tables: otherwise nothing is written and
// a DbError says which table is in the way. A server prepared for logins of their own (server
// init) whose register holds nothing but init's own rows takes the copy in place instead, as
// replaceRegister does, for an administrator or the owner. The tables and all rows go in one
// transaction, with the row counts compared table by table; any failure or difference, and a
// connection lost or a program ended half way, leaves `to` as it was found. `from` is read in one
// transaction, so a register others write to meanwhile is copied as it stood. On a server the
// register is marked whole.
RegisterCounts copyRegister(Connection& from, Connection& to, const CopyProgress& progress = {});

// Replaces the register on the site server `to` with the one of `from`, in one transaction, with
// the rights of an administrator login (no table of the register is dropped, made or truncated
// but through the owner's functions): the rows of `to`'s register and side tables are deleted
// row by row, so that its audit trail records the restore, and `from`'s copied as copyRegister
// does; readings tables `from` lacks are dropped, the ones it adds made. The event log and the
// tables only ever added to (event closures, revisions, reading rejections, alarm mail) keep
// every row they hold and take `from`'s rows they lack (mergeEventLog); the server's audit trail
// keeps its rows and takes none of `from`'s. A viewer or engineer login is refused before
// anything changes (kRefusedToRole). A failure leaves `to` as it was; tables of `to` that are not
// the register's stay as they are. A database file is replaced whole instead (RestoreDB).
RegisterCounts replaceRegister(Connection& from, Connection& to, const CopyProgress& progress = {});

// Writes a complete copy of the register of `from` as a new database file at path, replacing
// a file already there only once the copy is whole.
RegisterCounts copyRegisterToFile(Connection& from, const QString& path,
                                  const CopyProgress& progress = {});

// Creates an empty register on a server database: the tables of a new database, with the
// Configuration and Prefs rows of the bundled database file (the defaults when that file is
// missing), in one transaction, marked whole. Tables of the server that are not the register's
// stay as they are.
void createServerRegister(Connection& server, const QString& bundledFile);

// Whether a server holds what an interrupted copy of an earlier version left: the register's
// tables without the mark of a whole register, and nothing in them but a new schema's own
// rows (no sensors, readings, network settings, nor a row in any table a copy makes beside
// them, and the default Configuration and Prefs rows or none). A database file never does: a file
// copy is written aside and renamed.
bool isUnfinishedRegister(Connection& db);

// Drops those tables, in one transaction, after looking once more under a lock that keeps
// others from adding to them; a register that holds data by then raises and stays.
void clearUnfinishedRegister(Connection& db);
