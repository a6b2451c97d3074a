#include "logger/LoggerReadings.h"

#include "readings/ReadingKeys.h"
#include "store/DbError.h"
#include "store/Formats.h"

#include <QLocale>
#include <algorithm>

namespace {
constexpr int kNodeFieldsFrom = 5;
constexpr int kMaxChannels = 10;

// Hours since a fixed origin, counting hour boundaries as the calendar does.
qint64 hourNumber(const QDateTime& at) {
    return at.date().toJulianDay() * 24 + at.time().hour();
}

int digitsAt(const QString& text, qsizetype from, qsizetype count, bool& ok) {
    const QString part = text.mid(from, count);
    bool read = part.size() == count;
    for (const QChar c : part) {
        read = read && c.isDigit();
    }
    ok = ok && read;
    return read ? part.toInt() : 0;
}

// "dd/mm/yyyy HH:MM:SS" or "mm/dd/yyyy HH:MM:SS", read by character position.
QDateTime fixedPositions(const QString& text, bool dayFirst) {
    bool ok = true;
    const int first = digitsAt(text, 0, 2, ok);
    const int second = digitsAt(text, 3, 2, ok);
    const int year = digitsAt(text, 6, 4, ok);
    const QTime time = QTime::fromString(text.mid(11, 8), "HH:mm:ss");
    if (!ok || !time.isValid()) {
        return {};
    }
    const QDate date = dayFirst ? QDate(year, second, first) : QDate(year, first, second);
    return date.isValid() ? QDateTime(date, time) : QDateTime();
}

QString formatted(const QString& field, const QString& pattern) {
    return formatNumber(leadingNumber(field), pattern);
}
} // namespace

QDateTime loggerDateTime(const QString& text) {
    const QString trimmed = text.trimmed();
    for (const char* form : {"yyyy/M/d H:m:s", "yyyy-M-d H:m:s", "yyyy/M/d H:m", "yyyy-M-d H:m",
                             "yyyy/M/d", "yyyy-M-d"}) {
        const QDateTime at = QDateTime::fromString(trimmed, QString::fromLatin1(form));
        if (at.isValid()) {
            return at;
        }
    }
    const QLocale locale = QLocale::system();
    const QString dateForm = locale.dateFormat(QLocale::ShortFormat);
    for (const QString& form : {dateForm + " H:m:s", dateForm + " H:m", dateForm}) {
        const QDateTime at = locale.toDateTime(trimmed, form);
        if (at.isValid()) {
            return at;
        }
    }
    return {};
}

QVector<bool> appendMarks(const QVector<QStringList>& rows, int intervalHours) {
    QVector<bool> marks(rows.size(), false);
    std::optional<qint64> reference;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QString date = rows[r].value(0);
        if (date == kNoClockTime) {
            continue;
        }
        const QDateTime at = loggerDateTime(date);
        if (!at.isValid()) {
            continue;
        }
        const qint64 hour = hourNumber(at);
        if (!reference || hour - *reference >= intervalHours) {
            marks[r] = true;
            reference = hour;
        }
    }
    return marks;
}

std::optional<LoggerReading> loggerReading(const QString& instrumentId, const QStringList& row,
                                           DateOrder order, int channelCount) {
    const QString text = row.value(0);
    const QDateTime at = order == DateOrder::YearMonthDay
                             ? loggerDateTime(text)
                             : fixedPositions(text, order == DateOrder::DayMonthYear);
    if (!at.isValid()) {
        return std::nullopt;
    }
    LoggerReading reading;
    try {
        const QTime time(at.time().hour(), at.time().minute(), at.time().second());
        reading.key = readingKey(instrumentId, at.date(), time);
        reading.readingDate = readingDateText(at.date());
        reading.readingTime = readingTimeText(time);
        reading.fullDate = fullDateText(at.date(), time);
        reading.channelT = formatted(row.value(4), "##0.0");
        const int channels = std::clamp(channelCount, 0, kMaxChannels);
        for (int k = 0; k < channels; ++k) {
            reading.channels << formatted(row.value(kNodeFieldsFrom + k), "##0.00");
        }
    } catch (const DbError&) {
        // A number too large to read: the row cannot be stored.
        return std::nullopt;
    }
    return reading;
}

int loggerChannelCount(const QString& sensorType) {
    return static_cast<int>(leadingNumber(sensorType.left(1)));
}
