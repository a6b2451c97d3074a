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

    bool isEmpty() const;
    bool operator==(const TriggerLevels&) const = default;
};

enum class LevelField { AmberDisp, RedDisp, AmberRate, RedRate, RateWindow, ReadingInterval };
constexpr int kLevelFieldCount = 6;

// The rate window where neither the sensor nor the site sets one.
constexpr double kDefaultRateWindow = 7.0;
// The rate window a box accepts, in days: a day of readings at least, ten years at most.
constexpr double kMinRateWindow = 1.0;
constexpr double kMaxRateWindow = 3650.0;
// The longest reading interval a box accepts, in days.
constexpr double kMaxReadingInterval = 3650.0;
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
// kMinRateWindow to kMaxRateWindow, a reading interval of zero, or a red level below its amber
// level.
struct LevelChange {
    std::optional<TriggerLevels> accepted;
    QString refusal;
};
LevelChange changeLevel(const TriggerLevels& current, LevelField field, const QString& text);

// The levels that apply to a sensor: each of its own values, else the site default's, and
// the rate window falls back to kDefaultRateWindow. A stored value that no box would accept
// cannot hide a state: a level that is not finite counts as not set, a window that is not
// finite or not above 0 as not set, and a window outside kMinRateWindow to kMaxRateWindow is
// brought to the nearer end.
TriggerLevels effectiveLevels(const TriggerLevels& sensor, const TriggerLevels& site);

// The rate window in whole seconds, for the start of the window; the days are first brought
// within 0 to kMaxRateWindow (kDefaultRateWindow when not a number), so it never overflows.
qint64 rateWindowSeconds(double days);

// Every stored row by InstrumentID (the site default under kSiteDefaultKey).
QHash<QString, TriggerLevels> readAllTriggerLevels(Connection& db);
// One row; no row gives empty levels.
TriggerLevels readTriggerLevels(Connection& db, const QString& key);
// The levels that apply to a sensor, from its row and the site default's.
TriggerLevels appliedLevels(Connection& db, const QString& instrumentId);
// Sets the sensor's displacement levels that the time charts draw, from the levels that apply
// to it; a register without the trigger tables leaves them unset.
void addChartLevels(Connection& db, GraphSensor& sensor);
// Stores the row in one transaction; empty levels remove it.
void writeTriggerLevels(Connection& db, const QString& key, const TriggerLevels& levels);
