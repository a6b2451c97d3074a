#include "logger/LoggerAppend.h"

#include "readings/ReadingStore.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "store/SqlFailure.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace {
QString insertStatement(const QString& table) {
    QStringList columns = {"DateTimeKey", "ReadingDate", "ReadingTime", "FullDate",
                           "ChannelT",    "IsDirty",     "PlotSpatial", "Plottemporal"};
    for (int k = 1; k <= kChannelColumns; ++k) {
        columns << QStringLiteral("Channel%1").arg(k);
    }
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        marks << "?";
    }
    return "INSERT INTO " + quoteName(table) + " (" + columns.join(", ") + ") VALUES (" +
           marks.join(", ") + ")";
}
} // namespace

void appendLoggerReadings(Connection& db, const QString& table,
                          const QVector<LoggerReading>& readings,
                          const std::function<void(const QString&)>& duplicate, int& appended) {
    appended = 0;
    keepingDoneRows(db, [&] {
        QSqlQuery insert = prepareQuery(db, insertStatement(table));
        for (const LoggerReading& reading : readings) {
            if (!readingsWithKey(db, table, reading.key).isEmpty()) {
                duplicate(reading.key);
                continue;
            }
            int at = 0;
            for (const QString& text : {reading.key, reading.readingDate, reading.readingTime,
                                        reading.fullDate, reading.channelT}) {
                insert.bindValue(at++, text);
            }
            insert.bindValue(at++, 1);
            insert.bindValue(at++, 0);
            insert.bindValue(at++, 1);
            for (int k = 0; k < kChannelColumns; ++k) {
                insert.bindValue(at++, k < reading.channels.size() ? QVariant(reading.channels[k])
                                                                   : QVariant());
            }
            runQuery(insert);
            ++appended;
        }
    });
}

bool moveLoggerFileToBackup(const QString& baseFolder, const QString& instrumentId,
                            const QDate& today) {
    const QDir base(baseFolder);
    if (!base.exists("backup") && !base.mkdir("backup")) {
        throw DbError(ErrorCode::FileNotFound, "Cannot create " + base.filePath("backup"));
    }
    const QString source = base.filePath("QV" + instrumentId + ".txt");
    if (!QFile::exists(source)) {
        return false;
    }
    const QString target =
        base.filePath("backup/QV" + instrumentId + "_" + today.toString("yyyy-MM-dd") + ".txt");
    if (QFile::exists(target)) {
        QFile::remove(target);
    }
    if (!QFile::copy(source, target)) {
        throw DbError(ErrorCode::FileNotFound, "Cannot copy " + source + " to " + target);
    }
    QFile::remove(source);
    return true;
}
