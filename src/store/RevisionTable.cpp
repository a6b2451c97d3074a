#include "store/RevisionTable.h"

#include "store/AuditLog.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QStringList>

namespace {

QString valueColumns(const QString& type) {
    QStringList columns;
    for (int n = 1; n <= kRevisionValues; ++n) {
        columns << QStringLiteral("Value%1 %2").arg(n).arg(type);
    }
    return columns.join(QStringLiteral(", "));
}

QStringList fileStatements() {
    return {"CREATE TABLE IF NOT EXISTS SensorRevisions (RevisionID INTEGER PRIMARY KEY "
            "AUTOINCREMENT, InstrumentID TEXT NOT NULL, FromKey TEXT, FromDate TEXT NOT NULL, "
            "Kind TEXT NOT NULL, Node INTEGER, " +
                valueColumns(QStringLiteral("REAL")) +
                ", Note TEXT, EnteredBy TEXT NOT NULL, EnteredAt TEXT NOT NULL)",
            QStringLiteral("CREATE INDEX IF NOT EXISTS ix_SensorRevisions_InstrumentID ON "
                           "SensorRevisions (InstrumentID, FromDate)"),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS SensorRevisions_NoDelete BEFORE DELETE "
                           "ON SensorRevisions BEGIN SELECT RAISE(ABORT, 'sensor revisions are "
                           "never deleted'); END"),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS SensorRevisions_NoUpdate BEFORE UPDATE "
                           "ON SensorRevisions BEGIN SELECT RAISE(ABORT, 'sensor revisions are "
                           "never changed'); END")};
}

QStringList serverStatements() {
    return {"CREATE TABLE IF NOT EXISTS SensorRevisions (" + kServerRowId +
                ", RevisionID bigint GENERATED ALWAYS AS (rowid) STORED, InstrumentID text NOT "
                "NULL, FromKey text, FromDate text NOT NULL, Kind text NOT NULL, Node integer, " +
                valueColumns(QStringLiteral("double precision")) +
                ", Note text, EnteredBy text NOT NULL, EnteredAt text NOT NULL)",
            QStringLiteral("CREATE INDEX IF NOT EXISTS ix_SensorRevisions_InstrumentID ON "
                           "SensorRevisions (InstrumentID, FromDate)"),
            QStringLiteral(
                "CREATE OR REPLACE FUNCTION sensorrevisions_appendonly() RETURNS trigger "
                "LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION 'sensor revisions are only added' "
                "USING ERRCODE = 'integrity_constraint_violation'; END $$"),
            QStringLiteral("CREATE OR REPLACE TRIGGER SensorRevisions_AppendOnly BEFORE UPDATE "
                           "OR DELETE ON SensorRevisions FOR EACH ROW EXECUTE FUNCTION "
                           "sensorrevisions_appendonly()")};
}

} // namespace

void createRevisionTableWithin(Connection& db) {
    for (const QString& sql : db.isServer() ? serverStatements() : fileStatements()) {
        db.execute(sql);
    }
    auditNewTables(db, {kRevisionTable});
}

bool hasRevisionTable(Connection& db) {
    return db.hasTable(kRevisionTable);
}
