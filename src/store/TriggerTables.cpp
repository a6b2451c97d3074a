#include "store/TriggerTables.h"

#include "store/Connection.h"
#include "store/Schema.h"

#include <QStringList>

namespace {
// The same tables on a site server: natural types, the row id as a column (EventID is the row
// id, as on a file), and the log's rule kept by a trigger function.
QStringList serverStatements() {
    return {
        "CREATE TABLE IF NOT EXISTS TriggerLevels (" + kServerRowId +
            ", InstrumentID text UNIQUE NOT NULL, AmberDisp double precision, RedDisp double "
            "precision, AmberRate double precision, RedRate double precision, RateWindow double "
            "precision, ReadingInterval double precision)",
        "CREATE TABLE IF NOT EXISTS TriggerEvents (" + kServerRowId +
            ", EventID bigint GENERATED ALWAYS AS (rowid) STORED, InstrumentID text NOT NULL, "
            "DateTimeKey text NOT NULL, State text NOT NULL, Measure text NOT NULL, Value double "
            "precision NOT NULL, Level double precision NOT NULL, Node integer, Anchor text, "
            "DetectedAt text NOT NULL, DetectedBy text NOT NULL, AckAt text, AckBy text, AckNote "
            "text)",
        QStringLiteral("CREATE INDEX IF NOT EXISTS ix_TriggerEvents_InstrumentID ON "
                       "TriggerEvents (InstrumentID, DateTimeKey)"),
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION triggerevents_appendonly() RETURNS trigger LANGUAGE "
            "plpgsql AS $$ BEGIN IF TG_OP <> 'UPDATE' THEN RAISE EXCEPTION 'trigger events are "
            "never deleted' USING ERRCODE = 'integrity_constraint_violation'; END IF; IF "
            "OLD.AckAt IS NOT NULL OR NEW.AckAt IS NULL OR (NEW.rowid, NEW.InstrumentID, "
            "NEW.DateTimeKey, NEW.State, NEW.Measure, NEW.Value, NEW.Level, NEW.Node, NEW.Anchor, "
            "NEW.DetectedAt, NEW.DetectedBy) IS DISTINCT FROM (OLD.rowid, OLD.InstrumentID, "
            "OLD.DateTimeKey, OLD.State, OLD.Measure, OLD.Value, OLD.Level, OLD.Node, OLD.Anchor, "
            "OLD.DetectedAt, OLD.DetectedBy) THEN RAISE EXCEPTION 'a trigger event takes only "
            "its acknowledgement' USING ERRCODE = 'integrity_constraint_violation'; END IF; "
            "RETURN NEW; END $$"),
        QStringLiteral("CREATE OR REPLACE TRIGGER TriggerEvents_NoDelete BEFORE DELETE ON "
                       "TriggerEvents FOR EACH ROW EXECUTE FUNCTION triggerevents_appendonly()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER TriggerEvents_NoTruncate BEFORE TRUNCATE ON "
                       "TriggerEvents EXECUTE FUNCTION triggerevents_appendonly()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER TriggerEvents_AckOnly BEFORE UPDATE ON "
                       "TriggerEvents FOR EACH ROW EXECUTE FUNCTION triggerevents_appendonly()")};
}
} // namespace

void createTriggerTables(Connection& db) {
    const QStringList statements =
        db.isServer()
            ? serverStatements()
            : QStringList{
                  QStringLiteral(
                      "CREATE TABLE IF NOT EXISTS TriggerLevels (InstrumentID TEXT PRIMARY KEY, "
                      "AmberDisp REAL, RedDisp REAL, AmberRate REAL, RedRate REAL, "
                      "RateWindow REAL, ReadingInterval REAL)"),
                  QStringLiteral(
                      "CREATE TABLE IF NOT EXISTS TriggerEvents (EventID INTEGER PRIMARY KEY "
                      "AUTOINCREMENT, InstrumentID TEXT NOT NULL, DateTimeKey TEXT NOT NULL, "
                      "State TEXT NOT NULL, Measure TEXT NOT NULL, Value REAL NOT NULL, "
                      "Level REAL NOT NULL, Node INTEGER, Anchor TEXT, DetectedAt TEXT NOT NULL, "
                      "DetectedBy TEXT NOT NULL, AckAt TEXT, AckBy TEXT, AckNote TEXT)"),
                  QStringLiteral("CREATE INDEX IF NOT EXISTS ix_TriggerEvents_InstrumentID ON "
                                 "TriggerEvents (InstrumentID, DateTimeKey)"),
                  // The log keeps what it recorded: no deletion, and no change but a first
                  // acknowledgement.
                  QStringLiteral(
                      "CREATE TRIGGER IF NOT EXISTS TriggerEvents_NoDelete BEFORE DELETE ON "
                      "TriggerEvents BEGIN SELECT RAISE(ABORT, 'trigger events are never "
                      "deleted'); END"),
                  QStringLiteral(
                      "CREATE TRIGGER IF NOT EXISTS TriggerEvents_AckOnly BEFORE UPDATE ON "
                      "TriggerEvents "
                      "WHEN OLD.AckAt IS NOT NULL OR NEW.AckAt IS NULL OR NEW.EventID IS NOT "
                      "OLD.EventID "
                      "OR NEW.InstrumentID IS NOT OLD.InstrumentID OR NEW.DateTimeKey IS NOT "
                      "OLD.DateTimeKey OR NEW.State IS NOT OLD.State OR NEW.Measure IS NOT "
                      "OLD.Measure OR "
                      "NEW.Value IS NOT OLD.Value OR NEW.Level IS NOT OLD.Level OR NEW.Node IS NOT "
                      "OLD.Node "
                      "OR NEW.Anchor IS NOT OLD.Anchor OR NEW.DetectedAt IS NOT OLD.DetectedAt OR "
                      "NEW.DetectedBy IS NOT OLD.DetectedBy BEGIN SELECT RAISE(ABORT, 'a trigger "
                      "event "
                      "takes only its acknowledgement'); END")};
    db.inTransaction([&] {
        for (const QString& sql : statements) {
            db.execute(sql);
        }
    });
}

bool hasTriggerTables(Connection& db) {
    // Looked up by name: a register of many sensors holds thousands of tables.
    return db.hasTable(QStringLiteral("TriggerLevels")) &&
           db.hasTable(QStringLiteral("TriggerEvents"));
}
