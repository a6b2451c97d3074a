#include "store/DataFolder.h"

#include "store/DbError.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString defaultDataFolder() {
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return docs.trimmed() + "/Ombrevault/Quorvelle";
}

QString defaultDatabasePath(const QString& dataFolder) {
    return dataFolder + "/QuorvelleVARLO_MM.mdb";
}

QString locationFilePath(const QString& dataFolder) {
    return dataFolder + "/varlomm_location.txt";
}

DatabaseChoice chooseDatabase(const QString& dataFolder) {
    DatabaseChoice choice;
    const QString location = locationFilePath(dataFolder);
    if (!FileExists(location)) {
        choice.path = defaultDatabasePath(dataFolder);
        return choice;
    }
    QFile file(location);
    if (!file.open(QIODevice::ReadOnly)) {
        throw DbError(ErrorCode::FileNotFound, "Could not read file '" + location + "'.");
    }
    const QByteArray content = file.readAll();
    if (content.isEmpty()) {
        throw DbError(62, "Input past end of file");
    }
    QString line = QString::fromLocal8Bit(content.left(content.indexOf('\n')));
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.isEmpty()) {
        choice.path = defaultDatabasePath(dataFolder);
        choice.emptyLocationLine = true;
    } else {
        choice.path = line;
    }
    return choice;
}

void writeLocationFile(const QString& dataFolder, const QString& path) {
    QFile file(locationFilePath(dataFolder));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw DbError(ErrorCode::FileNotFound,
                      "Could not write file '" + locationFilePath(dataFolder) + "'.");
    }
    file.write((path + "\r\n").toLocal8Bit());
}

void prepareDataFolder(const QString& dataFolder) {
    QDir().mkpath(dataFolder);
    const QString db = defaultDatabasePath(dataFolder);
    if (!FileExists(db) && FolderExists(dataFolder)) {
        createDatabaseFile(db);
    }
}

bool FileExists(const QString& path) {
    return QFileInfo(path).isFile();
}

bool FolderExists(const QString& path) {
    return QFileInfo(path).isDir();
}
