#include "logger/LoggerLineChecks.h"

#include <QDate>
#include <QTime>

QList<ReadingFlag> checkLoggerLine(const QStringList& fields, DateOrder order,
                                   DateOrder desktopOrder, int nodeCount,
                                   const CheckSettings& settings, const QDateTime& now) {
    const QString dateText = fields.value(0);
    const QByteArray date = dateText.toUtf8();
    const std::optional<LoggerMoment> at = appendMoment(date, order, desktopOrder);
    if (!at) {
        return {{QString(), CheckKind::ImpossibleDate, 0,
                 "No such date or time: \"" + dateText + "\"; the line is not appended"}};
    }
    const QDate day(at->year, at->month, at->day);
    const QTime time(at->hour, at->minute, at->second);
    CheckedReading reading;
    reading.readingDate = day.toString(QStringLiteral("yyyy/MM/dd"));
    reading.readingTime = time.toString(QStringLiteral("HH:mm:ss"));
    reading.fullDate = day.toString(QStringLiteral("yyyy-MM-dd")) + ' ' + reading.readingTime;
    reading.channelT = fields.value(4);
    for (int n = 0; n < nodeCount; ++n) {
        reading.channels << fields.value(5 + n);
    }
    return checkLone(reading, settings, now);
}
