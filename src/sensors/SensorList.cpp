#include "sensors/SensorList.h"

#include "sensors/SensorForm.h"
#include "store/Columns.h"
#include "store/DbError.h"
#include "store/RecordSet.h"
#include "store/SensorListMark.h"
#include "ui/AppState.h"

#include <QComboBox>
#include <QLineEdit>
#include <optional>

void showSensorList(RecordSet& rs, QComboBox& cboSensors, SensorForm& form, QLineEdit& txtSCount) {
    cboSensors.clear();
    cboSensors.addItems(rs.texts(col::InstrumentID));
    rs.moveFirst();
    form.fillfields();
    cboSensors.setEditText(rs.recordCount() > 0 ? rs.text(col::InstrumentID) : QString());
    txtSCount.setText(QString::number(rs.recordCount()));
}

bool refreshSensorList(AppState& state, QComboBox& cboSensors, SensorForm& form,
                       QLineEdit& txtSCount) {
    if (!state.db || !state.db->isOpen() || !state.rsSensors || !state.rsSensors->isOpen()) {
        return false;
    }
    // Read before the rows: a sensor added in between moves the mark again.
    const SensorListMark mark = readSensorListMark(*state.db);
    if (mark == state.listedSensors) {
        return false;
    }
    RecordSet& rs = *state.rsSensors;
    std::optional<qint64> shown;
    if (state.hasCurrentSensor()) {
        shown = rs.bookmark();
        if (!sensorRowExists(*state.db, *shown)) {
            return false;
        }
        // The re-read list may no longer hold the shown sensor (another user moved it out of
        // the filter); what is typed on the form is stored, or its refusal told, first.
        form.savefields();
    }
    rs.requery();
    state.listedSensors = mark;
    bool kept = false;
    if (shown) {
        try {
            rs.setBookmark(*shown);
            kept = true;
        } catch (const DbError& e) {
            // A sensor that another user changed out of the filter is no longer in the list.
            if (e.number() != ErrorCode::ItemNotFound) {
                throw;
            }
        }
    }
    if (!kept) {
        form.fillfields();
    }
    const QString current = rs.recordCount() > 0 ? rs.text(col::InstrumentID) : QString();
    cboSensors.clear();
    cboSensors.addItems(rs.texts(col::InstrumentID));
    cboSensors.setEditText(current);
    txtSCount.setText(QString::number(rs.recordCount()));
    return true;
}
