#pragma once

struct AppState;
struct AppContext;
class IdentificationPage;
class SensorFilter;
class SensorFilterPanel;
class SensorForm;
class QLineEdit;

// Connects the register commands (navigation, adding, retiring, deleting, the filter) to
// their pages. They belong to the form, so they go when it goes, before the pages do.
// Returns the filter, whose display the main window resets when it reconnects.
SensorFilter* buildSensorRegister(AppState& state, const AppContext& context, SensorForm& form,
                                  IdentificationPage& identification,
                                  SensorFilterPanel& filterPanel, QLineEdit& txtSCount);
