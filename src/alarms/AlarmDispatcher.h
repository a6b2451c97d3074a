#pragma once

#include "alarms/AlarmDelivery.h"

#include <QObject>
#include <QString>
#include <functional>

class Clock;
class QThread;

// Sends the outbox off the window's thread: each run opens its own connection to the register,
// queues the escalations and overdue messages due and sends what is pending. A request while a
// run is under way asks for one more run after it. The destructor waits for a run to end
// (at most the mail server's timeouts).
class AlarmDispatcher : public QObject {
    Q_OBJECT
public:
    AlarmDispatcher(const Clock& clock, QObject* parent = nullptr);
    ~AlarmDispatcher() override;

    // The register a run opens: a file path or a server URI; empty sends nothing.
    std::function<QString()> location;
    // Run on the window's thread before each run: the charts are drawn there.
    std::function<void()> beforeRun;
    // The settings file of [Mail]; empty: the program's own.
    QString settingsFile;

    void deliver();
    bool running() const { return thread_ != nullptr; }
    // Waits for the run under way and any asked for after it.
    void waitForRuns();

signals:
    void delivered(const DeliveryReport& report);

private:
    void start();

    const Clock& clock_;
    QThread* thread_ = nullptr;
    bool again_ = false;
    DeliveryReport report_;
};
