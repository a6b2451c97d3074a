#pragma once

#include "alarms/MailSettings.h"
#include "triggers/TriggerEvents.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Clock;
class Connection;

// Writes the event's message to the outbox, one row per address of its level's list (amber
// or red). Runs in the caller's transaction, the one that logs the event: the messages are
// stored with the event or not at all. Returns how many rows it wrote.
int queueEventMail(Connection& db, const TriggerEvent& event, const QDateTime& now);

// Writes, once per event, an escalation to the escalation list for every event still
// unacknowledged past its level's response time (from the response plan). Returns how many.
int queueEscalations(Connection& db, const QDateTime& now);
// Writes, once per overdue spell (a sensor unread past its interval since the same newest
// reading), a message to the overdue list. Returns how many.
int queueOverdue(Connection& db, const QDateTime& now);

// Whether a sending run has anything to do: a pending message, or an escalation or overdue
// list with an address. False when the alarm tables do not exist.
bool hasAlarmWork(Connection& db);

// What a sending run did.
struct DeliveryReport {
    int sent = 0;
    int failed = 0;    // refused by the server for that address
    int pending = 0;   // still waiting after the run
    QStringList lines; // "<address>: <the server's answer>" per message tried
    // Why the run stopped before trying every message: no mail server set, the login was
    // refused ("The mail server refused the login: <its answer>"), the server could not be
    // reached.
    std::optional<QString> stopped;
};

// Sends every pending message of the outbox, oldest first, each taken by this run alone (see
// claimMessage). A message the server took is marked sent, one whose address it refused
// failed; any other outcome leaves it pending for the next run.
DeliveryReport sendPending(Connection& db, const MailSettings& settings, const Clock& clock);

// The escalations and overdue messages due, then sendPending: what start-up, an import and
// `quorvelle notify` run.
DeliveryReport deliverAlarms(Connection& db, const MailSettings& settings, const Clock& clock);

// One test message to every address of every list, sent at once and not kept in the outbox:
// "<list> <address>: <the server's answer>" per address.
QStringList sendTestMessages(Connection& db, const MailSettings& settings, const Clock& clock);

// "<n> sent, <n> refused, <n> waiting" and the reason a run stopped.
QString deliverySummary(const DeliveryReport& report);
