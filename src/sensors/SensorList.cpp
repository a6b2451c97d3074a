#include "sensors/SensorList.h"

#include "sensors/SensorForm.h"
#include "store/RecordSet.h"
#include "ui/AppState.h"

#include <QComboBox>
#include <QLineEdit>

void showSensorList(RecordSet& rs, QComboBox& cboSensors, SensorForm& form, QLineEdit& txtSCount) {
    cboSensors.clear();
    cboSensors.addItems(rs.texts("InstrumentID"));
    rs.moveFirst();
    form.fillfields();
    cboSensors.setEditText(rs.recordCount() > 0 ? rs.text("InstrumentID") : QString());
    txtSCount.setText(QString::number(rs.recordCount()));
}
