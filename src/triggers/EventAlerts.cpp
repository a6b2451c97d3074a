#include "triggers/EventAlerts.h"

#include "store/DbError.h"
#include "store/TriggerTables.h"
#include "triggers/ResponsePlan.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/ClickableLabel.h"
#include "ui/Notifier.h"

#include <QCoreApplication>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

namespace {
// How soon a check put off by a transaction or a dialog is tried again.
constexpr int kRetryInterval = 500;
} // namespace

QString eventNotificationSummary(const TriggerEvent& event) {
    return QStringLiteral("Sensor %1 reached %2")
        .arg(event.instrumentId, stateText(event.state).toUpper());
}

QString eventNotificationBody(Connection& db, const TriggerEvent& event) {
    QString body = triggerEventMessage(event, *appliedLevels(db, event.instrumentId).rateWindow);
    if (const std::optional<ResponsePlan> plan =
            responsePlanFor(db, event.instrumentId, event.state)) {
        body += QStringLiteral("\nResponse plan: ") + responsePlanText(*plan);
    }
    return body;
}

EventAlerts::EventAlerts(AppState& state, const AppContext& context, QTabWidget& tabs, int tab,
                         QStatusBar& bar, QObject* parent)
    : QObject(parent), state_(state), context_(context), tabs_(tabs), tab_(tab),
      caption_(tabs.tabText(tab)), timer_(new QTimer(this)), retry_(new QTimer(this)) {
    lblUnacknowledgedEvents = new ClickableLabel(QStringLiteral("lblUnacknowledgedEvents"));
    lblUnacknowledgedEvents->setToolTip(QStringLiteral("Show the events on \"9. Site Status\""));
    lblUnacknowledgedEvents->setStyleSheet(
        QStringLiteral("color: #B71C1C; font-weight: bold; padding: 0 6px;"));
    lblUnacknowledgedEvents->hide();
    bar.addPermanentWidget(lblUnacknowledgedEvents);
    connect(lblUnacknowledgedEvents, &ClickableLabel::clicked, this,
            [this] { tabs_.setCurrentIndex(tab_); });
    timer_->setInterval(kCheckInterval);
    connect(timer_, &QTimer::timeout, this, &EventAlerts::check);
    retry_->setSingleShot(true);
    retry_->setInterval(kRetryInterval);
    connect(retry_, &QTimer::timeout, this, &EventAlerts::check);
}

void EventAlerts::connected() {
    watch_.reset();
    timer_->start();
    check();
}

bool EventAlerts::canReadNow() const {
    // What a transaction under way has written may yet be rolled back; a dialog's own loop
    // runs inside a command of the window.
    return !state_.db->transactionIsOpen() && QThread::currentThread()->loopLevel() <= 1;
}

void EventAlerts::check() {
    if (!state_.db || !state_.db->isOpen()) {
        watch_.reset();
        show(0);
        return;
    }
    if (!canReadNow()) {
        retry_->start();
        return;
    }
    try {
        if (!hasTriggerTables(*state_.db)) {
            return;
        }
        for (const TriggerEvent& event : watch_.newEvents(*state_.db)) {
            if (context_.notifier != nullptr) {
                context_.notifier->notify(eventNotificationSummary(event),
                                          eventNotificationBody(*state_.db, event));
            }
        }
        show(unacknowledgedCount(*state_.db));
    } catch (const std::exception&) {
        // A busy or unreachable register is read again at the next check; what was shown
        // stays until then.
    }
}

void EventAlerts::show(int count) {
    unacknowledged_ = count;
    tabs_.setTabText(tab_,
                     count > 0 ? QStringLiteral("%1 (%2)").arg(caption_).arg(count) : caption_);
    lblUnacknowledgedEvents->setText(count == 1
                                         ? QStringLiteral("1 unacknowledged event")
                                         : QStringLiteral("%1 unacknowledged events").arg(count));
    lblUnacknowledgedEvents->setVisible(count > 0);
}
