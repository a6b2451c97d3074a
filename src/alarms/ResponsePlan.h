#pragma once

#include "triggers/TriggerState.h"

#include <QString>
#include <optional>

class Connection;

// What the response plan asks of the people told of a level.
struct LevelResponse {
    QString actions;             // the actions to take and who takes them, as the plan says
    std::optional<double> hours; // how long an event may stay unacknowledged before escalation
};

// The response the sensor's plan gives for a level (its own plan, else the site default's);
// nothing when neither says anything. A register without plans has none; a plan that cannot be
// read raises.
std::optional<LevelResponse> responsePlan(Connection& db, const QString& instrumentId,
                                          TriggerState state);
