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

// Copies the register of `from` (every table of registerTables and every row) into `to`,
// which must hold none of those tables: otherwise nothing is written and a DbError says which
// table is in the way. The schema's tables are made first (they commit on their own), then the
// readings tables and all rows go in one transaction, with the row counts compared table by
// table; any failure or difference undoes the copy and takes the tables made away again, so
// `to` is left as it was found. `from` is read in one transaction, so a register others write
// to meanwhile is copied as it stood.
RegisterCounts copyRegister(Connection& from, Connection& to, const CopyProgress& progress = {});

// Replaces the register on the site server `to` with the one of `from`, in one transaction:
// `to`'s register tables that `from` lacks are dropped, the others emptied, and `from`'s rows
// copied as copyRegister does. A failure leaves `to` as it was; tables of `to` that are not
// the register's stay as they are. A database file is replaced whole instead (RestoreDB).
RegisterCounts replaceRegister(Connection& from, Connection& to, const CopyProgress& progress = {});

// Writes a complete copy of the register of `from` as a new database file at path, replacing
// a file already there only once the copy is whole.
RegisterCounts copyRegisterToFile(Connection& from, const QString& path,
                                  const CopyProgress& progress = {});

// Creates an empty register on a server database: the tables of a new database, with the
// Configuration and Prefs rows of the bundled database file (the defaults when that file is
// missing). Tables of the server that are not the register's stay as they are.
void createServerRegister(Connection& server, const QString& bundledFile);
