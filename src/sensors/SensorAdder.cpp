#include "sensors/SensorAdder.h"

#include "readings/SensorData.h"
#include "sensors/IdentificationPage.h"
#include "sensors/SensorForm.h"
#include "sensors/SensorNumber.h"
#include "store/Clock.h"
#include "store/Columns.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QLineEdit>

SensorAdder::SensorAdder(AppState& state, const AppContext& context, SensorForm& form,
                         IdentificationPage& identification, QLineEdit& txtSCount, QObject* parent)
    : QObject(parent), state_(state), context_(context), form_(form),
      identification_(identification), txtSCount_(txtSCount) {
    setObjectName("sensorAdder");
    connect(identification_.imgAddSensor.image, &ClickableLabel::clicked, this,
            &SensorAdder::imgAddSensor_Click);
}

void SensorAdder::imgAddSensor_Click() {
    typedSensorID.clear();
    typedSensorID =
        context_.prompter->input("Add New Sensor", "Enter new Sensor No:").value_or(QString());
    if (typedSensorID.isEmpty()) {
        context_.prompter->message(kAppTitle, "No sensor entered");
        return;
    }
    AddTypedSensor();
}

void SensorAdder::AddTypedSensor() {
    const auto lost = [&](const DbError& e) {
        tellNotSaved(*context_.prompter, "Sensor " + typedSensorID, e);
    };
    bool added = false;
    const SensorTypeInfo shownType = state_.sensorType;
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " G_AddTypedSensor", lost, [&] {
        const QString number = typedSensorID;
        identification_.cboSensors->setEditText(number);
        form_.savefields();
        const QString problem = sensorNumberProblem(number);
        if (!problem.isEmpty()) {
            context_.prompter->message("Invalid Sensor Number", problem);
            return;
        }
        // An unknown type is reported and the add goes on with the previous type's values.
        form_.applySensorType(splitSensorNumber(number).typeId);
        RecordSet& rs = sensorList(state_);
        if (TableExists(*state_.db, number)) {
            // A table without a visible row blocks the number without a word.
            if (rs.lookup(col::InstrumentID, number) != 0) {
                context_.prompter->message(
                    kOmbrevaultTitle,
                    "Sensor " + number +
                        " already exists\r\n\r\nType a new sensor number in the 'Add or Select "
                        "Sensor' combo box\r\nThen click 'Add New' or hit the Enter key",
                    MsgIcon::Information);
            }
            return;
        }
        if (context_.prompter->message(
                kOmbrevaultTitle, "Do you want to add new Sensor " + number + " to the database?",
                MsgIcon::None, MsgButtons::YesNo) != MsgAnswer::Yes) {
            return;
        }
        insertSensorRow(number);
        form_.fillfields();
        AddDataTable(state_, context_);
        identification_.cboSensors->addItem(number);
        identification_.cboSensors->setEditText(number);
        txtSCount_.setText(QString::number(rs.recordCount()));
        // Re-reading a filtered list would drop a new sensor the filter does not take and
        // leave no sensor current; it stays at the end of the list until the filter goes.
        if (!rs.filtered()) {
            rs.requery();
            rs.moveFirst();
            rs.find(col::InstrumentID, number);
        }
        form_.fillfields();
        form_.savefields();
        added = true;
    });
    if (!added) {
        // The new number's type was taken for the add; the sensor shown keeps its own.
        state_.sensorType = shownType;
        showCurrentNumber();
    }
}

// A refused number must not stay in the box over the form of another sensor.
void SensorAdder::showCurrentNumber() {
    ignoring(ErrorLog{state_.dataFolder, context_.clock}, " showCurrentNumber", [&] {
        RecordSet& rs = sensorList(state_);
        const bool current = rs.recordCount() > 0 && !rs.bof() && !rs.eof();
        identification_.cboSensors->setEditText(current ? rs.text(col::InstrumentID) : QString());
    });
}

void SensorAdder::insertSensorRow(const QString& number) {
    RecordSet& rs = sensorList(state_);
    const SensorNumberParts parts = splitSensorNumber(number);
    rs.addNew();
    try {
        rs.setValue(col::InstrumentID, number);
        rs.setValue(col::Family, state_.sensorType.modelName);
        rs.setValue(col::Model, state_.sensorType.familyTag);
        rs.setValue(col::SensorType, parts.typeId);
        rs.setValue(col::DateID, parts.dateId);
        rs.setValue(col::TypeID, parts.typeId);
        rs.setValue(col::SensorNo, parts.serial);
        rs.setValue(col::InstallDate, context_.clock->today().toString("yyyy/MM/dd"));
        rs.setValue(col::Destroyed, QStringLiteral("No"));
        rs.setValue(col::HeadLocation, 1);
        rs.setValue(col::LengthofCable, 0.0);
        rs.setValue(col::Recess, 0.0);
        rs.update();
    } catch (...) {
        // A refused row must not stay pending and be retried by every later move.
        rs.cancelUpdate();
        throw;
    }
}
