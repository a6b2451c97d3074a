#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

#include "store/RegisterCopy.h"

class Connection;

// The folder of dated database copies in the data folder.
QString backupFolder(const QString& dataFolder);

// "VARLO_MMbackup_yyyy-MM-dd.mdb": one backup a calendar day.
QString backupFileName(const QDate& day);

// Copies the database file into the backup folder (created when missing) under the day's
// name, replacing an earlier copy of that day. The copy is read as one transaction, so a write
// of another program is either wholly in it or not at all: such a write still in progress past
// the busy timeout fails the backup as Busy, and one a stopped program left half done is undone
// first. The copy is written aside and then renamed, so a failed copy never leaves a
// half-written backup. Gives the backup's path; a failure raises DbError.
QString BackupDB(const QString& dataFolder, const QString& databaseName, const QDate& today);

// Copies a backup over the database file, in one transaction of SQLite's on the file, so a
// failed copy leaves the database as it was, and a program that has the file open goes on with
// the restored register. With progress, the copy is told in bytes as it goes, and a false
// answer cancels it (CopyCancelled), the database left as it was. A backup that does not open as
// a whole database (Damaged) is not put in place at all. A file SQLite cannot read is replaced
// whole by a rename, with any journal a stopped program left for it. A failure raises DbError.
void RestoreDB(const QString& dataFolder, const QString& databaseName, const QString& backupName,
               const CopyProgress& progress = {});

// Writes a complete database file copy of a site server's register into the backup folder
// (created when missing) under the day's name, replacing an earlier copy of that day only once
// the new one is whole. The copy opens with "Change Database Location" as any database file.
// Gives the backup's path.
QString BackupServerRegister(Connection& server, const QString& dataFolder, const QDate& today,
                             const CopyProgress& progress = {});

// How many events of a site server's event log the backup file lacks: those logged since the
// backup was written, which a restore keeps.
qint64 eventsSinceBackup(Connection& server, const QString& dataFolder, const QString& backupName);

// What a restore does to the events logged on the server since the backup, given their count
// when it could be read.
QString eventsKeptSentence(const std::optional<qint64>& events);

// Replaces the register on a site server with the one of a backup file, in one transaction;
// the server's event log keeps its events and takes the backup's (replaceRegister).
void RestoreServerRegister(Connection& server, const QString& dataFolder, const QString& backupName,
                           const CopyProgress& progress = {});

// Names of the files in the backup folder; a missing folder raises DbError.
QStringList ListBackups(const QString& dataFolder);
