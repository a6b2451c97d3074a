#pragma once

#include <QString>

struct AppState;
struct AppContext;
class ReadingsPage;

// The Readings tab's "Logger Data" command: the choice of a logger file for the current
// sensor, its staging, and the review window, after which the tab shows its readings again.
class LoggerImport {
public:
    LoggerImport(AppState& state, const AppContext& context, ReadingsPage& page);

    void imgAddTrovData_Click();

private:
    AppState& state_;
    const AppContext& context_;
    ReadingsPage& page_;
};
