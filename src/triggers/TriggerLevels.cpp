#include "triggers/TriggerLevels.h"

#include "charts/GraphRows.h"
#include "charts/TemperatureCorrection.h"
#include "store/Connection.h"
#include "store/Formats.h"
#include "store/SqlFailure.h"
#include "store/TriggerTables.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

constexpr std::array kFields{
    LevelField::AmberDisp,  LevelField::RedDisp,        LevelField::AmberRate,
    LevelField::RedRate,    LevelField::RateWindow,     LevelField::ReadingInterval,
    LevelField::AmberSep,   LevelField::RedSep,         LevelField::Consecutive,
    LevelField::Hysteresis, LevelField::MinRateReadings};

const QString kColumns =
    QStringLiteral("AmberDisp, RedDisp, AmberRate, RedRate, RateWindow, ReadingInterval, "
                   "AmberSep, RedSep, Consecutive, Hysteresis, MinRateReadings");

// The counts, with their least and largest values.
std::optional<std::pair<double, double>> countRange(LevelField field) {
    if (field == LevelField::Consecutive) {
        return std::pair{1.0, kMaxConsecutive};
    }
    if (field == LevelField::MinRateReadings) {
        return std::pair{2.0, kMaxMinRateReadings};
    }
    return std::nullopt;
}

QVariant bound(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<double>());
}

std::optional<double> numberOf(const QVariant& value) {
    if (value.isNull()) {
        return std::nullopt;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

TriggerLevels levelsOf(const QSqlQuery& query, int first) {
    TriggerLevels levels;
    for (int i = 0; i < kLevelFieldCount; ++i) {
        levelValue(levels, kFields[i]) = numberOf(query.value(first + i));
    }
    return levels;
}

// The level that must not lie above the other one of its pair, and that other one.
std::optional<std::pair<LevelField, LevelField>> amberRedPair(LevelField field) {
    switch (field) {
    case LevelField::AmberDisp:
    case LevelField::RedDisp:
        return std::pair{LevelField::AmberDisp, LevelField::RedDisp};
    case LevelField::AmberRate:
    case LevelField::RedRate:
        return std::pair{LevelField::AmberRate, LevelField::RedRate};
    case LevelField::AmberSep:
    case LevelField::RedSep:
        return std::pair{LevelField::AmberSep, LevelField::RedSep};
    default:
        return std::nullopt;
    }
}

// The largest value a box of the field accepts, with its unit.
std::pair<double, const char*> upperBound(LevelField field) {
    switch (field) {
    case LevelField::AmberDisp:
    case LevelField::RedDisp:
    case LevelField::AmberSep:
    case LevelField::RedSep:
    case LevelField::Hysteresis:
        return {kMaxLevel, "mm"};
    case LevelField::Consecutive:
        return {kMaxConsecutive, "readings"};
    case LevelField::MinRateReadings:
        return {kMaxMinRateReadings, "readings"};
    case LevelField::AmberRate:
    case LevelField::RedRate:
        return {kMaxLevel, "mm/day"};
    case LevelField::RateWindow:
        return {kMaxRateWindow, "days"};
    case LevelField::ReadingInterval:
        break;
    }
    return {kMaxReadingInterval, "days"};
}

// A stored value as the judging takes it: one that is not finite is no value.
std::optional<double> usable(const std::optional<double>& value) {
    return value && std::isfinite(*value) ? value : std::nullopt;
}

std::optional<double> usableWindow(const std::optional<double>& days) {
    return usable(days) && *days > 0 ? days : std::nullopt;
}

} // namespace

bool TriggerLevels::isEmpty() const {
    return *this == TriggerLevels{};
}

std::optional<double>& levelValue(TriggerLevels& levels, LevelField field) {
    switch (field) {
    case LevelField::AmberDisp:
        return levels.amberDisp;
    case LevelField::RedDisp:
        return levels.redDisp;
    case LevelField::AmberRate:
        return levels.amberRate;
    case LevelField::RedRate:
        return levels.redRate;
    case LevelField::RateWindow:
        return levels.rateWindow;
    case LevelField::AmberSep:
        return levels.amberSep;
    case LevelField::RedSep:
        return levels.redSep;
    case LevelField::Consecutive:
        return levels.consecutive;
    case LevelField::Hysteresis:
        return levels.hysteresis;
    case LevelField::MinRateReadings:
        return levels.minRateReadings;
    case LevelField::ReadingInterval:
        break;
    }
    return levels.readingInterval;
}

std::optional<double> levelValue(const TriggerLevels& levels, LevelField field) {
    return levelValue(const_cast<TriggerLevels&>(levels), field);
}

QString levelFieldName(LevelField field) {
    switch (field) {
    case LevelField::AmberDisp:
        return QStringLiteral("Amber displacement");
    case LevelField::RedDisp:
        return QStringLiteral("Red displacement");
    case LevelField::AmberRate:
        return QStringLiteral("Amber rate");
    case LevelField::RedRate:
        return QStringLiteral("Red rate");
    case LevelField::RateWindow:
        return QStringLiteral("Rate window");
    case LevelField::AmberSep:
        return QStringLiteral("Amber separation");
    case LevelField::RedSep:
        return QStringLiteral("Red separation");
    case LevelField::Consecutive:
        return QStringLiteral("Consecutive readings");
    case LevelField::Hysteresis:
        return QStringLiteral("Hysteresis");
    case LevelField::MinRateReadings:
        return QStringLiteral("Rate readings");
    case LevelField::ReadingInterval:
        break;
    }
    return QStringLiteral("Reading interval");
}

QString levelText(const std::optional<double>& value) {
    return value ? QString::number(*value, 'g', 12) : QString();
}

LevelChange changeLevel(const TriggerLevels& current, LevelField field, const QString& text) {
    const QString name = levelFieldName(field);
    std::optional<double> value;
    if (!text.trimmed().isEmpty()) {
        value = strictNumber(text);
        if (!value || !std::isfinite(*value)) {
            return {std::nullopt, name + " must be a number, or empty for no level."};
        }
        if (*value < 0) {
            return {std::nullopt, name + " must not be negative."};
        }
        if (field == LevelField::RateWindow &&
            (*value < kMinRateWindow || *value > kMaxRateWindow)) {
            return {std::nullopt,
                    QStringLiteral("%1 must be from %2 to %3 days.")
                        .arg(name, levelText(kMinRateWindow), levelText(kMaxRateWindow))};
        }
        if (const auto range = countRange(field);
            range &&
            (*value != std::floor(*value) || *value < range->first || *value > range->second)) {
            return {std::nullopt,
                    QStringLiteral("%1 must be a whole number from %2 to %3.")
                        .arg(name, levelText(range->first), levelText(range->second))};
        }
        if (field == LevelField::ReadingInterval && *value == 0) {
            return {std::nullopt, name + " must be more than 0 days."};
        }
        const auto [bound, unit] = upperBound(field);
        if (*value > bound) {
            return {std::nullopt, QStringLiteral("%1 must not be more than %2 %3.")
                                      .arg(name, levelText(bound), QLatin1String(unit))};
        }
    }
    TriggerLevels changed = current;
    levelValue(changed, field) = value;
    if (const auto pair = amberRedPair(field)) {
        const std::optional<double> amber = levelValue(changed, pair->first);
        const std::optional<double> red = levelValue(changed, pair->second);
        if (amber && red && *red < *amber) {
            return {std::nullopt, levelFieldName(pair->second) + " must not be below " +
                                      levelFieldName(pair->first).toLower() + "."};
        }
    }
    return {changed, {}};
}

TriggerLevels effectiveLevels(const TriggerLevels& sensor, const TriggerLevels& site) {
    TriggerLevels levels;
    for (const LevelField field : kFields) {
        const std::optional<double> own = usable(levelValue(sensor, field));
        levelValue(levels, field) = own ? own : usable(levelValue(site, field));
    }
    const std::optional<double> window = usableWindow(sensor.rateWindow);
    levels.rateWindow =
        std::clamp(window ? *window : usableWindow(site.rateWindow).value_or(kDefaultRateWindow),
                   kMinRateWindow, kMaxRateWindow);
    // A stored count is taken whole and within its range, whatever was written there.
    levels.consecutive = std::clamp(std::floor(levels.consecutive.value_or(kDefaultConsecutive)),
                                    1.0, kMaxConsecutive);
    levels.minRateReadings =
        std::clamp(std::floor(levels.minRateReadings.value_or(kDefaultMinRateReadings)), 2.0,
                   kMaxMinRateReadings);
    levels.hysteresis = std::max(0.0, levels.hysteresis.value_or(kDefaultHysteresis));
    return levels;
}

bool judgesHistory(const TriggerLevels& levels) {
    return levels.consecutive.value_or(kDefaultConsecutive) > 1 ||
           levels.hysteresis.value_or(kDefaultHysteresis) > 0;
}

QStringList addedLevelColumns() {
    return kColumns.split(QStringLiteral(", ")).mid(6);
}

qint64 rateWindowSeconds(double days) {
    const double bounded =
        std::isnan(days) ? kDefaultRateWindow : std::clamp(days, 0.0, kMaxRateWindow);
    return std::llround(bounded * 86400.0);
}

QHash<QString, TriggerLevels> readAllTriggerLevels(Connection& db) {
    QSqlQuery query = runQuery(db, "SELECT InstrumentID, " + kColumns + " FROM TriggerLevels", {});
    QHash<QString, TriggerLevels> all;
    while (query.next()) {
        all.insert(query.value(0).toString(), levelsOf(query, 1));
    }
    return all;
}

TriggerLevels readTriggerLevels(Connection& db, const QString& key) {
    QSqlQuery query =
        runQuery(db, "SELECT " + kColumns + " FROM TriggerLevels WHERE InstrumentID = ?", {key});
    return query.next() ? levelsOf(query, 0) : TriggerLevels{};
}

TriggerLevels appliedLevels(Connection& db, const QString& instrumentId) {
    return effectiveLevels(readTriggerLevels(db, instrumentId),
                           readTriggerLevels(db, kSiteDefaultKey));
}

void addChartLevels(Connection& db, GraphSensor& sensor) {
    if (db.isOpen()) {
        sensor.temperatureCorrected = readTemperatureCorrection(db, sensor.instrumentId).isOn();
    }
    if (db.isOpen() && hasTriggerTables(db)) {
        const TriggerLevels levels = appliedLevels(db, sensor.instrumentId);
        sensor.amberDisp = levels.amberDisp;
        sensor.redDisp = levels.redDisp;
        sensor.amberRate = levels.amberRate;
        sensor.redRate = levels.redRate;
        sensor.rateWindow = levels.rateWindow.value_or(kDefaultRateWindow);
        sensor.minRateReadings =
            static_cast<int>(levels.minRateReadings.value_or(kDefaultMinRateReadings));
    }
}

void writeTriggerLevels(Connection& db, const QString& key, const TriggerLevels& levels) {
    db.inTransaction([&] {
        db.execute(QStringLiteral("DELETE FROM TriggerLevels WHERE InstrumentID = ?"), {key});
        if (!levels.isEmpty()) {
            QVariantList values{key};
            for (const LevelField field : kFields) {
                values << bound(levelValue(levels, field));
            }
            db.execute("INSERT INTO TriggerLevels (InstrumentID, " + kColumns + ") VALUES (?" +
                           QStringLiteral(", ?").repeated(kLevelFieldCount) + ")",
                       values);
        }
    });
}
