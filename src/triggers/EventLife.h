#pragma once

#include "triggers/TriggerEvents.h"

#include <QHash>
#include <optional>

// The close of an acknowledged event, stored once and never changed.
struct EventClosure {
    QString closedAt; // "yyyy-MM-dd HH:mm:ss"
    QString closedBy;
    QString actionsTaken;
    QString reentryNote;
};

// An event goes open, then acknowledged, then closed; each step is added, none rewritten.
enum class EventStage { Open, Acknowledged, Closed };
// "Open", "Acknowledged", "Closed".
QString stageText(EventStage stage);

struct EventRecord {
    TriggerEvent event;
    std::optional<EventClosure> closure;

    EventStage stage() const {
        return closure ? EventStage::Closed
                       : (event.ackAt.isEmpty() ? EventStage::Open : EventStage::Acknowledged);
    }
};

// Every event with its close, oldest first; only those not closed when openOnly.
QList<EventRecord> eventRecords(Connection& db, bool openOnly);

// How many events wait for their acknowledgement.
int unacknowledgedCount(Connection& db);

// Closes the event in one transaction, or says why not: no actions given, no such event, not
// yet acknowledged, or already closed (then by whom and when). Empty when it was closed.
QString closeTriggerEvent(Connection& db, qint64 eventId, const QDateTime& at, const QString& by,
                          const QString& actionsTaken, const QString& reentryNote);

// Acknowledges one event, or says why not: no such event, or already acknowledged (by whom and
// when). Empty when it took the acknowledgement.
QString acknowledgeTriggerEvent(Connection& db, qint64 eventId, const QDateTime& at,
                                const QString& by, const QString& note);

// The events logged since the watch was started: the first look only notes where the log
// stands, so that the events of before are not news.
class EventWatch {
public:
    // Forgets where the log stood, as for another register.
    void reset() { seen_.reset(); }
    QList<TriggerEvent> newEvents(Connection& db);

private:
    std::optional<qint64> seen_;
};
