#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The checks every reading goes through once it is stored: plain functions of the readings'
// texts, the site's thresholds and the clock's now. A flag says a reading looks wrong; it
// changes nothing by itself. Only a reading an engineer rejects is left out of the
// computations.

enum class CheckKind {
    Range,          // a channel outside the site's range for it
    Spike,          // a channel far from the median of its neighbours
    RateJump,       // a channel moving faster than any ground moves
    FlatLine,       // a channel reading the same value reading after reading
    FutureDate,     // dated after now
    ImpossibleDate, // a date or time that is no moment (2026/02/30, 25:10:00)
    NoTemperature,  // no temperature: nothing to correct the reading with
};

// The name stored for a check and shown to the user: "range", "spike", "rate", "flat",
// "future", "date", "temperature".
QString checkName(CheckKind kind);
std::optional<CheckKind> checkKindOf(const QString& name);

// The site's thresholds. Channels are in mm, temperatures in °C, rates in mm/day.
struct CheckSettings {
    double channelMin = -50.0;
    double channelMax = 150.0;
    double temperatureMin = -20.0;
    double temperatureMax = 70.0;
    int spikeNeighbours = 2;     // readings each side whose median a value is held against
    double spikeThreshold = 3.0; // mm from that median
    double maxRate = 50.0;       // mm/day between one reading and the next
    int flatCount = 12;          // the same value this many times in a row
    bool operator==(const CheckSettings&) const = default;
};

// A rate is never taken over less than this: two readings a minute apart that differ by a
// tenth of a millimetre are noise, not 144 mm/day.
constexpr double kShortestRateDays = 1.0 / 24.0;

// One stored reading as the checks read it.
struct CheckedReading {
    QString key;          // DateTimeKey
    QString fullDate;     // "yyyy-MM-dd HH:mm:ss"
    QString readingDate;  // "YYYY/MM/DD" as stored
    QString readingTime;  // "HH:NN:SS" as stored
    QStringList channels; // Channel1..ChannelN, node channels only
    QString channelT;
    bool rejected = false; // rejected readings are no neighbours of the others
};

struct ReadingFlag {
    QString key;
    CheckKind check = CheckKind::Range;
    int channel = 0; // node channel 1..8; 0 for the reading as a whole or its temperature
    QString detail;  // what was found, in the user's words
    bool operator==(const ReadingFlag&) const = default;
};

// True when "YYYY/MM/DD" and "HH:NN:SS" name a moment of the calendar and the clock.
bool isPossibleMoment(const QString& readingDate, const QString& readingTime);

// The flags of a sensor's readings, given oldest first (FullDate order). Spikes need at least
// one reading each side, so the newest reading is judged for a spike once a later one is in;
// its rate is judged at once. Rejected readings are flagged themselves but are nobody's
// neighbour.
QList<ReadingFlag> checkReadings(const QList<CheckedReading>& readings,
                                 const CheckSettings& settings, const QDateTime& now);

// Which readings of a stretch (consecutive readings of a sensor, oldest first) a change at
// positions changedFrom .. changedTo - 1 can alter, and whether the stretch holds what their
// checks need. A change is an added, edited, deleted (then nothing may stand there),
// rejected or restored reading. It reaches the spike neighbours either side, the next
// reading's rate and a flat line until its value changes; judging those needs their own
// neighbours, and a flat line's start. fromStart and toEnd: the stretch begins with the
// sensor's first reading, ends with its last. While wantsEarlier or wantsLater, the stretch
// is too short that way; otherwise checkReadings() of the stretch gives the flags of the
// readings judgedFrom .. judgedTo - 1 as the checks of all the sensor's readings would.
struct CheckReach {
    qsizetype judgedFrom = 0;
    qsizetype judgedTo = 0;
    bool wantsEarlier = false;
    bool wantsLater = false;
};
CheckReach checkReach(const QList<CheckedReading>& stretch, qsizetype changedFrom,
                      qsizetype changedTo, bool fromStart, bool toEnd,
                      const CheckSettings& settings);

// The flags of one reading alone (range, dates, temperature): what the logger review can
// judge of a line before it is appended.
QList<ReadingFlag> checkLone(const CheckedReading& reading, const CheckSettings& settings,
                             const QDateTime& now);

// "Channel 2: 31.40 mm is 12.10 mm from the median 19.30 mm of its neighbours" ...: the flags
// of one reading, one per line, for a tooltip or a list.
QString flagsText(const QList<ReadingFlag>& flags);
