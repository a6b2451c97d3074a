#include "sensors/SensorDeletion.h"

#include "sensors/IdentificationPage.h"
#include "sensors/SensorForm.h"
#include "store/Columns.h"
#include "store/Guard.h"
#include "store/ReadingsTables.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QComboBox>

SensorDeletion::SensorDeletion(AppState& state, const AppContext& context, SensorForm& form,
                               IdentificationPage& identification, QObject* parent)
    : QObject(parent), state_(state), context_(context), form_(form),
      identification_(identification) {
    setObjectName("sensorDeletion");
    connect(identification_.imgDelete.image, &ClickableLabel::clicked, this,
            &SensorDeletion::imgDelete_Click);
}

void SensorDeletion::imgDelete_Click() {
    // With no current sensor there is nothing to delete and nothing to ask about.
    if (!state_.hasCurrentSensor()) {
        return;
    }
    QString number;
    const ErrorLog log{state_.dataFolder, context_.clock};
    ignoring(log, " imgDelete_Click", [&] { number = state_.rsSensors->text(col::InstrumentID); });
    if (context_.prompter->message("Ombrevault's QUORVELLE",
                                   "Permanently delete Sensor " + number + " from database?",
                                   MsgIcon::None, MsgButtons::YesNo) != MsgAnswer::Yes) {
        return;
    }
    // The readings set of this sensor would point at a table that is gone.
    if (state_.rsReadings && state_.rsReadings->table() == number) {
        state_.rsReadings->close();
    }
    // The readings go row by row, then their table, then the sensor's row, in one transaction:
    // the audit trail keeps all of it as one change that a restore can put back. A deletion
    // that fails leaves the sensor whole, and the user is told; a table already missing is no
    // obstacle to deleting the row.
    bool rowDeleted = false;
    try {
        state_.db->inTransaction([&] {
            if (state_.db->hasTable(number)) {
                state_.db->execute("DELETE FROM " + quoteName(number));
                dropReadingsTable(*state_.db, number);
            }
            state_.rsSensors->deleteCurrent();
            rowDeleted = true;
        });
    } catch (const DbError& e) {
        // The record set forgot the row that the rollback kept.
        if (rowDeleted) {
            ignoring(log, " imgDelete_Click", [&] { state_.rsSensors->requery(); });
        }
        tellNotSaved(*context_.prompter, "The deletion of Sensor " + number, e);
        return;
    }
    ignoring(log, " imgDelete_Click", [&] {
        RecordSet network(*state_.db, "NetworkConfig", QString(), QVariantList(), col::SensorID);
        network.moveFirst();
        if (network.find(col::SensorID, number)) {
            network.deleteCurrent();
        }
        network.close();
    });
    ignoring(log, " imgDelete_Click", [&] {
        QComboBox* combo = identification_.cboSensors;
        combo->clear();
        RecordSet& rs = *state_.rsSensors;
        if (rs.recordCount() > 0) {
            combo->addItems(rs.texts(col::InstrumentID));
            rs.moveFirst();
            combo->setEditText(rs.text(col::InstrumentID));
        }
    });
    form_.fillfields();
}
