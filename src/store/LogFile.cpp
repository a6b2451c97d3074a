#include "store/LogFile.h"

#include "store/Clock.h"

#include <QFile>
#include <QLocale>

QString logFilePath(const QString& dataFolder) {
    return dataFolder + "/VARLO_MM_logfile.txt";
}

void WriteLog(const QString& dataFolder, const Clock& clock, const QString& message) {
    QFile file(logFilePath(dataFolder));
    // Append only: the file is created by its first entry and never truncated.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return;
    }
    const QString stamp = QLocale::system().toString(clock.now(), QLocale::ShortFormat);
    const QString entry =
        "\r\n" + QString(89, QLatin1Char('*')) + "\r\n" + stamp + " - " + message + "\r\n";
    file.write(entry.toLocal8Bit());
}
