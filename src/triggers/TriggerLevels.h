#pragma once

#include <QHash>
#include <QString>
#include <optional>

class Connection;
struct GraphSensor;

// The levels of a trigger action response plan for one sensor, or the site default. An empty
// value is no level.
struct TriggerLevels {
    std::optional<double> amberDisp;       // mm
    std::optional<double> redDisp;         // mm
    std::optional<double> amberRate;       // mm/day
    std::optional<double> redRate;         // mm/day
    std::optional<double> rateWindow;      // days
    std::optional<double> readingInterval; // days
    // The displacement between adjacent anchors (bed separation), a measure of its own, mm.
    std::optional<double> amberSep;
    std::optional<double> redSep;
    // A level counts as reached after this many consecutive readings at or beyond it.
    std::optional<double> consecutive;
    // A displacement or separation level reached stays reached until the value falls below
    // the level less this, mm.
    std::optional<double> hysteresis;
    // The fewest readings in the rate window that give a rate.
    std::optional<double> minRateReadings;

    bool isEmpty() const;
    bool operator==(const TriggerLevels&) const = default;
};

enum class LevelField {
    AmberDisp,
    RedDisp,
    AmberRate,
    RedRate,
    RateWindow,
    ReadingInterval,
    AmberSep,
    RedSep,
    Consecutive,
    Hysteresis,
    MinRateReadings
};
constexpr int kLevelFieldCount = 11;

// The rate window where neither the sensor nor the site sets one.
constexpr double kDefaultRateWindow = 7.0;
// The rate window a box accepts, in days: a day of readings at least, ten years at most.
constexpr double kMinRateWindow = 1.0;
constexpr double kMaxRateWindow = 3650.0;
// The longest reading interval a box accepts, in days.
constexpr double kMaxReadingInterval = 3650.0;
// Where neither the sensor nor the site sets them: one reading reaches a level, a level is
// left as soon as the value is below it, and two readings give a rate.
constexpr double kDefaultConsecutive = 1.0;
constexpr double kDefaultHysteresis = 0.0;
constexpr double kDefaultMinRateReadings = 2.0;
// The largest counts a box accepts.
constexpr double kMaxConsecutive = 100.0;
constexpr double kMaxMinRateReadings = 1000.0;
// The largest displacement (mm) or rate (mm/day) level a box accepts: far beyond any roof
// movement, and small enough to be drawn on a chart.
constexpr double kMaxLevel = 100000.0;
// The TriggerLevels row that holds the site default.
inline const QString kSiteDefaultKey = QStringLiteral("*");

std::optional<double>& levelValue(TriggerLevels& levels, LevelField field);
std::optional<double> levelValue(const TriggerLevels& levels, LevelField field);
// "Amber displacement", "Red rate", "Rate window"...
QString levelFieldName(LevelField field);

// A level as its box shows it: the shortest decimal text, empty for no level.
QString levelText(const std::optional<double>& value);

// The levels with one box changed to text, or the reason the text is refused: not a finite
// number, negative, beyond its bound (kMaxLevel, kMaxReadingInterval), a rate window outside
// kMinRateWindow to kMaxRateWindow, a reading interval of zero, a red level below its amber
// level, or a count (consecutive readings 1 to kMaxConsecutive, rate readings 2 to
// kMaxMinRateReadings) that is not a whole number in its range.
struct LevelChange {
    std::optional<TriggerLevels> accepted;
    QString refusal;
};
LevelChange changeLevel(const TriggerLevels& current, LevelField field, const QString& text);

// The levels that apply to a sensor: each of its own values, else the site default's, and
// the rate window, the consecutive readings, the hysteresis and the rate readings fall back to
// the program's defaults (kDefaultRateWindow, ...). A stored value that no box would accept
// cannot hide a state: a level that is not finite counts as not set, a window that is not
// finite or not above 0 as not set, and a window outside kMinRateWindow to kMaxRateWindow is
// brought to the nearer end.
TriggerLevels effectiveLevels(const TriggerLevels& sensor, const TriggerLevels& site);

// True when the levels judge a reading by the readings before it: more than one consecutive
// reading, or a hysteresis.
bool judgesHistory(const TriggerLevels& levels);

// The columns of TriggerLevels after the first six, which a register made by an earlier
// version lacks until it is opened (addMissingLevelColumns).
QStringList addedLevelColumns();

// The rate window in whole seconds, for the start of the window; the days are first brought
// within 0 to kMaxRateWindow (kDefaultRateWindow when not a number), so it never overflows.
qint64 rateWindowSeconds(double days);

// Every stored row by InstrumentID (the site default under kSiteDefaultKey).
QHash<QString, TriggerLevels> readAllTriggerLevels(Connection& db);
// One row; no row gives empty levels.
TriggerLevels readTriggerLevels(Connection& db, const QString& key);
// The levels that apply to a sensor, from its row and the site default's.
TriggerLevels appliedLevels(Connection& db, const QString& instrumentId);
// Sets the sensor's displacement and rate levels and its rate window that the time charts draw,
// from the levels that apply
// to it (a register without the trigger tables leaves them unset), and whether its
// displacements are corrected for temperature.
void addChartLevels(Connection& db, GraphSensor& sensor);
// Stores the row in one transaction; empty levels remove it.
void writeTriggerLevels(Connection& db, const QString& key, const TriggerLevels& levels);
