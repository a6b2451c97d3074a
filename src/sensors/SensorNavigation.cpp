#include "sensors/SensorNavigation.h"

#include "sensors/IdentificationPage.h"
#include "sensors/SensorForm.h"
#include "store/Columns.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QLineEdit>
#include <optional>

namespace {
// The bookmark of the sensor on the form; none before the first, after the last or after a
// deletion.
std::optional<qint64> shownSensor(const RecordSet& rs) {
    // Position 0 is before the first, after the last or a deleted row.
    if (rs.absolutePosition() == 0) {
        return std::nullopt;
    }
    return rs.bookmark();
}
} // namespace

SensorNavigation::SensorNavigation(AppState& state, const AppContext& context, SensorForm& form,
                                   IdentificationPage& identification, QLineEdit& txtSCount,
                                   QObject* parent)
    : QObject(parent), state_(state), context_(context), form_(form),
      identification_(identification), txtSCount_(txtSCount) {
    setObjectName("sensorNavigation");
    connect(identification_.imgNext.image, &ClickableLabel::clicked, this,
            &SensorNavigation::imgNext_Click);
    connect(identification_.imgPrevious.image, &ClickableLabel::clicked, this,
            &SensorNavigation::imgPrevious_Click);
    connect(identification_.cboSensors, &QComboBox::activated, this,
            &SensorNavigation::cboSensors_Click);
}

void SensorNavigation::showCurrent() {
    form_.fillfields();
    identification_.cboSensors->setEditText(sensorList(state_).text(col::InstrumentID));
}

void SensorNavigation::moveShowing(void (RecordSet::*move)()) {
    RecordSet& rs = sensorList(state_);
    const std::optional<qint64> shown = shownSensor(rs);
    (rs.*move)();
    try {
        showCurrent();
    } catch (const DbError&) {
        if (shown) {
            ignoring(ErrorLog{state_.dataFolder, context_.clock}, " moveShowing",
                     [&] { rs.setBookmark(*shown); });
        }
        throw;
    }
}

void SensorNavigation::imgNext_Click() {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " imgNext_Click", [&] {
        RecordSet& rs = sensorList(state_);
        if (rs.absolutePosition() == rs.recordCount()) {
            context_.prompter->message(kAppTitle, "End of sensors");
            return;
        }
        form_.savefields();
        moveShowing(&RecordSet::moveNext);
    });
}

void SensorNavigation::imgPrevious_Click() {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " imgPrevious_Click", [&] {
        RecordSet& rs = sensorList(state_);
        // An empty register has no previous sensor either.
        if (rs.recordCount() == 0 || rs.absolutePosition() == 1) {
            context_.prompter->message(kAppTitle, "Start of Sensors");
            return;
        }
        form_.savefields();
        moveShowing(&RecordSet::movePrevious);
    });
}

void SensorNavigation::moveToEnd(const QString& tag, bool last) {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, tag, [&] {
        RecordSet& rs = sensorList(state_);
        const int count = rs.recordCount();
        if (count == 0 || rs.absolutePosition() == (last ? count : 1)) {
            return;
        }
        form_.savefields();
        moveShowing(last ? &RecordSet::moveLast : &RecordSet::moveFirst);
    });
}

void SensorNavigation::showFirst() {
    moveToEnd(QStringLiteral(" showFirst"), false);
}

void SensorNavigation::showLast() {
    moveToEnd(QStringLiteral(" showLast"), true);
}

void SensorNavigation::cboSensors_Click() {
    if (state_.firstload) {
        return;
    }
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " cboSensors_Click", [&] {
        form_.savefields();
        RecordSet& rs = sensorList(state_);
        const std::optional<qint64> shown = shownSensor(rs);
        bool found = false;
        try {
            rs.moveFirst();
            found = rs.find(col::InstrumentID, identification_.cboSensors->currentText());
        } catch (const DbError&) {
            // The sensor on the form stays the current one: the form's boxes belong to it.
            if (shown) {
                ignoring(ErrorLog{state_.dataFolder, context_.clock}, " cboSensors_Click",
                         [&] { rs.setBookmark(*shown); });
            }
            throw;
        }
        if (!found) {
            context_.prompter->message(kAppTitle,
                                       "Error: Could not find data on the chosen sensor");
        }
        form_.fillfields();
        txtSCount_.setText(QString::number(rs.recordCount()));
    });
}
