#pragma once

class QComboBox;
class RecordSet;
class SensorForm;
class QLineEdit;

// Lists every sensor of the record set in cboSensors, from its first row on, then shows the
// first sensor and puts its number and the count beside it.
void showSensorList(RecordSet& rs, QComboBox& cboSensors, SensorForm& form, QLineEdit& txtSCount);
