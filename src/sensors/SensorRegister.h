#pragma once

struct AppState;
struct AppContext;
class IdentificationPage;
class SensorFilter;
class SensorNavigation;
class SensorFilterPanel;
class SensorForm;
class QLineEdit;

// Connects the register commands (navigation, adding, retiring, deleting, the filter) to
// their pages. They belong to the form, so they go when it goes, before the pages do.
// Returns the commands the main window reaches again.
struct SensorRegisterCommands {
    // Its display is reset when the window reconnects.
    SensorFilter* filter;
    // Driven by the window's keys too.
    SensorNavigation* navigation;
};
SensorRegisterCommands buildSensorRegister(AppState& state, const AppContext& context,
                                           SensorForm& form, IdentificationPage& identification,
                                           SensorFilterPanel& filterPanel, QLineEdit& txtSCount);
