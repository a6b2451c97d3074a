#pragma once

#include "triggers/EventLife.h"

#include <QObject>
#include <functional>

struct AppState;
struct AppContext;
class ClickableLabel;
class QStatusBar;
class QTabWidget;
class QTimer;

// While the window is open: a desktop notification for each event logged since the register
// was opened (by this window or by another engineer's import), the count of unacknowledged
// events on the caption of "9. Site Status" ("9. Site Status (2)") and on a status-bar label
// ("2 unacknowledged events", hidden when none) that opens that tab when clicked. The log is
// read on each check: after readings are written, when the tab is refreshed, and every minute.
class EventAlerts : public QObject {
    Q_OBJECT
public:
    EventAlerts(AppState& state, const AppContext& context, QTabWidget& tabs, int tab,
                QStatusBar& bar, QObject* parent = nullptr);

    // Another register is in use: the events already in its log are not news.
    void connected();
    // Reads the log now, unless a transaction or a dialog's loop is under way: then soon after.
    void check();

    // How many events wait for their acknowledgement, as last read.
    int unacknowledged() const { return unacknowledged_; }

    ClickableLabel* lblUnacknowledgedEvents;
    // Checks every this many milliseconds.
    static constexpr int kCheckInterval = 60000;

private:
    bool canReadNow() const;
    void show(int count);

    AppState& state_;
    const AppContext& context_;
    QTabWidget& tabs_;
    int tab_;
    QString caption_;
    QTimer* timer_;
    QTimer* retry_;
    EventWatch watch_;
    int unacknowledged_ = 0;
};

// The notification of an event: "Sensor 120521001 reached RED", and the event's message with
// the response plan that applies to it.
QString eventNotificationSummary(const TriggerEvent& event);
QString eventNotificationBody(Connection& db, const TriggerEvent& event);
