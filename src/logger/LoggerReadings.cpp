#include "logger/LoggerReadings.h"

#include "store/DbError.h"
#include "store/Formats.h"

#include <QDateTime>
#include <algorithm>

namespace {
constexpr int kNodeFieldsFrom = 5;
constexpr int kMaxChannels = 10;
// Decimal texts of up to this many significant digits round exactly as their double does.
constexpr int kExactDigits = 15;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of 1 to maxDigits digits at pos; -1 when there is none or it is longer.
int number(QByteArrayView text, qsizetype& pos, int maxDigits, int* digits = nullptr) {
    int value = 0;
    int count = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (++count > maxDigits) {
            return -1;
        }
        value = value * 10 + (text[pos++] - '0');
    }
    if (digits) {
        *digits = count;
    }
    return count == 0 ? -1 : value;
}

bool validMoment(const LoggerMoment& m) {
    return QDate::isValid(m.year, m.month, m.day) && m.hour >= 0 && m.hour < 24 && m.minute >= 0 &&
           m.minute < 60 && m.second >= 0 && m.second < 60;
}

// " H:m" or " H:m:s" after the date, or nothing; false when anything else follows.
bool readTime(QByteArrayView text, qsizetype pos, LoggerMoment& m) {
    if (pos == text.size()) {
        return true;
    }
    if (text[pos] != ' ' && text[pos] != '\t') {
        return false;
    }
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    m.hour = number(text, pos, 2);
    if (m.hour < 0 || pos >= text.size() || text[pos++] != ':') {
        return false;
    }
    m.minute = number(text, pos, 2);
    if (m.minute < 0) {
        return false;
    }
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        m.second = number(text, pos, 2);
        if (m.second < 0) {
            return false;
        }
    }
    return pos == text.size();
}

int digitsAt(QByteArrayView text, qsizetype from, qsizetype count, bool& ok) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (i >= text.size() || !isDigit(text[i])) {
            ok = false;
            return 0;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

void appendDigits(std::string& out, int value, int width) {
    char buffer[12];
    int at = 12;
    do {
        buffer[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
        --width;
    } while (value > 0 || width > 0);
    out.append(buffer + at, buffer + 12);
}

void dateText(std::string& out, const LoggerMoment& m, char separator) {
    appendDigits(out, m.year, 4);
    out += separator;
    appendDigits(out, m.month, 2);
    out += separator;
    appendDigits(out, m.day, 2);
}

void timeText(std::string& out, const LoggerMoment& m) {
    appendDigits(out, m.hour, 2);
    out += ':';
    appendDigits(out, m.minute, 2);
    out += ':';
    appendDigits(out, m.second, 2);
}
} // namespace

qint64 LoggerMoment::hourNumber() const {
    return QDate(year, month, day).toJulianDay() * 24 + hour;
}

DateOrder localeDateOrder(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = format.indexOf('d');
    const qsizetype month = format.indexOf('M');
    return month >= 0 && (day < 0 || month < day) ? DateOrder::MonthDayYear
                                                  : DateOrder::DayMonthYear;
}

DateOrder otherDayMonthOrder(DateOrder order) {
    return order == DateOrder::MonthDayYear ? DateOrder::DayMonthYear : DateOrder::MonthDayYear;
}

std::optional<LoggerMoment> readLoggerMoment(QByteArrayView text, DateOrder slashOrder,
                                             bool otherOrderToo) {
    text = text.trimmed();
    qsizetype pos = 0;
    int firstDigits = 0;
    const int first = number(text, pos, 4, &firstDigits);
    if (first < 0 || pos >= text.size()) {
        return std::nullopt;
    }
    const char separator = text[pos++];
    const int second = number(text, pos, 2);
    if (second < 0 || pos >= text.size() || text[pos++] != separator) {
        return std::nullopt;
    }
    int thirdDigits = 0;
    const int third = number(text, pos, 4, &thirdDigits);
    if (third < 0) {
        return std::nullopt;
    }
    LoggerMoment m;
    if (!readTime(text, pos, m)) {
        return std::nullopt;
    }
    if (firstDigits == 4 && thirdDigits <= 2 && (separator == '/' || separator == '-')) {
        m.year = first;
        m.month = second;
        m.day = third;
        return validMoment(m) ? std::optional(m) : std::nullopt;
    }
    if (firstDigits > 2 || thirdDigits != 4 ||
        (separator != '/' && separator != '-' && separator != '.')) {
        return std::nullopt;
    }
    m.year = third;
    const bool dayFirst = slashOrder != DateOrder::MonthDayYear;
    for (const bool dayLeads : {dayFirst, !dayFirst}) {
        m.day = dayLeads ? first : second;
        m.month = dayLeads ? second : first;
        if (validMoment(m)) {
            return m;
        }
        if (!otherOrderToo) {
            break;
        }
    }
    return std::nullopt;
}

std::optional<LoggerMoment> fixedPositionMoment(QByteArrayView text, bool dayFirst) {
    bool ok = true;
    const int first = digitsAt(text, 0, 2, ok);
    const int second = digitsAt(text, 3, 2, ok);
    LoggerMoment m;
    m.year = digitsAt(text, 6, 4, ok);
    m.hour = digitsAt(text, 11, 2, ok);
    m.minute = digitsAt(text, 14, 2, ok);
    m.second = digitsAt(text, 17, 2, ok);
    ok = ok && text.size() >= 19 && text[13] == ':' && text[16] == ':';
    m.day = dayFirst ? first : second;
    m.month = dayFirst ? second : first;
    return ok && validMoment(m) ? std::optional(m) : std::nullopt;
}

std::optional<LoggerMoment> appendMoment(QByteArrayView text, DateOrder chosen,
                                         DateOrder desktopOrder) {
    if (chosen == DateOrder::YearMonthDay) {
        return readLoggerMoment(text, desktopOrder);
    }
    return fixedPositionMoment(text, chosen == DateOrder::DayMonthYear);
}

bool appendFixed(std::string& out, QByteArrayView field, int decimals) {
    // A plain decimal ("-12.345") is rounded on its own digits; anything else goes through
    // the lenient conversion and the shared formatter, which give the same text.
    qsizetype pos = 0;
    const bool negative = !field.isEmpty() && field[0] == '-';
    pos += negative ? 1 : 0;
    const qsizetype intFrom = pos;
    while (pos < field.size() && isDigit(field[pos])) {
        ++pos;
    }
    const QByteArrayView integer = field.sliced(intFrom, pos - intFrom);
    QByteArrayView fraction;
    if (pos < field.size() && field[pos] == '.') {
        const qsizetype fracFrom = ++pos;
        while (pos < field.size() && isDigit(field[pos])) {
            ++pos;
        }
        fraction = field.sliced(fracFrom, pos - fracFrom);
    }
    qsizetype lead = 0;
    while (lead < integer.size() && integer[lead] == '0') {
        ++lead;
    }
    qsizetype significant = integer.size() - lead + fraction.size();
    if (lead == integer.size()) {
        qsizetype zeros = 0;
        while (zeros < fraction.size() && fraction[zeros] == '0') {
            ++zeros;
        }
        significant -= zeros;
    }
    const bool plain = pos == field.size() && !integer.isEmpty() &&
                       (field.size() <= intFrom + integer.size() || !fraction.isEmpty()) &&
                       significant <= kExactDigits;
    if (!plain) {
        if (field.isEmpty()) {
            out += '0';
            if (decimals > 0) {
                out += '.';
                out.append(static_cast<size_t>(decimals), '0');
            }
            return true;
        }
        try {
            const double value = leadingNumber(QString::fromUtf8(field));
            out += formatNumber(value,
                                decimals == 1 ? QStringLiteral("##0.0") : QStringLiteral("##0.00"))
                       .toStdString();
            return true;
        } catch (const DbError&) {
            return false;
        }
    }
    // The digits go straight into out, then a carry runs back over them (and over the point)
    // when the first dropped digit rounds the magnitude up, half away from zero.
    const size_t from = out.size();
    if (lead == integer.size()) {
        out += '0';
    } else {
        out.append(integer.data() + lead, static_cast<size_t>(integer.size() - lead));
    }
    if (decimals > 0) {
        out += '.';
        for (int d = 0; d < decimals; ++d) {
            out += d < fraction.size() ? fraction[d] : '0';
        }
    }
    if (fraction.size() > decimals && fraction[decimals] >= '5') {
        size_t at = out.size();
        while (at > from && (out[at - 1] == '9' || out[at - 1] == '.')) {
            --at;
            if (out[at] == '9') {
                out[at] = '0';
            }
        }
        if (at == from) {
            out.insert(from, 1, '1');
        } else {
            ++out[at - 1];
        }
    }
    if (negative && out.find_first_of("123456789", from) != std::string::npos) {
        out.insert(from, 1, '-');
    }
    return true;
}

bool fillLoggerReading(LoggerReading& reading, const QByteArray& instrumentId,
                       const LoggerLine& line, const LoggerMoment& at, int channelCount) {
    reading.readingDate.clear();
    dateText(reading.readingDate, at, '/');
    reading.readingTime.clear();
    timeText(reading.readingTime, at);
    reading.key.assign(instrumentId.constData(), static_cast<size_t>(instrumentId.size()));
    reading.key += ' ';
    reading.key += reading.readingDate;
    reading.key += ' ';
    reading.key += reading.readingTime;
    reading.fullDate.clear();
    dateText(reading.fullDate, at, '-');
    reading.fullDate += ' ';
    reading.fullDate += reading.readingTime;
    reading.channelT.clear();
    if (!appendFixed(reading.channelT, line.fields[4], 1)) {
        return false;
    }
    reading.channelCount = std::clamp(channelCount, 0, kMaxChannels);
    for (int k = 0; k < reading.channelCount; ++k) {
        std::string& channel = reading.channels[static_cast<size_t>(k)];
        channel.clear();
        if (!appendFixed(channel, line.fields[static_cast<size_t>(kNodeFieldsFrom + k)], 2)) {
            return false;
        }
    }
    return true;
}

int loggerChannelCount(const QString& sensorType) {
    return static_cast<int>(leadingNumber(sensorType.left(1)));
}

LoggerMoment loggerMoment(const QDateTime& at) {
    const QDate date = at.date();
    const QTime time = at.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}
