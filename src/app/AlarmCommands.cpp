#include "app/AlarmCommands.h"

#include "alarms/AlarmChart.h"
#include "alarms/AlarmDelivery.h"
#include "alarms/AlarmDispatcher.h"
#include "alarms/frmAlarmRecipients.h"
#include "app/UtilitiesPage.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "store/LogFile.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <QPushButton>
#include <QTimer>

AlarmCommands::AlarmCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                             QObject* parent)
    : QObject(parent), dispatcher(new AlarmDispatcher(*context.clock, this)), state_(state),
      context_(context) {
    dispatcher->location = [this] {
        return state_.db && state_.db->isOpen() ? state_.db->location() : QString();
    };
    dispatcher->beforeRun = [this] {
        const ErrorLog log{state_.dataFolder, context_.clock};
        guarded(log, " G_AlarmCharts", [&] { attachEventCharts(*state_.db, log, context_); });
    };
    connect(dispatcher, &AlarmDispatcher::delivered, this, [this](const DeliveryReport& report) {
        if (report.stopped && report.pending > 0) {
            WriteLog(state_.dataFolder, *context_.clock,
                     QStringLiteral("Alarm mail: ") + deliverySummary(report));
        }
    });
    connect(utilities.cmdAlarmRecipients, &QPushButton::clicked, this,
            &AlarmCommands::cmdAlarmRecipients_Click);
}

void AlarmCommands::deliverSoon() {
    QTimer::singleShot(0, this, [this] {
        if (stopped_ || !state_.db || !state_.db->isOpen()) {
            return;
        }
        const ErrorLog log{state_.dataFolder, context_.clock};
        bool due = false;
        guarded(log, " G_AlarmOutbox", [&] { due = hasAlarmWork(*state_.db); });
        if (due) {
            dispatcher->deliver();
        }
    });
}

void AlarmCommands::registerOpened() {
    deliverSoon();
}

void AlarmCommands::stop() {
    stopped_ = true;
    dispatcher->location = nullptr;
    dispatcher->waitForRuns();
}

void AlarmCommands::cmdAlarmRecipients_Click() {
    if (!state_.db || !state_.db->isOpen()) {
        context_.prompter->message(kOmbrevaultTitle, "No register is open.", MsgIcon::Exclamation);
        return;
    }
    auto* window = new frmAlarmRecipients(*state_.db, context_, qobject_cast<QWidget*>(parent()));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->open();
}
