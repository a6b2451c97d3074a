#include "store/EventLogMerge.h"

#include "store/Connection.h"
#include "store/SqlFailure.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QVariantList>

namespace {
// The columns of an event after its number, in the table's order, and how many of them (the
// first) say what the event records; the acknowledgement follows them.
const QStringList kEventColumns = {
    "InstrumentID", "DateTimeKey", "State",      "Measure", "Value", "Level",  "Node",
    "Anchor",       "DetectedAt",  "DetectedBy", "AckAt",   "AckBy", "AckNote"};
const QStringList kIdentityColumns = {"InstrumentID", "DateTimeKey", "State",
                                      "Measure",      "DetectedAt",  "DetectedBy"};

struct Event {
    qint64 id = 0;
    QVariantList values; // kEventColumns
};

QString identity(const Event& event) {
    QStringList parts;
    for (const QString& column : kIdentityColumns) {
        const QVariant& value = event.values[kEventColumns.indexOf(column)];
        parts << (value.isNull() ? QStringLiteral("\x1e") : value.toString());
    }
    return parts.join(QChar(0x1f));
}

bool acknowledged(const Event& event) {
    return !event.values[kEventColumns.indexOf("AckAt")].isNull();
}

QList<Event> readEvents(Connection& db) {
    QList<Event> events;
    if (!db.hasTable(QStringLiteral("TriggerEvents"))) {
        return events;
    }
    QSqlQuery query = runQuery(
        db, "SELECT EventID, " + kEventColumns.join(", ") + " FROM TriggerEvents ORDER BY EventID",
        {});
    while (query.next()) {
        Event event{query.value(0).toLongLong(), {}};
        for (int i = 0; i < kEventColumns.size(); ++i) {
            event.values << query.value(i + 1);
        }
        events << event;
    }
    if (query.lastError().isValid()) {
        raiseSqlError(db, query.lastError());
    }
    return events;
}

QHash<QString, Event> byIdentity(const QList<Event>& events) {
    QHash<QString, Event> known;
    for (const Event& event : events) {
        known.insert(identity(event), event);
    }
    return known;
}

// On a server the event number is the row id, which the number column follows. Returns the
// number the event was stored under.
qint64 insertEvent(Connection& db, const Event& event, bool keepNumber) {
    QStringList columns = kEventColumns;
    QVariantList values = event.values;
    if (keepNumber) {
        columns.prepend(db.isServer() ? QStringLiteral("rowid") : QStringLiteral("EventID"));
        values.prepend(event.id);
    }
    const QString insert = "INSERT INTO TriggerEvents (" + columns.join(", ") + ") VALUES (" +
                           QStringList(columns.size(), "?").join(", ") + ")";
    if (db.isServer()) {
        return db.scalar(insert + " RETURNING EventID", values).toLongLong();
    }
    db.execute(insert, values);
    return db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
}
} // namespace

qint64 mergeEventLog(Connection& into, Connection& from, QHash<qint64, qint64>* numbers) {
    const QList<Event> incoming = readEvents(from);
    if (incoming.isEmpty()) {
        return 0;
    }
    const QList<Event> held = readEvents(into);
    const QHash<QString, Event> present = byIdentity(held);
    QSet<qint64> used;
    for (const Event& event : held) {
        used.insert(event.id);
    }
    QList<Event> renumbered;
    qint64 added = 0;
    for (const Event& event : incoming) {
        const auto same = present.constFind(identity(event));
        if (same != present.constEnd()) {
            if (numbers) {
                numbers->insert(event.id, same->id);
            }
            if (acknowledged(event) && !acknowledged(*same)) {
                const auto value = [&](const char* column) {
                    return event.values[kEventColumns.indexOf(column)];
                };
                into.execute("UPDATE TriggerEvents SET AckAt = ?, AckBy = ?, AckNote = ? WHERE "
                             "EventID = ?",
                             {value("AckAt"), value("AckBy"), value("AckNote"), same->id});
            }
        } else if (used.contains(event.id)) {
            renumbered << event;
        } else {
            insertEvent(into, event, true);
            used.insert(event.id);
            if (numbers) {
                numbers->insert(event.id, event.id);
            }
            ++added;
        }
    }
    if (into.isServer()) {
        // The events given a new number must not take one kept from the other log; a sequence
        // already past the numbers is left alone.
        into.execute("SELECT setval(pg_get_serial_sequence('triggerevents', 'rowid'), max(rowid)) "
                     "FROM TriggerEvents HAVING max(rowid) > coalesce(pg_sequence_last_value("
                     "pg_get_serial_sequence('triggerevents', 'rowid')::regclass), 0)");
    }
    for (const Event& event : renumbered) {
        const qint64 number = insertEvent(into, event, false);
        if (numbers) {
            numbers->insert(event.id, number);
        }
        ++added;
    }
    return added;
}

qint64 eventsMissingFrom(Connection& log, Connection& other) {
    const QHash<QString, Event> held = byIdentity(readEvents(other));
    qint64 missing = 0;
    for (const Event& event : readEvents(log)) {
        if (!held.contains(identity(event))) {
            ++missing;
        }
    }
    return missing;
}
