#include "sensors/SensorForm.h"

#include "app/AppContext.h"
#include "app/AppState.h"
#include "app/Prompter.h"
#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "store/Guard.h"

#include <QLineEdit>

SensorForm::SensorForm(AppState& state, const AppContext& context,
                       IdentificationPage& identification, InstallationPage& installation,
                       UtilitiesPage& utilities)
    : state_(state), context_(context), identification_(identification),
      installation_(installation), utilities_(utilities) {}

void SensorForm::fillfields() {
    RecordSet* rs = state_.rsSensors.get();
    if (rs == nullptr || rs->recordCount() == 0) {
        identification_.txtSensor->clear();
        utilities_.txtSCount->setText("0");
        identification_.txtSnav->setText("No records");
        return;
    }
    if (rs->bof() || rs->eof()) {
        context_.prompter->message("Cannot Fill Fields",
                                   "Either you are at the first record or the last record.",
                                   MsgIcon::Exclamation);
        return;
    }
    ignoring([&] { identification_.txtSensor->setText(rs->text("InstrumentID")); });
    ignoring([&] { utilities_.txtSCount->setText(QString::number(rs->recordCount())); });
    ignoring([&] {
        identification_.txtSnav->setText(QString::number(rs->absolutePosition()) + " of " +
                                         QString::number(rs->recordCount()));
    });
    ignoring([&] { SetSensorType(rs->text("SensorType"), state_.sensorType); });
}

void SensorForm::savefields() {
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " G_savefields", [&] {
        RecordSet* rs = state_.rsSensors.get();
        if (rs == nullptr || rs->recordCount() == 0) {
            return;
        }
        if (rs->bof() || rs->eof()) {
            context_.prompter->message("Cannot Save Fields",
                                       "Either you are at the first record or the last record.",
                                       MsgIcon::Exclamation);
        }
        rs->update();
    });
}
