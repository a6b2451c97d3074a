#pragma once

struct AppState;
class QComboBox;
class RecordSet;
class SensorForm;
class QLineEdit;

// Lists every sensor of the record set in cboSensors, from its first row on, then shows the
// first sensor and puts its number and the count beside it.
void showSensorList(RecordSet& rs, QComboBox& cboSensors, SensorForm& form, QLineEdit& txtSCount);

// Reads the list again when the Sensors table changed since the list was read, so that a
// sensor another user added or deleted shows or goes. The current sensor stays current and
// the form's boxes stay as they are, unsaved edits included; when another user deleted the
// current sensor nothing is read again, so that saving it tells the user. True when the list
// was read again. Without a current sensor the form shows the list's first one.
bool refreshSensorList(AppState& state, QComboBox& cboSensors, SensorForm& form,
                       QLineEdit& txtSCount);
