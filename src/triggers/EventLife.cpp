#include "triggers/EventLife.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>
#include <algorithm>

namespace {
const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

std::optional<EventClosure> closureOf(Connection& db, qint64 eventId) {
    QSqlQuery query =
        runQuery(db,
                 QStringLiteral("SELECT ClosedAt, ClosedBy, ActionsTaken, ReentryNote "
                                "FROM TriggerEventClosures WHERE EventID = ?"),
                 {eventId});
    if (!query.next()) {
        return std::nullopt;
    }
    return EventClosure{query.value(0).toString(), query.value(1).toString(),
                        query.value(2).toString(), query.value(3).toString()};
}

QString alreadyClosed(qint64 eventId, const EventClosure& closure) {
    return QStringLiteral("Event %1 was already closed on %2 by %3.")
        .arg(eventId)
        .arg(shownEventTime(closure.closedAt), closure.closedBy);
}
} // namespace

QString stageText(EventStage stage) {
    switch (stage) {
    case EventStage::Open:
        return QStringLiteral("Open");
    case EventStage::Acknowledged:
        return QStringLiteral("Acknowledged");
    case EventStage::Closed:
        break;
    }
    return QStringLiteral("Closed");
}

QList<EventRecord> eventRecords(Connection& db, bool openOnly) {
    QHash<qint64, EventClosure> closures;
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT EventID, ClosedAt, ClosedBy, ActionsTaken, "
                                              "ReentryNote FROM TriggerEventClosures"),
                               {});
    while (query.next()) {
        closures.insert(query.value(0).toLongLong(),
                        EventClosure{query.value(1).toString(), query.value(2).toString(),
                                     query.value(3).toString(), query.value(4).toString()});
    }
    QList<EventRecord> records;
    for (const TriggerEvent& e : allTriggerEvents(db)) {
        const auto found = closures.constFind(e.id);
        if (found != closures.constEnd()) {
            if (!openOnly) {
                records << EventRecord{e, *found};
            }
        } else {
            records << EventRecord{e, std::nullopt};
        }
    }
    return records;
}

int unacknowledgedCount(Connection& db) {
    return db.scalar(QStringLiteral("SELECT count(*) FROM TriggerEvents WHERE AckAt IS NULL"))
        .toInt();
}

QString closeTriggerEvent(Connection& db, qint64 eventId, const QDateTime& at, const QString& by,
                          const QString& actionsTaken, const QString& reentryNote) {
    const QString actions = actionsTaken.trimmed();
    if (actions.isEmpty()) {
        return QStringLiteral("Event %1 is not closed: say what actions were taken.").arg(eventId);
    }
    QString refusal;
    const auto attempt = [&] {
        db.inTransaction([&] {
            QSqlQuery event = runQuery(
                db, QStringLiteral("SELECT AckAt FROM TriggerEvents WHERE EventID = ?"), {eventId});
            if (!event.next()) {
                refusal = QStringLiteral("There is no event %1.").arg(eventId);
                return;
            }
            if (event.value(0).toString().isEmpty()) {
                refusal = QStringLiteral("Event %1 is not acknowledged: only an acknowledged event "
                                         "can be closed.")
                              .arg(eventId);
                return;
            }
            if (const std::optional<EventClosure> closure = closureOf(db, eventId)) {
                refusal = alreadyClosed(eventId, *closure);
                return;
            }
            db.execute(QStringLiteral("INSERT INTO TriggerEventClosures (EventID, ClosedAt, "
                                      "ClosedBy, ActionsTaken, ReentryNote) VALUES (?, ?, ?, ?, "
                                      "?)"),
                       {eventId, at.toString(kStamp), by, actions, reentryNote.trimmed()});
        });
    };
    try {
        attempt();
    } catch (const DbError& e) {
        // Another user closing the same event at the same moment stored theirs first.
        if (e.kind() != DbErrorKind::Constraint) {
            throw;
        }
        const std::optional<EventClosure> closure = closureOf(db, eventId);
        if (!closure) {
            throw;
        }
        return alreadyClosed(eventId, *closure);
    }
    return refusal;
}

QString acknowledgeTriggerEvent(Connection& db, qint64 eventId, const QDateTime& at,
                                const QString& by, const QString& note) {
    if (acknowledgeEvents(db, {eventId}, at, by, note.trimmed()) == 1) {
        return {};
    }
    QSqlQuery query = runQuery(
        db, QStringLiteral("SELECT AckAt, AckBy FROM TriggerEvents WHERE EventID = ?"), {eventId});
    if (!query.next()) {
        return QStringLiteral("There is no event %1.").arg(eventId);
    }
    return QStringLiteral("Event %1 was already acknowledged on %2 by %3.")
        .arg(eventId)
        .arg(shownEventTime(query.value(0).toString()), query.value(1).toString());
}

QList<TriggerEvent> EventWatch::newEvents(Connection& db) {
    if (!seen_) {
        seen_ = db.scalar(QStringLiteral("SELECT max(EventID) FROM TriggerEvents")).toLongLong();
        return {};
    }
    const QList<TriggerEvent> events = triggerEventsAfter(db, *seen_);
    for (const TriggerEvent& e : events) {
        seen_ = std::max(*seen_, e.id);
    }
    return events;
}
