#include "store/AuditHistory.h"

#include "store/AuditLog.h"
#include "store/Connection.h"
#include "store/SqlFailure.h"

#include <QJsonDocument>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>

namespace {

const QString kColumns = QStringLiteral(
    "AuditID, ChangedAt, ChangedBy, ChangeSet, TableName, InstrumentID, RowKey, Operation, "
    "Before, After");

QJsonObject objectOf(const QVariant& text) {
    return QJsonDocument::fromJson(text.toString().toUtf8()).object();
}

QList<AuditEntry> entriesOf(QSqlQuery& query) {
    QList<AuditEntry> entries;
    while (query.next()) {
        AuditEntry e;
        e.id = query.value(0).toLongLong();
        e.changedAt = query.value(1).toString();
        e.changedBy = query.value(2).toString();
        e.changeSet = query.value(3).toLongLong();
        e.table = query.value(4).toString();
        e.instrumentId = query.value(5).toString();
        e.rowKey = query.value(6).toString();
        e.operation = query.value(7).toString();
        e.before = objectOf(query.value(8));
        e.after = objectOf(query.value(9));
        entries << e;
    }
    return entries;
}

QString valueText(const QJsonValue& value) {
    if (value.isNull() || value.isUndefined()) {
        return QStringLiteral("(none)");
    }
    if (value.isDouble()) {
        return QString::number(value.toDouble(), 'g', 15);
    }
    if (value.isBool()) {
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return value.toString();
}

QString tableWords(const AuditEntry& entry) {
    if (entry.isReading()) {
        return "Reading " + entry.rowKey;
    }
    static const QList<std::pair<QString, QString>> words = {
        {QStringLiteral("Sensors"), QStringLiteral("Sensor")},
        {QStringLiteral("TriggerLevels"), QStringLiteral("Trigger levels")},
        {QStringLiteral("TriggerEvents"), QStringLiteral("Trigger event")},
        {QStringLiteral("TriggerEventClosures"), QStringLiteral("Closure of trigger event")},
        {QStringLiteral("ResponsePlans"), QStringLiteral("Response plan")},
        {QStringLiteral("SensorRevisions"), QStringLiteral("Revision")},
        {QStringLiteral("AlarmRecipients"), QStringLiteral("Alarm recipient")}};
    for (const auto& [table, word] : words) {
        if (entry.table == table) {
            const bool keyed =
                table != QLatin1String("Sensors") && table != QLatin1String("TriggerLevels");
            return keyed && !entry.rowKey.isEmpty() ? word + ' ' + entry.rowKey : word;
        }
    }
    return entry.table;
}

bool isRowId(const QString& column) {
    return column.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0;
}

QString storedValues(const QJsonObject& row) {
    QStringList parts;
    for (auto it = row.begin(); it != row.end(); ++it) {
        if (!isRowId(it.key()) && !it.value().isNull()) {
            parts << it.key() + '=' + valueText(it.value());
        }
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

QList<AuditEntry> sensorHistory(Connection& db, const QString& instrumentId,
                                const HistoryFilter& filter) {
    if (!db.hasTable(kAuditTable)) {
        return {};
    }
    QString sql = "SELECT " + kColumns + " FROM AuditLog WHERE InstrumentID = ?";
    QVariantList params = {instrumentId};
    if (!filter.since.isEmpty()) {
        sql += QLatin1String(" AND ChangedAt >= ?");
        params << filter.since;
    }
    QSqlQuery query = runQuery(db, sql + QLatin1String(" ORDER BY AuditID"), params);
    QList<AuditEntry> entries = entriesOf(query);
    if (!filter.reading.isEmpty()) {
        entries.removeIf([&](const AuditEntry& e) {
            return !e.isReading() || !e.rowKey.contains(filter.reading, Qt::CaseInsensitive);
        });
    }
    return entries;
}

QList<AuditEntry> auditEntries(Connection& db, const QList<qint64>& ids) {
    QList<AuditEntry> entries;
    for (const qint64 id : ids) {
        QSqlQuery query =
            runQuery(db, "SELECT " + kColumns + " FROM AuditLog WHERE AuditID = ?", {id});
        entries << entriesOf(query);
    }
    std::sort(entries.begin(), entries.end(),
              [](const AuditEntry& a, const AuditEntry& b) { return a.id < b.id; });
    return entries;
}

QString changeText(const AuditEntry& entry) {
    const QString what = tableWords(entry);
    if (entry.operation == QLatin1String("INSERT")) {
        return what + QStringLiteral(" added");
    }
    if (entry.operation == QLatin1String("DELETE")) {
        return what + QStringLiteral(" deleted");
    }
    return what + QStringLiteral(" changed");
}

QString valuesText(const AuditEntry& entry) {
    if (entry.operation == QLatin1String("INSERT")) {
        return storedValues(entry.after);
    }
    if (entry.operation == QLatin1String("DELETE")) {
        return storedValues(entry.before);
    }
    QStringList parts;
    for (auto it = entry.after.begin(); it != entry.after.end(); ++it) {
        const QJsonValue was = entry.before.value(it.key());
        if (!isRowId(it.key()) && was != it.value()) {
            parts << it.key() + ": " + valueText(was) + QStringLiteral(" → ") +
                         valueText(it.value());
        }
    }
    return parts.join(QStringLiteral("; "));
}

QStringList deletedSensors(Connection& db) {
    if (!db.hasTable(kAuditTable)) {
        return {};
    }
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT DISTINCT InstrumentID FROM AuditLog WHERE "
                                              "TableName = 'Sensors' AND Operation = 'DELETE' AND "
                                              "InstrumentID NOT IN (SELECT InstrumentID FROM "
                                              "Sensors WHERE InstrumentID IS NOT NULL) ORDER BY "
                                              "InstrumentID"),
                               {});
    QStringList ids;
    while (query.next()) {
        ids << query.value(0).toString();
    }
    return ids;
}
