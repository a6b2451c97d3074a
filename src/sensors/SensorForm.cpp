#include "sensors/SensorForm.h"

#include "charts/Geometry.h"
#include "readings/ReadingsPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "sensors/SensorFields.h"
#include "sensors/TypedKey.h"
#include "store/Columns.h"
#include "store/Formats.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>

namespace {
const QString kTwoDecimals = QStringLiteral("##0.00");
const QString kNodeDecimals = QStringLiteral("##0.0#");
const QString kNoCurrentRow =
    QStringLiteral("Either you are at the first record or the last record.");

void setBoxEnabled(QLineEdit* box, bool enabled) {
    box->setEnabled(enabled);
    QPalette palette = box->palette();
    palette.setColor(QPalette::All, QPalette::Base,
                     enabled ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xE0, 0xE0, 0xE0));
    box->setPalette(palette);
}

QString nodeColumn(int i) {
    return QStringLiteral("NodeLocation%1").arg(i);
}
} // namespace

SensorForm::SensorForm(AppState& state, const AppContext& context,
                       IdentificationPage& identification, InstallationPage& installation,
                       ReadingsPage& readings, QLineEdit& txtSCount, QTabWidget& tabs)
    : state_(state), context_(context), identification_(identification),
      installation_(installation), readings_(readings), txtSCount_(txtSCount), tabs_(tabs) {
    installation_.headAtCollar = [this] { return identification_.Option1->isChecked(); };
    installation_.nodeCount = [this] { return state_.nodeCount(); };
    installation_.cableGeometry = [this] { return identification_.cableGeometry(); };
    // Leaving either page of the record saves it; a failure is told by savefields itself.
    const auto saveRecord = [this] {
        const ErrorLog log{state_.dataFolder, context_.clock};
        ignoring(log, " saveRecord", [&] { savefields(); });
        ignoring(log, " saveRecord", [&] { fillfields(); });
    };
    identification_.saveRecord = saveRecord;
    installation_.saveRecord = saveRecord;
    // Saving on request says so on the status bar; the saves of every move and tab change do not.
    connect(installation_.cmdSave, &QPushButton::clicked, this, [this] {
        savefields();
        if (saved_) {
            state_.tellResult("Sensor " + identification_.txtSensor->text() + " was saved.");
        }
    });
    for (QLineEdit* node : identification_.txtNode) {
        node->installEventFilter(this);
    }
    installation_.txtRecess->installEventFilter(this);
    connect(installation_.txtRecess, &QLineEdit::textEdited, this, &SensorForm::txtRecess_Change);
}

bool SensorForm::applySensorType(const QString& code) {
    if (SetSensorType(code, state_.sensorType)) {
        return true;
    }
    context_.prompter->message(kAppTitle, "unknown sensor type!");
    return false;
}

void SensorForm::clearForm() {
    IdentificationPage& id = identification_;
    InstallationPage& inst = installation_;
    for (QLineEdit* box :
         {id.txtSensor, id.txtDateID, id.txtTypeID, id.txtSensorNo, id.txtFamily,
          id.txtLengthofCable, inst.txtSensor2, inst.txtLevel, inst.txtLocation, inst.txtBorehole,
          inst.txtInstallDate, inst.txtInstallBy, inst.txtPurpose, inst.txtNotes, inst.txtRecess}) {
        box->clear();
    }
    for (QLineEdit* node : id.txtNode) {
        node->clear();
    }
    // Nothing of the last sensor shown may outlive it.
    for (QLineEdit* box : {id.txtkval, id.txtDestructionDate, inst.txtHead, readings_.txtSensor3}) {
        box->clear();
    }
    for (QLineEdit* anchor : inst.txtRelSGanchor) {
        anchor->clear();
    }
    id.cboDestroyed->setEditText(QString());
    showStatus(false);
    txtSCount_.setText("0");
    id.txtSnav->setText("No records");
}

void SensorForm::fillfields() {
    RecordSet* rs = state_.rsSensors.get();
    if (rs == nullptr || !rs->isOpen() || rs->recordCount() == 0) {
        clearForm();
        return;
    }
    if (rs->bof() || rs->eof()) {
        context_.prompter->message("Cannot Fill Fields", kNoCurrentRow, MsgIcon::Exclamation);
        return;
    }
    IdentificationPage& id = identification_;
    InstallationPage& inst = installation_;
    const ErrorLog log{state_.dataFolder, context_.clock};
    const auto show = [rs, &log](QLineEdit* box, const QString& column) {
        ignoring(log, " fillfields", [&] { box->setText(rs->text(column)); });
    };
    show(id.txtSensor, col::InstrumentID);
    show(id.txtDateID, col::DateID);
    show(id.txtTypeID, col::TypeID);
    show(id.txtSensorNo, col::SensorNo);
    show(id.txtFamily, col::Family);
    txtSCount_.setText(QString::number(rs->recordCount()));
    show(id.txtLengthofCable, col::LengthofCable);
    id.txtSnav->setText(QString::number(rs->absolutePosition()) + " of " +
                        QString::number(rs->recordCount()));
    show(inst.txtSensor2, col::InstrumentID);
    show(inst.txtLevel, col::Level);
    show(inst.txtLocation, col::Location);
    show(inst.txtBorehole, col::Borehole);
    ignoring(log, " fillfields",
             [&] { inst.txtInstallDate->setText(shownDate(rs->value(col::InstallDate))); });
    show(inst.txtInstallBy, col::InstallBy);
    show(inst.txtPurpose, col::Purpose);
    show(inst.txtNotes, col::Notes);
    show(inst.txtRecess, col::Recess);
    ignoring(log, " fillfields", [&] {
        const bool atCollar = rs->value(col::HeadLocation).toBool();
        (atCollar ? id.Option1 : id.Option2)->setChecked(true);
    });
    ignoring(log, " fillfields", [&] { id.chkPlate->setChecked(rs->value(col::Plate).toBool()); });
    show(id.txtkval, col::kval);
    for (int i = 1; i <= id.txtNode.size(); ++i) {
        show(id.txtNode[i - 1], nodeColumn(i));
    }
    QString type;
    ignoring(log, " fillfields", [&] {
        type = rs->text(col::SensorType);
        applySensorType(type);
    });
    CalcReltoRoof();
    show(readings_.txtSensor3, col::InstrumentID);
    ignoring(log, " fillfields", [&] { id.cboDestroyed->setEditText(rs->text(col::Destroyed)); });
    ignoring(log, " fillfields", [&] {
        const bool destroyed = rs->text(col::Destroyed) == QLatin1String("Yes");
        showStatus(destroyed);
        id.txtDestructionDate->setText(destroyed ? rs->text(col::DestructionDate) : QString());
    });
    // The type was looked up above; an unknown one has been reported once already.
    SetSensorType(type, state_.sensorType);
    ConfigureForm();
    for (int tab : {0, 1, 3, 4, 5, 6, 7}) {
        tabs_.setTabEnabled(tab, true);
    }
}

void SensorForm::showStatus(bool destroyed) {
    identification_.imgheart->setPixmap(destroyed ? identification_.imgdead->pixmap()
                                                  : identification_.imgalive->pixmap());
}

void SensorForm::savefields() {
    saved_ = false;
    RecordSet* written = nullptr;
    QString number;
    const auto lost = [&](const DbError& e) {
        if (written == nullptr) {
            return;
        }
        // The refused edit must not stay pending and be retried by every later move.
        written->cancelUpdate();
        state_.tellResult("Sensor " + number + " was not saved.");
        if (e.kind() != DbErrorKind::Conflict) {
            tellNotSaved(*context_.prompter, "Sensor " + number, e);
            return;
        }
        // Another user stored the sensor since the form showed it: their values stand.
        if (e.number() == ErrorCode::RowDeleted) {
            context_.prompter->message(kAppTitle,
                                       "Sensor " + number + " was deleted by someone else.",
                                       MsgIcon::Exclamation);
            return;
        }
        context_.prompter->message(kAppTitle,
                                   "Sensor " + number +
                                       " was changed by someone else; the form shows the stored "
                                       "values now.",
                                   MsgIcon::Exclamation);
        fillfields();
    };
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " G_savefields", lost, [&] {
        RecordSet* rs = state_.rsSensors.get();
        if (rs == nullptr || !rs->isOpen() || rs->recordCount() == 0) {
            return;
        }
        if (rs->bof() || rs->eof()) {
            context_.prompter->message("Cannot Save Fields", kNoCurrentRow, MsgIcon::Exclamation);
            // With no current row the update fails and is logged.
            rs->update();
            return;
        }
        // The form shows the sensor's number: a refusal is told even when the row cannot be
        // read (the site server has gone).
        const QString shown = identification_.txtSensor->text();
        number = shown;
        written = rs;
        number = rs->text(col::InstrumentID);
        if (!shown.isEmpty() && shown != number) {
            // The form could not show the row when it became current: its boxes hold another
            // sensor's values, which must not be written over this one.
            written = nullptr;
            context_.prompter->message(kAppTitle,
                                       "Sensor " + shown +
                                           " was not saved: the register had moved on to "
                                           "sensor " +
                                           number + ", which the form could not show.",
                                       MsgIcon::Exclamation);
            fillfields();
            return;
        }
        writeFields();
        rs->update();
        saved_ = true;
    });
}

void SensorForm::writeFields() {
    RecordSet& rs = *state_.rsSensors;
    IdentificationPage& id = identification_;
    InstallationPage& inst = installation_;
    const auto trimmed = [&rs](const QString& column, const QLineEdit* box) {
        rs.setValue(column, box->text().trimmed());
    };
    trimmed(col::DateID, id.txtDateID);
    trimmed(col::TypeID, id.txtTypeID);
    trimmed(col::SensorNo, id.txtSensorNo);
    trimmed(col::Family, id.txtFamily);
    rs.setValue(col::LengthofCable, formattedNumberValue(id.txtLengthofCable->text(), kTwoDecimals,
                                                         QStringLiteral("The length of cable")));
    trimmed(col::Level, inst.txtLevel);
    trimmed(col::Location, inst.txtLocation);
    trimmed(col::Borehole, inst.txtBorehole);
    rs.setValue(col::InstallDate, installDateValue(inst.txtInstallDate->text()));
    trimmed(col::InstallBy, inst.txtInstallBy);
    trimmed(col::Purpose, inst.txtPurpose);
    trimmed(col::Notes, inst.txtNotes);
    rs.setValue(col::Recess, toNumber(inst.txtRecess->text()));
    rs.setValue(col::HeadLocation, id.Option1->isChecked() ? 1 : 0);
    rs.setValue(col::Plate, id.chkPlate->isChecked() ? 1 : 0);
    for (int i = 1; i <= id.txtNode.size(); ++i) {
        rs.setValue(nodeColumn(i),
                    formattedNumberValue(id.txtNode[i - 1]->text(), kNodeDecimals,
                                         QStringLiteral("Node %1's location").arg(i)));
    }
    rs.setValue(col::kval, leadingNumber(id.txtkval->text()));
    CalcReltoRoof();
    rs.setValue(col::Destroyed, id.cboDestroyed->currentText());
    if (!id.txtDestructionDate->text().isEmpty()) {
        rs.setValue(col::DestructionDate, id.txtDestructionDate->text());
    }
}

void SensorForm::CalcReltoRoof() {
    GeometryInput input;
    input.headAtCollar = identification_.Option1->isChecked();
    input.recess = installation_.txtRecess->text();
    input.lengthOfCable = identification_.txtLengthofCable->text();
    for (const QLineEdit* node : identification_.txtNode) {
        input.nodeTexts << node->text();
    }
    input.nodeCount = state_.nodeCount();
    const GeometryOutput output = ::CalcReltoRoof(input);
    installation_.txtHead->setText(output.head);
    for (int i = 0; i < installation_.txtRelSGanchor.size() && i < output.anchors.size(); ++i) {
        installation_.txtRelSGanchor[i]->setText(output.anchors[i]);
    }
}

void SensorForm::ConfigureForm() {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " Module1_ConfigureForm", [&] {
        IdentificationPage& id = identification_;
        ReadingsPage& rd = readings_;
        rd.lblError->hide();
        const int boxes = static_cast<int>(
            std::min({id.txtNode.size(), rd.txtChannel.size(), rd.lblmm.size(), rd.lbln.size()}));
        for (int i = 0; i < boxes; ++i) {
            setBoxEnabled(id.txtNode[i], false);
            setBoxEnabled(rd.txtChannel[i], false);
            rd.lblmm[i]->setEnabled(false);
            rd.lblmm[i]->setText("mm");
            rd.lbln[i]->setEnabled(false);
            rd.lbln[i]->clear();
        }
        id.lblLocation->setText(state_.sensorType.anchorCaption);
        installation_.lblNotes->setText(state_.sensorType.notesCaption);
        const int nodes = std::clamp(state_.nodeCount(), 0, boxes);
        for (int i = 0; i < nodes; ++i) {
            setBoxEnabled(id.txtNode[i], true);
        }
        for (int i = 0; i < nodes; ++i) {
            rd.lbln[i]->setText(installation_.txtRelSGanchor[i]->text() + " m");
            rd.lbln[i]->setEnabled(true);
            rd.lblmm[i]->setEnabled(true);
            setBoxEnabled(rd.txtChannel[i], true);
        }
        setBoxEnabled(rd.txtChannelT, true);
        rd.lblTemp->setEnabled(true);
        rd.lblTempCaption->setEnabled(true);
    });
}

bool SensorForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
        return false;
    }
    const std::optional<int> code = typedCharCode(key);
    if (!code) {
        return false;
    }
    if (watched == installation_.txtRecess) {
        return !txtRecess_KeyPress(*code);
    }
    if (identification_.txtNode.contains(qobject_cast<QLineEdit*>(watched))) {
        return !txtNode_KeyPress(*code);
    }
    return false;
}

// Node locations take digits, sign, separators and editing keys only.
bool SensorForm::txtNode_KeyPress(int key) const {
    return key == 8 || key == 9 || key == 13 || key == 44 || key == 45 || key == 46 ||
           (key >= '0' && key <= '9') || key == 127;
}

// The recess takes digits, sign, separators and editing keys only.
bool SensorForm::txtRecess_KeyPress(int key) const {
    return key == 8 || key == 9 || key == 13 || key == 44 || key == 45 || key == 46 ||
           (key >= '0' && key <= '9') || key == 217;
}

// After each edit the distances follow the recess as it now reads, and a number is stored at
// once; an empty text, or one not yet a number (a lone "-"), is not a recess yet: not saved.
void SensorForm::txtRecess_Change(const QString& text) {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " txtRecess_Change",
            [&] { CalcReltoRoof(); });
    if (isNumericText(text)) {
        savefields();
    }
}
