#include "store/AuditRestore.h"

#include "store/AuditHistory.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/SqlFailure.h"

#include <QJsonValue>
#include <QMap>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

namespace {

QVariant variantOf(const QJsonValue& value) {
    if (value.isDouble()) {
        const double d = value.toDouble();
        // A whole number within a double's exact range goes back as an integer.
        if (std::trunc(d) == d && std::fabs(d) < 9007199254740992.0) {
            return QVariant(qint64(d));
        }
        return QVariant(d);
    }
    if (value.isString()) {
        return QVariant(value.toString());
    }
    if (value.isBool()) {
        return QVariant(value.toBool() ? 1 : 0);
    }
    return QVariant(QMetaType::fromType<QString>());
}

// The table's columns by their lower-case names.
QMap<QString, QString> columnsOf(Connection& db, const QString& table) {
    QSqlQuery query = runQuery(db, "SELECT * FROM " + quoteName(table) + " WHERE 1 = 0", {});
    const QSqlRecord record = query.record();
    QMap<QString, QString> columns;
    for (int i = 0; i < record.count(); ++i) {
        columns.insert(record.fieldName(i).toLower(), record.fieldName(i));
    }
    return columns;
}

bool rowIdFree(Connection& db, const QString& table, const QVariant& rowId) {
    return db.scalar("SELECT count(*) FROM " + quoteName(table) + " WHERE rowid = ?", {rowId})
               .toInt() == 0;
}

// Inserts a stored row. Its row id comes back with it unless another row took it meanwhile.
void insertRow(Connection& db, const QString& table, const QMap<QString, QString>& columns,
               const QJsonObject& row, bool markChanged) {
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (auto it = row.begin(); it != row.end(); ++it) {
        const QString column = it.key().toLower();
        QVariant value = variantOf(it.value());
        if (column == QLatin1String("rowid")) {
            if (value.isNull() || !rowIdFree(db, table, value)) {
                continue;
            }
        } else if (!columns.contains(column)) {
            throw RestoreRefused(
                QStringLiteral("The stored row does not fit the table %1 as it is now (it has "
                               "no column %2); nothing was restored.")
                    .arg(table, it.key()));
        }
        if (markChanged && column == QLatin1String("isdirty")) {
            value = 1;
        }
        names << quoteName(column);
        marks << QStringLiteral("?");
        values << value;
    }
    db.execute("INSERT INTO " + quoteName(table) + " (" + names.join(", ") + ") VALUES (" +
                   marks.join(", ") + ')',
               values);
}

void restoreReading(Connection& db, const AuditEntry& entry,
                    const QMap<QString, QString>& columns) {
    const QString key = entry.before.value(col::DateTimeKey).isUndefined()
                            ? entry.before.value(QStringLiteral("datetimekey")).toString()
                            : entry.before.value(col::DateTimeKey).toString();
    if (db.scalar("SELECT count(*) FROM " + quoteName(entry.instrumentId) +
                      " WHERE DateTimeKey = ?",
                  {key})
            .toInt() > 0) {
        throw RestoreRefused(QStringLiteral("Sensor %1 holds a reading %2 again; nothing was "
                                            "restored.")
                                 .arg(entry.instrumentId, key));
    }
    insertRow(db, entry.instrumentId, columns, entry.before, true);
}

} // namespace

int restoreReadings(Connection& db, const QList<qint64>& auditIds) {
    const QList<AuditEntry> entries = auditEntries(db, auditIds);
    if (entries.size() != auditIds.size()) {
        throw RestoreRefused(QStringLiteral("A chosen change is no longer in the history."));
    }
    QMap<QString, QMap<QString, QString>> tables;
    for (const AuditEntry& entry : entries) {
        if (!entry.isDeletedReading()) {
            throw RestoreRefused(
                QStringLiteral("Only deleted readings are restored: \"%1\" is not one.")
                    .arg(changeText(entry)));
        }
        if (!tables.contains(entry.instrumentId)) {
            if (!db.hasTable(entry.instrumentId)) {
                throw RestoreRefused(QStringLiteral("The readings table of sensor %1 is gone: "
                                                    "restore the sensor first.")
                                         .arg(entry.instrumentId));
            }
            tables.insert(entry.instrumentId, columnsOf(db, entry.instrumentId));
        }
    }
    db.inTransaction([&] {
        for (const AuditEntry& entry : entries) {
            restoreReading(db, entry, tables.value(entry.instrumentId));
        }
    });
    return int(entries.size());
}

int restoreSensor(Connection& db, qint64 auditId) {
    const QList<AuditEntry> found = auditEntries(db, {auditId});
    if (found.isEmpty() || !found.first().isDeletedSensor()) {
        throw RestoreRefused(QStringLiteral("Only a deleted sensor is restored this way."));
    }
    const AuditEntry& deletion = found.first();
    const QString id = deletion.instrumentId;
    if (db.scalar(QStringLiteral("SELECT count(*) FROM Sensors WHERE InstrumentID = ?"), {id})
            .toInt() > 0) {
        throw RestoreRefused(
            QStringLiteral("Sensor %1 is in the database again; nothing was restored.").arg(id));
    }
    if (db.hasTable(id)) {
        throw RestoreRefused(
            QStringLiteral("A readings table %1 exists; nothing was restored.").arg(id));
    }
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT AuditID FROM AuditLog WHERE ChangeSet = ? "
                                              "AND InstrumentID = ? AND Operation = 'DELETE' "
                                              "AND AuditID <> ? ORDER BY AuditID"),
                               {deletion.changeSet, id, auditId});
    QList<qint64> ids;
    while (query.next()) {
        ids << query.value(0).toLongLong();
    }
    const QList<AuditEntry> withIt = auditEntries(db, ids);
    int readings = 0;
    db.inTransaction([&] {
        insertRow(db, QStringLiteral("Sensors"), columnsOf(db, QStringLiteral("Sensors")),
                  deletion.before, false);
        createReadingsTable(db, id);
        const QMap<QString, QString> columns = columnsOf(db, id);
        for (const AuditEntry& entry : withIt) {
            if (entry.isReading()) {
                restoreReading(db, entry, columns);
                ++readings;
            } else if (entry.table == QLatin1String("TriggerLevels") &&
                       db.scalar(QStringLiteral("SELECT count(*) FROM TriggerLevels WHERE "
                                                "InstrumentID = ?"),
                                 {id})
                               .toInt() == 0) {
                insertRow(db, entry.table, columnsOf(db, entry.table), entry.before, false);
            }
        }
        if (db.isServer()) {
            // The new table's row ids go on after the restored ones.
            db.scalar("SELECT setval(pg_get_serial_sequence(?, 'rowid'), max(rowid)) FROM " +
                          quoteName(id) + " HAVING max(rowid) IS NOT NULL",
                      {quoteName(id)});
        }
    });
    return readings;
}

bool mayRestoreSensors(Connection& db) {
    if (!db.isServer()) {
        return true;
    }
    return db
        .scalar(QStringLiteral("SELECT CASE WHEN to_regrole('quorvelle_admin') IS NULL THEN "
                               "true ELSE pg_has_role(session_user, "
                               "to_regrole('quorvelle_admin'), 'MEMBER') END"))
        .toBool();
}
