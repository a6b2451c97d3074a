#pragma once

#include "triggers/TriggerState.h"

#include <QString>
#include <functional>
#include <optional>

class Connection;

// What the response plan asks of the people told of a level.
struct LevelResponse {
    QString actions;             // the actions to take, as written in the plan
    std::optional<double> hours; // how long an event may stay unacknowledged before escalation
};

// Gives the plan's response for a level on the register, or nothing when the plan has none.
using ResponsePlanProvider =
    std::function<std::optional<LevelResponse>(Connection& db, TriggerState state)>;

// The provider the alarm messages and the escalation consult; without one set, no level has a
// response (no actions in the messages, no escalation). Set it before messages are sent.
void setResponsePlanProvider(ResponsePlanProvider provider);
std::optional<LevelResponse> responsePlan(Connection& db, TriggerState state);
