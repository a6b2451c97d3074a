#pragma once

#include <QObject>

class AlarmDispatcher;
class UtilitiesPage;
struct AppContext;
struct AppState;

// The window's side of the alarm mail: "Alarm Recipients" on the Utilities tab, and the outbox
// sent off the window's thread after each write of readings and once the register is open.
class AlarmCommands : public QObject {
    Q_OBJECT
public:
    AlarmCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                  QObject* parent = nullptr);

    // Sends the outbox once the work under way has returned to the event loop (its transaction
    // committed), when there is anything to send.
    void deliverSoon();
    // The register was opened: the outbox is sent. The alarm tables are made with the first
    // address, so that opening a register changes nothing in it.
    void registerOpened();
    // Waits for a run under way; nothing is sent afterwards.
    void stop();

    void cmdAlarmRecipients_Click();

    AlarmDispatcher* dispatcher;

private:
    AppState& state_;
    const AppContext& context_;
    bool stopped_ = false;
};
