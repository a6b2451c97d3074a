#include "store/Backup.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EventLogMerge.h"
#include "store/FileReplace.h"
#include "store/RegisterCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// Copies source to target through a temporary file beside the target, put in place in one
// step once it is on the disk.
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
