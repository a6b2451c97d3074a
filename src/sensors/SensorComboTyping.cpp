#include "sensors/SensorComboTyping.h"

#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "sensors/IdentificationPage.h"
#include "sensors/SensorAdder.h"
#include "sensors/SensorNavigation.h"
#include "sensors/SensorNumber.h"
#include "sensors/TypedKey.h"
#include "store/Guard.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {
bool isModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}
} // namespace

SensorComboTyping::SensorComboTyping(AppState& state, const AppContext& context,
                                     IdentificationPage& identification,
                                     SensorNavigation& navigation, SensorAdder& adder,
                                     QObject* parent)
    : QObject(parent), state_(state), context_(context), identification_(identification),
      navigation_(navigation), adder_(adder) {
    setObjectName("sensorComboTyping");
    identification_.cboSensors->installEventFilter(this);
}

bool SensorComboTyping::eventFilter(QObject* watched, QEvent* event) {
    if (watched != identification_.cboSensors || event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    // Modifiers type nothing; Tab leaves the box, neither completing nor held back.
    if (isModifier(key->key()) || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        return false;
    }
    cboSensors_KeyDown(key->key());
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        enterPressed();
        return true;
    }
    const std::optional<int> character = typedCharCode(key);
    return character && !cboSensors_KeyPress(*character);
}

void SensorComboTyping::cboSensors_KeyDown(int key) {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " cboSensors_Keydown", [&] {
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            suppressCompletion_ = true;
        } else if (key != Qt::Key_Return && key != Qt::Key_Enter) {
            suppressCompletion_ = false;
        }
        QComboBox* combo = identification_.cboSensors;
        const QString typed = combo->currentText();
        if (suppressCompletion_ || typed.isEmpty()) {
            return;
        }
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i) {
            entries << combo->itemText(i);
        }
        const int found = completionIndex(entries, typed);
        if (found < 0) {
            return;
        }
        QLineEdit* edit = combo->lineEdit();
        // Over a selection the caret is where the selection starts, so a key typed over
        // selected text still replaces it.
        const int caret = edit->hasSelectedText() ? static_cast<int>(edit->selectionStart())
                                                  : edit->cursorPosition();
        combo->setCurrentIndex(found);
        combo->setEditText(entries[found]);
        navigation_.cboSensors_Click();
        edit->setSelection(caret, static_cast<int>(edit->text().size()) - caret);
    });
}

bool SensorComboTyping::cboSensors_KeyPress(int character) {
    bool accepted = true;
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " cboSensors_KeyPress", [&] {
        // Ten characters, so that a key typed over a completed number still gets through.
        if (identification_.cboSensors->currentText().size() > 9 && character != 8) {
            accepted = false;
        }
    });
    return accepted;
}

// Enter selects a listed number and offers to add any other.
void SensorComboTyping::enterPressed() {
    QComboBox* combo = identification_.cboSensors;
    const QString typed = combo->currentText();
    if (typed.isEmpty()) {
        return;
    }
    const int listed = combo->findText(typed, Qt::MatchExactly);
    if (listed >= 0) {
        combo->setCurrentIndex(listed);
        navigation_.cboSensors_Click();
        return;
    }
    adder_.typedSensorID = typed;
    adder_.AddTypedSensor();
}
