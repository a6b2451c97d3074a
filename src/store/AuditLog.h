#pragma once

#include <QString>
#include <QStringList>

class Connection;

// The audit trail: the append-only table AuditLog, one row per changed row of the sensors, every
// readings table, trigger levels, trigger events and their closures, response plans, revisions
// and alarm recipients. A row holds when (ChangedAt, the database's clock), who (ChangedBy), the
// change set (ChangeSet: one per transaction), the table (TableName; a readings table by its
// sensor's InstrumentID), the sensor (InstrumentID), the row's key (RowKey), the operation
// (INSERT, UPDATE, DELETE) and the row's values before and after as JSON objects of column to
// value (Before, After). Reals keep every digit, so a stored row can be put back as it was.
//
// On a server, triggers of a SECURITY DEFINER function owned by the database owner write it,
// with the session's login as who, so a change made with any other client is recorded too. Only
// the owner can change the table or switch its triggers off; other logins may only read it.
// On a file, the program's own connection writes it through temporary triggers in the same
// statement as the change; another program opening the file is not recorded.
inline const QString kAuditTable = QStringLiteral("AuditLog");

// Creates AuditLog with its rules when missing and has the connection record every change from
// now on. On a server this installs the function and a trigger on every audited table present,
// which needs the owner of the tables (as `server init` runs); on a file it records the changes
// of this connection, made by who.
void installAudit(Connection& db, const QString& who);

// Creates AuditLog with its rules when missing, inside the caller's transaction, and records
// nothing: a copy of the register fills it as it was. The recording is installed when the
// register is opened (recordChanges).
void createAuditTableWithin(Connection& db);

// Whether the connection's changes are being recorded.
bool auditInstalled(Connection& db);

// Has the changes of a sensor's new readings table recorded, when the connection records its
// changes; run where the table is created.
void auditReadingsTable(Connection& db, const QString& instrumentId);

// Has the changes of one of the program's own audited tables (TriggerLevels, SensorRevisions,
// …) recorded after it was created, when the connection records its changes.
void auditNewTables(Connection& db, const QStringList& tables);

// Whether AuditLog's rules against changing or deleting its rows stand; true without the table.
bool auditRulesIntact(Connection& db);

// What opening a register does: a file's changes are recorded from now on (AuditLog created
// when missing); a server's trail is installed when it has none yet and the login owns the
// database.
void recordChanges(Connection& db, const QString& who);
