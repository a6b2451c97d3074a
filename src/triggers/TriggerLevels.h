#pragma once

#include <QHash>
#include <QString>
#include <optional>

class Connection;

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
// The TriggerLevels row that holds the site default.
inline const QString kSiteDefaultKey = QStringLiteral("*");

std::optional<double>& levelValue(TriggerLevels& levels, LevelField field);
std::optional<double> levelValue(const TriggerLevels& levels, LevelField field);
// "Amber displacement", "Red rate", "Rate window"...
QString levelFieldName(LevelField field);

// A level as its box shows it: the shortest decimal text, empty for no level.
QString levelText(const std::optional<double>& value);

// The levels with one box changed to text, or the reason the text is refused: not a number,
// negative, a window or interval of zero, or a red level below its amber level.
struct LevelChange {
    std::optional<TriggerLevels> accepted;
    QString refusal;
};
LevelChange changeLevel(const TriggerLevels& current, LevelField field, const QString& text);

// The levels that apply to a sensor: each of its own values, else the site default's, and
// the rate window falls back to kDefaultRateWindow.
TriggerLevels effectiveLevels(const TriggerLevels& sensor, const TriggerLevels& site);

// Every stored row by InstrumentID (the site default under kSiteDefaultKey).
QHash<QString, TriggerLevels> readAllTriggerLevels(Connection& db);
// One row; no row gives empty levels.
TriggerLevels readTriggerLevels(Connection& db, const QString& key);
// The levels that apply to a sensor, from its row and the site default's.
TriggerLevels appliedLevels(Connection& db, const QString& instrumentId);
// Stores the row in one transaction; empty levels remove it.
void writeTriggerLevels(Connection& db, const QString& key, const TriggerLevels& levels);
