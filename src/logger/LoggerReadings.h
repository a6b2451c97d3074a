#pragma once

#include "logger/LoggerLines.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <compare>
#include <optional>
#include <string>

// Logger rows turned into readings: the dates the rows give and the columns a kept row
// writes.

// The date text of a reading taken without a valid clock time.
inline const QString kNoClockTime = QStringLiteral("2000/01/01 00:00:80");

// How a logger file writes its dates.
enum class DateOrder { YearMonthDay, DayMonthYear, MonthDayYear };

// A date and time as a logger writes it, field by field: never a local date-time, which a
// daylight-saving rule could move or make invalid.
struct LoggerMoment {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // Hours since a fixed origin, counting hour boundaries as the calendar does.
    qint64 hourNumber() const;
    // In time order: field by field from the year down.
    auto operator<=>(const LoggerMoment&) const = default;
};

// A clock's reading as a moment, its fields as they are (no time-zone rule applied).
LoggerMoment loggerMoment(const QDateTime& at);

// The order in which the locale's date format writes day and month: DayMonthYear or
// MonthDayYear.
DateOrder localeDateOrder(const QLocale& locale);

// A date-and-time text read as a desktop reads one: the year first (four digits, "/" or "-",
// then month and day), or two numbers and a four-digit year ("/", "-" or "."), day and month
// in the order that slashOrder gives (DayMonthYear unless it is MonthDayYear) or, when that is
// no date and otherOrderToo is set, in the other order. A time "H:m" or "H:m:s" may follow
// after blanks. Nothing when the text reads as no valid date and time.
std::optional<LoggerMoment> readLoggerMoment(QByteArrayView text, DateOrder slashOrder,
                                             bool otherOrderToo = true);

// The other order of day and month: MonthDayYear for DayMonthYear and the other way round.
DateOrder otherDayMonthOrder(DateOrder order);

// "dd/mm/yyyy HH:MM:SS" or "mm/dd/yyyy HH:MM:SS", read by character position: the day, month
// and year digits at characters 1-2, 4-5 and 7-10, the time at characters 12 to 19.
std::optional<LoggerMoment> fixedPositionMoment(QByteArrayView text, bool dayFirst);

// The moment of a row's date text when its date is appended in the chosen order: year-first
// texts as readLoggerMoment reads them (with the desktop's order for the others), the two
// other orders by character position.
std::optional<LoggerMoment> appendMoment(QByteArrayView text, DateOrder chosen,
                                         DateOrder desktopOrder);

// The columns of one appended reading, as texts ready to store.
struct LoggerReading {
    std::string key;
    std::string readingDate;              // "yyyy/MM/dd"
    std::string readingTime;              // "HH:mm:ss"
    std::string fullDate;                 // "yyyy-MM-dd HH:mm:ss"
    std::string channelT;                 // "##0.0"
    std::array<std::string, 10> channels; // "##0.00"
    int channelCount = 0;                 // Channel1 .. this one are filled
};

// Fills the reading a logger row gives for the sensor at the moment: the temperature from C4
// and the first channelCount node channels from C5 on. Values are the leading numbers of the
// fields ("." as decimal point), so an empty field stores 0. False when a value is too large
// to read: the row cannot be stored.
bool fillLoggerReading(LoggerReading& reading, const QByteArray& instrumentId,
                       const LoggerLine& line, const LoggerMoment& at, int channelCount);

// A number text with the given decimals, halves away from zero, at least one integer digit,
// "." as decimal point, read as the leading number of the field. False on overflow.
bool appendFixed(std::string& out, QByteArrayView field, int decimals);

// The number of node channels a sensor's logger rows fill: the first digit of its type code.
int loggerChannelCount(const QString& sensorType);
