#include "sensors/SensorRetirement.h"

#include "sensors/IdentificationPage.h"
#include "sensors/SensorForm.h"
#include "sensors/TypedKey.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

SensorRetirement::SensorRetirement(AppState& state, const AppContext& context, SensorForm& form,
                                   IdentificationPage& identification, QObject* parent)
    : QObject(parent), state_(state), context_(context), form_(form),
      identification_(identification) {
    setObjectName("sensorRetirement");
    connect(identification_.cboDestroyed, &QComboBox::activated, this,
            &SensorRetirement::cboDestroyed_Click);
    identification_.cboDestroyed->installEventFilter(this);
}

void SensorRetirement::cboDestroyed_Click() {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " cboDestroyed_Click", [&] {
        IdentificationPage& id = identification_;
        const QString choice = id.cboDestroyed->currentText();
        if (choice == QLatin1String("Yes")) {
            id.txtDestructionDate->setText(
                QLocale::system().toString(context_.clock->today(), QLocale::ShortFormat));
            form_.savefields();
            id.txtDestructionDate->setFocus();
            id.imgheart->setPixmap(id.imgdead->pixmap());
        } else if (choice == QLatin1String("No")) {
            id.txtDestructionDate->clear();
            form_.savefields();
            id.txtDestructionDate->setFocus();
            id.imgheart->setPixmap(id.imgalive->pixmap());
        }
        form_.savefields();
    });
}

void SensorRetirement::cboDestroyed_KeyPress(int character) {
    QComboBox* combo = identification_.cboDestroyed;
    if (character == 'Y' || character == 'y') {
        combo->setCurrentIndex(combo->findText("Yes"));
        combo->setEditText("Yes");
        cboDestroyed_Click();
    } else if (character == 'N' || character == 'n') {
        combo->setCurrentIndex(combo->findText("No"));
        combo->setEditText("No");
        cboDestroyed_Click();
    }
    form_.savefields();
}

bool SensorRetirement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != identification_.cboDestroyed || event->type() != QEvent::KeyPress) {
        return false;
    }
    const std::optional<int> character = typedCharCode(static_cast<const QKeyEvent*>(event));
    // Tab moves the focus on as from any other box; only typed characters are refused.
    if (!character || *character == 9) {
        return false;
    }
    // The box takes no typed characters.
    cboDestroyed_KeyPress(*character);
    return true;
}
