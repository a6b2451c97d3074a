#pragma once

#include "triggers/TriggerState.h"

#include <QString>
#include <optional>

class Connection;

// What is to be done when a sensor reaches a level: the actions, who acts, and within how
// many hours.
struct ResponsePlan {
    QString actions;
    QString who;
    std::optional<double> hours;

    bool isEmpty() const { return actions.isEmpty() && who.isEmpty() && !hours; }
    bool operator==(const ResponsePlan&) const = default;
};

// The longest response time a plan accepts, in hours: a year.
constexpr double kMaxResponseHours = 8760.0;

// The response time typed as text: empty for none, else a finite number from 0 to
// kMaxResponseHours; refusal says why another text is not taken.
struct ResponseHoursText {
    std::optional<double> hours;
    QString refusal;
};
ResponseHoursText responseHoursOf(const QString& text);
// The hours as a box shows them: the shortest decimal text, empty for none.
QString responseHoursText(const std::optional<double>& hours);

// A plan is kept for amber and for red only; "AMBER", "RED".
QString planLevelWord(TriggerState level);

// The plan stored under key (a sensor's InstrumentID, or kSiteDefaultKey) for the level;
// nothing when none is stored or the tables do not exist.
std::optional<ResponsePlan> readResponsePlan(Connection& db, const QString& key,
                                             TriggerState level);
// Stores the plans of both levels under key in one transaction; an empty plan removes its
// row.
void writeResponsePlans(Connection& db, const QString& key, const ResponsePlan& amber,
                        const ResponsePlan& red);
// Stores one level's plan, in one transaction.
void writeResponsePlan(Connection& db, const QString& key, TriggerState level,
                       const ResponsePlan& plan);

// The plan that applies to a sensor at a level: its own, else the site default's.
std::optional<ResponsePlan> responsePlanFor(Connection& db, const QString& instrumentId,
                                            TriggerState level);

// "Act: Barricade the area; Who: Shift boss; Within 2 hours" with the parts that are set.
QString responsePlanText(const ResponsePlan& plan);
