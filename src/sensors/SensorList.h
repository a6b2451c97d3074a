#pragma once

struct AppState;
class QComboBox;
class RecordSet;
class SensorForm;
class QLineEdit;

// The register's record set. Without a database (a start-up that could not connect) there is
// none: that fails as a closed record set does, through the caller's error path.
RecordSet& sensorList(AppState& state);

// Lists every sensor of the record set in cboSensors, from its first row on, then shows the
// first sensor and puts its number and the count beside it.
void showSensorList(RecordSet& rs, QComboBox& cboSensors, SensorForm& form, QLineEdit& txtSCount);
