#pragma once

#include <functional>

struct AppContext;
struct AppState;
class QWidget;

// "History..." on the Identification tab: opens the history of the current sensor (of none,
// when there is none: a deleted sensor is chosen there). restored runs after each restore,
// told whether a whole sensor came back. A failure is logged, never passed on.
void cmdHistory_Click(AppState& state, const AppContext& context, QWidget* parent,
                      const std::function<void(bool sensor)>& restored);
