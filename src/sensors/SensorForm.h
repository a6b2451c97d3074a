#pragma once

struct AppState;
struct AppContext;
class IdentificationPage;
class InstallationPage;
class UtilitiesPage;

// Moves the current sensor's row of rsSensors to the record form on the first two tabs and
// back again.
class SensorForm {
public:
    SensorForm(AppState& state, const AppContext& context, IdentificationPage& identification,
               InstallationPage& installation, UtilitiesPage& utilities);

    void fillfields();
    void savefields();

private:
    AppState& state_;
    const AppContext& context_;
    IdentificationPage& identification_;
    InstallationPage& installation_;
    UtilitiesPage& utilities_;
};
