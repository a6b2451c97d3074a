#include "readings/ReadingKeys.h"

#include "store/Formats.h"

QString readingKey(const QString& instrumentId, const QDate& date, const QTime& time) {
    return instrumentId + ' ' + readingDateText(date) + ' ' + readingTimeText(time);
}

QString fullDateText(const QDate& date, const QTime& time) {
    // Built from the fields themselves: a local date-time would be invalid, and its text
    // empty, for a moment that a daylight-saving change skips.
    return date.toString(QStringLiteral("yyyy-MM-dd")) + ' ' +
           time.toString(QStringLiteral("HH:mm:ss"));
}

QString readingDateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString readingTimeText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QDate readingDateOf(const QString& text) {
    const QString trimmed = text.trimmed().left(10);
    for (const char* form : {"yyyy/MM/dd", "yyyy/M/d", "yyyy-MM-dd", "yyyy-M-d"}) {
        const QDate date = QDate::fromString(trimmed, QLatin1String(form));
        if (date.isValid()) {
            return date;
        }
    }
    return {};
}

QTime readingTimeOf(const QString& text) {
    const QString trimmed = text.trimmed();
    for (const char* form : {"HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm"}) {
        const QTime time = QTime::fromString(trimmed, QLatin1String(form));
        if (time.isValid()) {
            return time;
        }
    }
    return {};
}

QString channelText(const QString& typed) {
    return formatNumber(typed, QStringLiteral("##0.00"));
}

QString storedText(const QString& text) {
    return text.isNull() ? QString("") : text;
}

bool isValueCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u',' || u == u'-' || u == u'.';
}

bool isValueText(const QString& text) {
    for (const QChar c : text) {
        if (!isValueCharacter(c)) {
            return false;
        }
    }
    return true;
}
