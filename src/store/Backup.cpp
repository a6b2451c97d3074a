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
#include <algorithm>
#include <functional>
#include <memory>
#include <sqlite3.h>

namespace {
// Bytes read and written at a time: large enough that the copy runs at the disk's pace.
constexpr qint64 kChunk = 8 * 1024 * 1024;

void check(int code, const QString& what) {
    if (code != SQLITE_OK) {
        throw sqliteError(code, what + ": " + QString::fromUtf8(sqlite3_errstr(code)));
    }
}

// Writes the database at source into partial as one read transaction: while it lasts no other
// program can commit (its write waits, or the copy fails busy), and beginning it plays back the
// journal of a program stopped in the middle of a write. A copy of the file's bytes without it
// could take half of a transaction, or the pages a stopped writer had not undone. The bytes are
// read through SQLite's own handle of the file: closing another handle of it would drop the
// locks SQLite holds on it.
void copyDatabase(const QString& source, const QString& partial) {
    Connection from;
    from.open(source);
    sqlite3* const handle = fileHandle(from);
    if (handle == nullptr) {
        throw DbError(ErrorCode::NotOpen, "Could not open " + source);
    }
    from.inTransaction([&] {
        from.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        sqlite3_file* file = nullptr;
        check(sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &file),
              "Could not reach " + source);
        sqlite3_int64 size = 0;
        check(file->pMethods->xFileSize(file, &size), "Could not read the size of " + source);

        QFile out(partial);
        const auto writeFailed = [&] {
            return DbError(ErrorCode::FileNotFound,
                           "Could not write " + partial + ": " + out.errorString());
        };
        if (!out.open(QIODevice::WriteOnly)) {
            throw writeFailed();
        }
        QByteArray chunk(static_cast<qsizetype>(std::min<qint64>(kChunk, size)), Qt::Uninitialized);
        for (sqlite3_int64 offset = 0; offset < size; offset += chunk.size()) {
            const int length = static_cast<int>(std::min<qint64>(chunk.size(), size - offset));
            check(file->pMethods->xRead(file, chunk.data(), length, offset),
                  "Could not read " + source);
            if (out.write(chunk.constData(), length) != length) {
                throw writeFailed();
            }
        }
        if (!out.flush()) {
            throw writeFailed();
        }
    });
}

// Replaces target with what write puts into a temporary file beside it, in one step once it is
// on the disk; a failed write leaves target as it was and no temporary file. A missing source
// fails as FileNotFound where write opens it.
void replaceThrough(const QString& target,
                    const std::function<void(const QString& partial)>& write) {
    const QString partial = target + ".partial";
    try {
        write(partial);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    replaceWithFinished(partial, target);
}

// Opens a backup, refusing one that is not a database, or is shorter than its header says (a
// copy cut off), as SQLite does when it counts the pages: put in place of the register, it would
// lose the register for a file that cannot be read.
std::unique_ptr<Connection> openWholeDatabase(const QString& path) {
    auto backup = std::make_unique<Connection>();
    backup->open(path);
    backup->scalar(QStringLiteral("PRAGMA page_count"));
    return backup;
}

// Opens the database a restore replaces, when SQLite can read it: opening plays back the journal
// of a program stopped in the middle of a write. Null for a missing file or one that is not a
// readable database, which the restore replaces as a file. A write of another program in
// progress past the busy timeout fails as Busy.
std::unique_ptr<Connection> openForReplacing(const QString& target) {
    if (!QFileInfo(target).isFile()) {
        return nullptr;
    }
    auto held = std::make_unique<Connection>();
    try {
        held->open(target);
        held->scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const DbError& e) {
        if (e.kind() == DbErrorKind::Busy) {
            throw;
        }
        return nullptr;
    }
    return held;
}

// Pages written at a time between reports of progress: 8 MiB at SQLite's default page size.
constexpr int kPagesPerStep = 2048;

struct FinishBackup {
    // Finishing a copy before its end rolls the target's transaction back.
    void operator()(sqlite3_backup* copy) const { sqlite3_backup_finish(copy); }
};

// Writes the backup into the database file itself, as one transaction of SQLite's: a failure
// or a cancel rolls it back, and a write of another program finishes first or the restore fails
// busy. A program that keeps the file open sees the restored register and stores its next
// change in it; had the file been replaced by a rename, that program would be left on the
// replaced file, every change refused. Progress is told in bytes written.
void writeInto(Connection& target, Connection& from, const QString& source,
               const CopyProgress& progress) {
    const QString failed = "Could not restore " + source;
    sqlite3* const to = fileHandle(target);
    sqlite3* const backup = fileHandle(from);
    if (to == nullptr || backup == nullptr) {
        throw DbError(ErrorCode::NotOpen, failed + ": the file has no native handle");
    }
    const qint64 pageSize = from.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
    std::unique_ptr<sqlite3_backup, FinishBackup> copy(
        sqlite3_backup_init(to, "main", backup, "main"));
    if (!copy) {
        throw sqliteError(sqlite3_errcode(to),
                          failed + ": " + QString::fromUtf8(sqlite3_errmsg(to)));
    }
    for (;;) {
        const int stepped = sqlite3_backup_step(copy.get(), progress ? kPagesPerStep : -1);
        if (stepped == SQLITE_DONE) {
            break;
        }
        check(stepped, failed);
        const qint64 total = sqlite3_backup_pagecount(copy.get());
        if (!progress((total - sqlite3_backup_remaining(copy.get())) * pageSize,
                      total * pageSize)) {
            throw CopyCancelled();
        }
    }
    if (progress) {
        const qint64 total = sqlite3_backup_pagecount(copy.get()) * pageSize;
        progress(total, total);
    }
    check(sqlite3_backup_finish(copy.release()), failed);
}

// Puts a backup in place of the database file: written into it where SQLite can read the file,
// otherwise copied as it is and renamed over it, so that even a register SQLite cannot open any
// more can be replaced. A journal beside such a file, left by a program stopped in the middle
// of a write, belongs to the replaced file: played back onto the restored one it would write
// the old file's pages into it, so it goes first.
void restoreReplacing(const QString& source, const QString& target, const CopyProgress& progress) {
    const std::unique_ptr<Connection> backup = openWholeDatabase(source);
    if (const std::unique_ptr<Connection> database = openForReplacing(target)) {
        writeInto(*database, *backup, source, progress);
        return;
    }
    replaceThrough(target, [&](const QString& partial) {
        QFile::remove(partial);
        if (!QFile::copy(source, partial)) {
            throw DbError(ErrorCode::FileNotFound, "Could not copy " + source + " to " + target);
        }
        const QString journal = target + "-journal";
        if (QFile::exists(journal) && !QFile::remove(journal)) {
            throw DbError(ErrorCode::FileNotFound, "Could not remove " + journal);
        }
    });
}

// The day's backup in the backup folder, which is created when missing.
QString dayBackupPath(const QString& dataFolder, const QDate& today) {
    const QString folder = backupFolder(dataFolder);
    if (!QDir().mkpath(folder)) {
        throw DbError(ErrorCode::FileNotFound, "Could not create the folder " + folder);
    }
    return folder + "/" + backupFileName(today);
}
} // namespace

QString backupFolder(const QString& dataFolder) {
    return dataFolder + "/VARLO_MMbackup";
}

QString backupFileName(const QDate& day) {
    return "VARLO_MMbackup_" + day.toString("yyyy-MM-dd") + ".mdb";
}

QString BackupDB(const QString& dataFolder, const QString& databaseName, const QDate& today) {
    const QString source = dataFolder + "/" + databaseName;
    const QString target = dayBackupPath(dataFolder, today);
    replaceThrough(target, [&](const QString& partial) { copyDatabase(source, partial); });
    return target;
}

void RestoreDB(const QString& dataFolder, const QString& databaseName, const QString& backupName,
               const CopyProgress& progress) {
    if (backupName.isEmpty() || backupName.contains('/')) {
        throw DbError(ErrorCode::FileNotFound, "No backup file was chosen");
    }
    restoreReplacing(backupFolder(dataFolder) + "/" + backupName, dataFolder + "/" + databaseName,
                     progress);
}

QString BackupServerRegister(Connection& server, const QString& dataFolder, const QDate& today,
                             const CopyProgress& progress) {
    const QString target = dayBackupPath(dataFolder, today);
    copyRegisterToFile(server, target, progress);
    return target;
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
