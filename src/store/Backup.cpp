#include "store/Backup.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EventLogMerge.h"
#include "store/RegisterCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {
// Waits until the file, or a folder's list of names, is on the disk itself: a copy that is
// told as made, or a register put back, must survive the power going off just after. Gives
// the system's error text, empty once it is there.
QString flushToDisk(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0) {
        return qt_error_string(errno);
    }
    const int flushed = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    return flushed != 0 || closed != 0 ? qt_error_string(flushed != 0 ? flushed : closed)
                                       : QString();
}

// Copies source to target through a temporary file beside the target, on the disk before it
// is renamed into place in one step, the rename on the disk before this returns.
void copyReplacing(const QString& source, const QString& target) {
    if (!QFileInfo(source).isFile()) {
        throw DbError(ErrorCode::FileNotFound, "File not found: " + source);
    }
    const QString partial = target + ".partial";
    QFile::remove(partial);
    if (!QFile::copy(source, partial)) {
        QFile::remove(partial);
        throw DbError(ErrorCode::FileNotFound, "Could not copy " + source + " to " + target);
    }
    if (const QString failure = flushToDisk(partial, O_RDONLY); !failure.isEmpty()) {
        QFile::remove(partial);
        throw DbError(ErrorCode::FileNotFound,
                      "Could not write " + target + " to the disk: " + failure);
    }
    std::error_code error;
    std::filesystem::rename(partial.toStdString(), target.toStdString(), error);
    if (error) {
        QFile::remove(partial);
        throw DbError(ErrorCode::FileNotFound, "Could not replace " + target + ": " +
                                                   QString::fromStdString(error.message()));
    }
    const QString failure = flushToDisk(QFileInfo(target).absolutePath(), O_RDONLY | O_DIRECTORY);
    if (!failure.isEmpty()) {
        throw DbError(ErrorCode::FileNotFound,
                      "Could not write the folder of " + target + " to the disk: " + failure);
    }
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
    copyReplacing(dataFolder + "/" + databaseName, folder + "/" + backupFileName(today));
}

void RestoreDB(const QString& dataFolder, const QString& databaseName, const QString& backupName) {
    if (backupName.isEmpty() || backupName.contains('/')) {
        throw DbError(ErrorCode::FileNotFound, "No backup file was chosen");
    }
    copyReplacing(backupFolder(dataFolder) + "/" + backupName, dataFolder + "/" + databaseName);
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
