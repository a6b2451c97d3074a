#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// Logger rows turned into readings: the rows kept by default and the columns a kept row
// writes.

// The date text of a reading taken without a valid clock time.
inline const QString kNoClockTime = QStringLiteral("2000/01/01 00:00:80");

// How a logger file writes its dates.
enum class DateOrder { YearMonthDay, DayMonthYear, MonthDayYear };

// A date-and-time text read the way the desktop reads one: year first ("/" or "-"), else
// the user's short date form, each followed by the time. Invalid when it reads as neither.
QDateTime loggerDateTime(const QString& text);

// The rows kept by default, a minimum interval in hours apart. A row is kept when it is the
// first readable one, or when at least intervalHours hour boundaries lie between the last kept
// row and it (an earlier row has fewer than none). Rows without a valid clock time, or whose
// date does not read, are not kept and do not count as the last kept row.
QVector<bool> appendMarks(const QVector<QStringList>& rows, int intervalHours);

// The columns of one appended reading, as texts ready to store.
struct LoggerReading {
    QString key;
    QString readingDate;  // "yyyy/MM/dd"
    QString readingTime;  // "HH:mm:ss"
    QString fullDate;     // "yyyy-MM-dd HH:mm:ss"
    QString channelT;     // "##0.0"
    QStringList channels; // Channel1 .. ChannelN, "##0.00"; the columns above are left empty
};

// The reading a logger row (TrovDate, C1 .. C15) gives for the sensor: the date by the chosen
// order, the temperature from C4 and the first channelCount node channels from C5 on. Nothing
// when the date text does not read as a date and time in that order. Values are the leading
// numbers of the fields ("." as decimal point), so an empty field stores 0.
std::optional<LoggerReading> loggerReading(const QString& instrumentId, const QStringList& row,
                                           DateOrder order, int channelCount);

// The number of node channels a sensor's logger rows fill: the first digit of its type code.
int loggerChannelCount(const QString& sensorType);
