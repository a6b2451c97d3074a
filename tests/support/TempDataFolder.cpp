#include "support/TempDataFolder.h"

#include "store/LogFile.h"

#include <QFile>

QString TempDataFolderTest::logText() const {
    QFile file(logFilePath(folder()));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLocal8Bit(file.readAll());
}

int TempDataFolderTest::logEntries() const {
    return logText().count(QString(89, QLatin1Char('*')));
}
