#include "cli/LoggerImportAdapter.h"

#include "logger/LoggerAppend.h"
#include "logger/LoggerFile.h"

std::optional<LoggerImportCounts>
importLoggerFile(Connection& db, const QString& dataFolder, const LoggerImportRequest& request,
                 const std::function<void(const QString& key)>& duplicate) {
    const std::optional<QVector<QStringList>> rows = StageLoggerFile(dataFolder, request.file);
    if (!rows) {
        return std::nullopt;
    }
    LoggerImportCounts counts;
    counts.lines = static_cast<int>(rows->size());
    const QVector<bool> marks =
        request.all ? QVector<bool>(rows->size(), true) : appendMarks(*rows, request.intervalHours);
    const int channels = loggerChannelCount(request.sensorType);
    QVector<LoggerReading> readings;
    for (qsizetype r = 0; r < rows->size(); ++r) {
        if (!marks[r]) {
            continue;
        }
        ++counts.chosen;
        if (std::optional<LoggerReading> reading =
                loggerReading(request.instrumentId, (*rows)[r], request.order, channels)) {
            readings << *reading;
        } else {
            ++counts.badLines;
        }
    }
    appendLoggerReadings(
        db, request.instrumentId, readings,
        [&](const QString& key) {
            ++counts.duplicates;
            duplicate(key);
        },
        counts.appended);
    return counts;
}
