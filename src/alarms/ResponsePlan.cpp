#include "alarms/ResponsePlan.h"

namespace {
ResponsePlanProvider& provider() {
    static ResponsePlanProvider current;
    return current;
}
} // namespace

void setResponsePlanProvider(ResponsePlanProvider value) {
    provider() = std::move(value);
}

std::optional<LevelResponse> responsePlan(Connection& db, TriggerState state) {
    return provider() ? provider()(db, state) : std::nullopt;
}
