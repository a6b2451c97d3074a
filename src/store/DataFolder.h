#pragma once

#include <QString>

// The data folder: the user's documents folder & "/Ombrevault/Quorvelle".
QString defaultDataFolder();

QString defaultDatabasePath(const QString& dataFolder);
QString locationFilePath(const QString& dataFolder);

// What the location file says about the database to use.
struct DatabaseChoice {
    QString path;
    bool emptyLocationLine = false; // the default is used and the user is told so
};

// Reads the location file: absent gives the default file; an empty first line gives the
// default and flags it; a path is used unchanged. A file with no line at all raises.
DatabaseChoice chooseDatabase(const QString& dataFolder);

// Writes path as the only line of the location file.
void writeLocationFile(const QString& dataFolder, const QString& path);

// Creates the data folder and the default database when missing (first start).
void prepareDataFolder(const QString& dataFolder);

bool FileExists(const QString& path);
bool FolderExists(const QString& path);
