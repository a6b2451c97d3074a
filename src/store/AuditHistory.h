#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class Connection;

// One row of the audit trail, its values read back from their JSON text.
struct AuditEntry {
    qint64 id = 0;
    QString changedAt;
    QString changedBy;
    qint64 changeSet = 0;
    QString table;
    QString instrumentId;
    QString rowKey;
    QString operation;
    QJsonObject before;
    QJsonObject after;

    bool isReading() const { return table.compare(instrumentId, Qt::CaseInsensitive) == 0; }
    bool isDeletion() const { return operation == QLatin1String("DELETE"); }
    bool isDeletedReading() const { return isReading() && isDeletion(); }
    bool isDeletedSensor() const { return isDeletion() && table == QLatin1String("Sensors"); }
};

// Which of a sensor's changes to list: those of readings whose key holds reading (any when
// empty), made on or after the day since ("yyyy-MM-dd"; any day when empty).
struct HistoryFilter {
    QString reading;
    QString since;
};

// The sensor's changes in the order they were made. A database without AuditLog has none.
QList<AuditEntry> sensorHistory(Connection& db, const QString& instrumentId,
                                const HistoryFilter& filter = {});

// The entries with these ids, in the order they were made.
QList<AuditEntry> auditEntries(Connection& db, const QList<qint64>& ids);

// What changed, in words: "Reading 2026/01/02 10:00 deleted", "Sensor changed", "Trigger
// levels added", …
QString changeText(const AuditEntry& entry);

// The values that changed: "column: before → after" for a change; the stored values for a row
// added or deleted. The row id is left out.
QString valuesText(const AuditEntry& entry);

// The sensors deleted, as the trail recorded them, that are not in the register now.
QStringList deletedSensors(Connection& db);
