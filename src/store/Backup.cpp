#include "store/Backup.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EventLogMerge.h"
#include "store/FileReplace.h"
#include "store/NativeStatement.h"
#include "store/RegisterCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <sqlite3.h>

namespace {
// Closes a handle of SQLite's own, however the copy ends.
struct HandleCloser {
    void operator()(sqlite3* handle) const { sqlite3_close(handle); }
};
using Handle = std::unique_ptr<sqlite3, HandleCloser>;

void check(int code, sqlite3* handle) {
    if (code != SQLITE_OK && code != SQLITE_DONE) {
        throw sqliteError(code, QString::fromUtf8(sqlite3_errstr(code)) + ": " +
                                    QString::fromUtf8(sqlite3_errmsg(handle)));
    }
}

// Writes the database at source into partial with SQLite's backup, which reads it as one
// transaction: a commit of another program waits for the copy (or the copy fails busy), and a
// journal left by a program stopped in the middle of a write is played back first. A copy of
// the file's bytes could take half of a transaction, or the pages it had not yet undone.
void copyDatabase(const QString& source, const QString& partial) {
    Connection from;
    from.open(source);
    sqlite3* const sourceHandle = fileHandle(from);
    if (sourceHandle == nullptr) {
        throw DbError(ErrorCode::NotOpen, "Could not open " + source);
    }
    sqlite3_busy_timeout(sourceHandle, Connection::busyTimeoutMs());
    QFile::remove(partial);
    sqlite3* opened = nullptr;
    const int code = sqlite3_open_v2(QFile::encodeName(partial).constData(), &opened,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const Handle target(opened);
    check(code, target.get());
    // The copy is flushed to the disk once, whole, before it is put in place; until then it is
    // nobody's database, so it needs no journal.
    check(sqlite3_exec(target.get(), "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr,
                       nullptr, nullptr),
          target.get());
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", sourceHandle, "main");
    if (backup == nullptr) {
        check(sqlite3_errcode(target.get()), target.get());
    }
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    check(stepped, target.get());
    check(finished, target.get());
}

// Copies the database at source to target through a temporary file beside the target, put in
// place in one step once it is on the disk.
void backupReplacing(const QString& source, const QString& target) {
    if (!QFileInfo(source).isFile()) {
        throw DbError(ErrorCode::FileNotFound, "File not found: " + source);
    }
    const QString partial = target + ".partial";
    try {
        copyDatabase(source, partial);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    replaceWithFinished(partial, target);
}

// Refuses a backup that is not a database, or is shorter than its header says (a copy cut
// off), as SQLite does when it counts the pages: put in place of the register, it would lose
// the register for a file that cannot be read.
void requireWholeDatabase(const QString& path) {
    Connection backup;
    backup.open(path);
    backup.scalar(QStringLiteral("PRAGMA page_count"));
}

// Puts a backup in place of the database file. The backup's bytes are copied as they are, so
// that even a register SQLite cannot open any more can be replaced. A journal beside the
// replaced file, left by a program stopped in the middle of a write, belongs to that file:
// played back onto the restored one it would write the old file's pages into it, so it goes
// first.
void restoreReplacing(const QString& source, const QString& target) {
    if (!QFileInfo(source).isFile()) {
        throw DbError(ErrorCode::FileNotFound, "File not found: " + source);
    }
    requireWholeDatabase(source);
    const QString partial = target + ".partial";
    QFile::remove(partial);
    if (!QFile::copy(source, partial)) {
        QFile::remove(partial);
        throw DbError(ErrorCode::FileNotFound, "Could not copy " + source + " to " + target);
    }
    const QString journal = target + "-journal";
    if (QFile::exists(journal) && !QFile::remove(journal)) {
        QFile::remove(partial);
        throw DbError(ErrorCode::FileNotFound, "Could not remove " + journal);
    }
    replaceWithFinished(partial, target);
}
} // namespace

QString backupFolder(const QString& dataFolder) {
    return dataFolder + "/VARLO_MMbackup";
}

QString backupFileName(const QDate& day) {
    return "VARLO_MMbackup_" + day.toString("yyyy-MM-dd") + ".mdb";
}

void BackupDB(const QString& dataFolder, const QString& databaseName, const QDate& today) {
    const QString folder = backupFolder(dataFolder);
    if (!QDir().mkpath(folder)) {
        throw DbError(ErrorCode::FileNotFound, "Could not create the folder " + folder);
    }
    backupReplacing(dataFolder + "/" + databaseName, folder + "/" + backupFileName(today));
}

void RestoreDB(const QString& dataFolder, const QString& databaseName, const QString& backupName) {
    if (backupName.isEmpty() || backupName.contains('/')) {
        throw DbError(ErrorCode::FileNotFound, "No backup file was chosen");
    }
    restoreReplacing(backupFolder(dataFolder) + "/" + backupName, dataFolder + "/" + databaseName);
}

void BackupServerRegister(Connection& server, const QString& dataFolder, const QDate& today,
                          const CopyProgress& progress) {
    const QString folder = backupFolder(dataFolder);
    if (!QDir().mkpath(folder)) {
        throw DbError(ErrorCode::FileNotFound, "Could not create the folder " + folder);
    }
    copyRegisterToFile(server, folder + "/" + backupFileName(today), progress);
}

namespace {
void openBackup(Connection& backup, const QString& dataFolder, const QString& backupName) {
    if (backupName.isEmpty() || backupName.contains('/')) {
        throw DbError(ErrorCode::FileNotFound, "No backup file was chosen");
    }
    backup.open(backupFolder(dataFolder) + "/" + backupName);
}
} // namespace

qint64 eventsSinceBackup(Connection& server, const QString& dataFolder, const QString& backupName) {
    Connection backup;
    openBackup(backup, dataFolder, backupName);
    return eventsMissingFrom(server, backup);
}

void RestoreServerRegister(Connection& server, const QString& dataFolder, const QString& backupName,
                           const CopyProgress& progress) {
    Connection backup;
    openBackup(backup, dataFolder, backupName);
    replaceRegister(backup, server, progress);
}

QStringList ListBackups(const QString& dataFolder) {
    const QDir folder(backupFolder(dataFolder));
    if (!folder.exists()) {
        throw DbError(76, "Path not found");
    }
    return folder.entryList(QDir::Files, QDir::Name);
}

QString eventsKeptSentence(const std::optional<qint64>& events) {
    if (!events) {
        return QStringLiteral("Trigger events logged since the backup stay in the event log.");
    }
    if (*events == 0) {
        return QStringLiteral(
            "Every trigger event logged on the server is in the backup; the event log keeps "
            "them all.");
    }
    if (*events == 1) {
        return QStringLiteral(
            "1 trigger event logged since the backup is not in it; it stays in the event log.");
    }
    return QStringLiteral("%1 trigger events logged since the backup are not in it; they stay "
                          "in the event log.")
        .arg(*events);
}
