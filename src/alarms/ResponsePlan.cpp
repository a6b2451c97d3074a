#include "alarms/ResponsePlan.h"

#include "triggers/ResponsePlan.h"

std::optional<LevelResponse> responsePlan(Connection& db, const QString& instrumentId,
                                          TriggerState state) {
    const std::optional<ResponsePlan> plan = responsePlanFor(db, instrumentId, state);
    if (!plan || plan->isEmpty()) {
        return std::nullopt;
    }
    LevelResponse response;
    response.actions = plan->actions;
    if (!plan->who.isEmpty()) {
        response.actions += (response.actions.isEmpty() ? QString() : QStringLiteral("\n")) +
                            QStringLiteral("Who acts: ") + plan->who;
    }
    response.hours = plan->hours;
    return response;
}
