#include "triggers/ResponsePlan.h"

#include "store/Connection.h"
#include "store/SqlFailure.h"
#include "triggers/TriggerLevels.h"

#include <QSqlQuery>
#include <QStringList>
#include <cmath>

ResponseHoursText responseHoursOf(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return {};
    }
    bool ok = false;
    const double hours = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(hours) || hours < 0 || hours > kMaxResponseHours) {
        return {std::nullopt, QStringLiteral("The response time must be a number of hours from 0 "
                                             "to %1, not '%2'.")
                                  .arg(kMaxResponseHours)
                                  .arg(trimmed)};
    }
    return {hours, {}};
}

QString responseHoursText(const std::optional<double>& hours) {
    return hours ? QString::number(*hours, 'g', 15) : QString();
}

QString planLevelWord(TriggerState level) {
    return level == TriggerState::Red ? QStringLiteral("RED") : QStringLiteral("AMBER");
}

std::optional<ResponsePlan> readResponsePlan(Connection& db, const QString& key,
                                             TriggerState level) {
    if (!db.hasTable(QStringLiteral("ResponsePlans"))) {
        return std::nullopt;
    }
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT Actions, Who, ResponseHours FROM "
                                              "ResponsePlans WHERE InstrumentID = ? AND Level = ?"),
                               {key, planLevelWord(level)});
    if (!query.next()) {
        return std::nullopt;
    }
    ResponsePlan plan;
    plan.actions = query.value(0).toString();
    plan.who = query.value(1).toString();
    if (!query.value(2).isNull()) {
        plan.hours = query.value(2).toDouble();
    }
    return plan;
}

namespace {
// Inside the caller's transaction.
void storePlan(Connection& db, const QString& key, TriggerState level, const ResponsePlan& plan) {
    const QString word = planLevelWord(level);
    db.execute(QStringLiteral("DELETE FROM ResponsePlans WHERE InstrumentID = ? AND Level = ?"),
               {key, word});
    if (plan.isEmpty()) {
        return;
    }
    db.execute(QStringLiteral("INSERT INTO ResponsePlans (InstrumentID, Level, Actions, Who, "
                              "ResponseHours) VALUES (?, ?, ?, ?, ?)"),
               {key, word, plan.actions, plan.who,
                plan.hours ? QVariant(*plan.hours) : QVariant(QMetaType::fromType<double>())});
}
} // namespace

void writeResponsePlan(Connection& db, const QString& key, TriggerState level,
                       const ResponsePlan& plan) {
    db.inTransaction([&] { storePlan(db, key, level, plan); });
}

void writeResponsePlans(Connection& db, const QString& key, const ResponsePlan& amber,
                        const ResponsePlan& red) {
    db.inTransaction([&] {
        storePlan(db, key, TriggerState::Amber, amber);
        storePlan(db, key, TriggerState::Red, red);
    });
}

std::optional<ResponsePlan> responsePlanFor(Connection& db, const QString& instrumentId,
                                            TriggerState level) {
    if (std::optional<ResponsePlan> own = readResponsePlan(db, instrumentId, level)) {
        return own;
    }
    return readResponsePlan(db, kSiteDefaultKey, level);
}

QString responsePlanText(const ResponsePlan& plan) {
    QStringList parts;
    if (!plan.actions.isEmpty()) {
        parts << QStringLiteral("Act: ") + plan.actions;
    }
    if (!plan.who.isEmpty()) {
        parts << QStringLiteral("Who: ") + plan.who;
    }
    if (plan.hours) {
        parts << QStringLiteral("Within %1 hours").arg(responseHoursText(plan.hours));
    }
    return parts.join(QStringLiteral("; "));
}
