#include "store/TriggerTables.h"

#include "store/AppendOnlyRules.h"
#include "store/AuditLog.h"
#include "store/Connection.h"
#include "store/ResponseTables.h"
#include "store/Schema.h"
#include "store/SqlFailure.h"

#include <QSqlRecord>
#include <QStringList>
#include <iterator>

namespace {
// The body of the server's rule function, as the catalogue keeps it (pg_proc.prosrc), so that
// a replaced function is told from ours.
const QString kServerRuleBody = QStringLiteral(
    " BEGIN IF TG_OP <> 'UPDATE' THEN RAISE EXCEPTION 'trigger events are never deleted' USING "
    "ERRCODE = 'integrity_constraint_violation'; END IF; IF OLD.AckAt IS NOT NULL OR NEW.AckAt "
    "IS NULL OR (NEW.rowid, NEW.InstrumentID, NEW.DateTimeKey, NEW.State, NEW.Measure, "
    "NEW.Value, NEW.Level, NEW.Node, NEW.Anchor, NEW.DetectedAt, NEW.DetectedBy) IS DISTINCT "
    "FROM (OLD.rowid, OLD.InstrumentID, OLD.DateTimeKey, OLD.State, OLD.Measure, OLD.Value, "
    "OLD.Level, OLD.Node, OLD.Anchor, OLD.DetectedAt, OLD.DetectedBy) THEN RAISE EXCEPTION 'a "
    "trigger event takes only its acknowledgement' USING ERRCODE = "
    "'integrity_constraint_violation'; END IF; RETURN NEW; END ");

constexpr ServerRule kServerRules[] = {
    {"TriggerEvents_NoDelete", "BEFORE DELETE ON TriggerEvents FOR EACH ROW", 11},
    {"TriggerEvents_NoTruncate", "BEFORE TRUNCATE ON TriggerEvents", 34},
    {"TriggerEvents_AckOnly", "BEFORE UPDATE ON TriggerEvents FOR EACH ROW", 19}};

// The function (first) and the triggers of the server's log, each replacing one there, and
// switched on: a trigger disabled with ALTER TABLE stays disabled when it is only replaced.
QStringList serverRuleStatements() {
    QStringList statements = {
        "CREATE OR REPLACE FUNCTION triggerevents_appendonly() RETURNS trigger LANGUAGE plpgsql "
        "AS $$" +
        kServerRuleBody + "$$"};
    for (const ServerRule& rule : kServerRules) {
        statements << QStringLiteral("CREATE OR REPLACE TRIGGER %1 %2 EXECUTE FUNCTION "
                                     "triggerevents_appendonly()")
                          .arg(rule.name, rule.timing)
                   << QStringLiteral("ALTER TABLE TriggerEvents ENABLE TRIGGER %1").arg(rule.name);
    }
    return statements;
}

// The file's triggers, as sqlite_master keeps their text: no deletion, and no change but a
// first acknowledgement.
const QStringList kFileRules = {
    QStringLiteral("CREATE TRIGGER TriggerEvents_NoDelete BEFORE DELETE ON TriggerEvents BEGIN "
                   "SELECT RAISE(ABORT, 'trigger events are never deleted'); END"),
    QStringLiteral(
        "CREATE TRIGGER TriggerEvents_AckOnly BEFORE UPDATE ON TriggerEvents WHEN OLD.AckAt IS "
        "NOT NULL OR NEW.AckAt IS NULL OR NEW.EventID IS NOT OLD.EventID OR NEW.InstrumentID IS "
        "NOT OLD.InstrumentID OR NEW.DateTimeKey IS NOT OLD.DateTimeKey OR NEW.State IS NOT "
        "OLD.State OR NEW.Measure IS NOT OLD.Measure OR NEW.Value IS NOT OLD.Value OR NEW.Level "
        "IS NOT OLD.Level OR NEW.Node IS NOT OLD.Node OR NEW.Anchor IS NOT OLD.Anchor OR "
        "NEW.DetectedAt IS NOT OLD.DetectedAt OR NEW.DetectedBy IS NOT OLD.DetectedBy BEGIN "
        "SELECT RAISE(ABORT, 'a trigger event takes only its acknowledgement'); END")};

// The level columns added after the first version of TriggerLevels.
const QStringList kAddedLevelColumns = {"AmberSep", "RedSep", "Consecutive", "Hysteresis",
                                        "MinRateReadings"};

QString addedColumnsSql(const QString& type) {
    QStringList columns;
    for (const QString& name : kAddedLevelColumns) {
        columns << name + ' ' + type;
    }
    return columns.join(QStringLiteral(", "));
}

QString fileRuleName(const QString& statement) {
    return statement.section(' ', 2, 2);
}

QStringList serverStatements() {
    QStringList statements = {
        "CREATE TABLE IF NOT EXISTS TriggerLevels (" + kServerRowId +
            ", InstrumentID text UNIQUE NOT NULL, AmberDisp double precision, RedDisp double "
            "precision, AmberRate double precision, RedRate double precision, RateWindow double "
            "precision, ReadingInterval double precision, " +
            addedColumnsSql("double precision") + ")",
        "CREATE TABLE IF NOT EXISTS TriggerEvents (" + kServerRowId +
            ", EventID bigint GENERATED ALWAYS AS (rowid) STORED, InstrumentID text NOT NULL, "
            "DateTimeKey text NOT NULL, State text NOT NULL, Measure text NOT NULL, Value double "
            "precision NOT NULL, Level double precision NOT NULL, Node integer, Anchor text, "
            "DetectedAt text NOT NULL, DetectedBy text NOT NULL, AckAt text, AckBy text, AckNote "
            "text)",
        QStringLiteral("CREATE INDEX IF NOT EXISTS ix_TriggerEvents_InstrumentID ON "
                       "TriggerEvents (InstrumentID, DateTimeKey)")};
    return statements << serverRuleStatements();
}

QStringList fileStatements() {
    QStringList statements = {
        "CREATE TABLE IF NOT EXISTS TriggerLevels (InstrumentID TEXT PRIMARY KEY, AmberDisp REAL, "
        "RedDisp REAL, AmberRate REAL, RedRate REAL, RateWindow REAL, ReadingInterval REAL, " +
            addedColumnsSql("REAL") + ")",
        QStringLiteral("CREATE TABLE IF NOT EXISTS TriggerEvents (EventID INTEGER PRIMARY KEY "
                       "AUTOINCREMENT, InstrumentID TEXT NOT NULL, DateTimeKey TEXT NOT NULL, "
                       "State TEXT NOT NULL, Measure TEXT NOT NULL, Value REAL NOT NULL, "
                       "Level REAL NOT NULL, Node INTEGER, Anchor TEXT, DetectedAt TEXT NOT NULL, "
                       "DetectedBy TEXT NOT NULL, AckAt TEXT, AckBy TEXT, AckNote TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ix_TriggerEvents_InstrumentID ON "
                       "TriggerEvents (InstrumentID, DateTimeKey)")};
    for (QString rule : kFileRules) {
        statements << rule.replace(0, 14, QStringLiteral("CREATE TRIGGER IF NOT EXISTS"));
    }
    return statements;
}

// The rules as the program writes them, replacing any other of the same name.
void restoreRules(Connection& db) {
    db.inTransaction([&] {
        if (db.isServer()) {
            QStringList statements = serverRuleStatements();
            // An unchanged function is left as it is: replacing it needs its owner, and the
            // triggers need only the table's.
            if (db.scalar("SELECT prosrc FROM pg_proc WHERE oid = "
                          "to_regprocedure('triggerevents_appendonly()')")
                    .toString() == kServerRuleBody) {
                statements.removeFirst();
            }
            for (const QString& sql : statements) {
                db.execute(sql);
            }
        } else {
            for (const QString& rule : kFileRules) {
                db.execute("DROP TRIGGER IF EXISTS " + fileRuleName(rule));
                db.execute(rule);
            }
        }
        restoreClosureRules(db);
    });
}
} // namespace

void createTriggerTables(Connection& db) {
    db.inTransaction([&] { createTriggerTablesWithin(db); });
}

void createTriggerTablesWithin(Connection& db) {
    for (const QString& sql : db.isServer() ? serverStatements() : fileStatements()) {
        db.execute(sql);
    }
    createResponseTablesWithin(db);
    auditNewTables(db, {"TriggerLevels", "TriggerEvents", "TriggerEventClosures", "ResponsePlans"});
}

void addMissingLevelColumns(Connection& db) {
    if (!db.hasTable(QStringLiteral("TriggerLevels"))) {
        return;
    }
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT * FROM TriggerLevels WHERE 1 = 0"), {});
    const QSqlRecord record = query.record();
    QStringList missing;
    for (const QString& name : kAddedLevelColumns) {
        if (record.indexOf(name) < 0) {
            missing << name;
        }
    }
    if (missing.isEmpty()) {
        return;
    }
    db.inTransaction([&] {
        for (const QString& name : missing) {
            db.execute(db.isServer() ? "ALTER TABLE TriggerLevels ADD COLUMN IF NOT EXISTS " +
                                           name + " double precision"
                                     : "ALTER TABLE TriggerLevels ADD COLUMN " + name + " REAL");
        }
    });
}

bool hasTriggerTables(Connection& db) {
    // Looked up by name: a register of many sensors holds thousands of tables.
    return db.hasTable(QStringLiteral("TriggerLevels")) &&
           db.hasTable(QStringLiteral("TriggerEvents")) && hasResponseTables(db);
}

bool eventLogRulesIntact(Connection& db) {
    return triggerEventRulesIntact(db) && closureRulesIntact(db);
}

bool triggerEventRulesIntact(Connection& db) {
    return appendOnlyRulesIntact(db, QStringLiteral("TriggerEvents"),
                                 QStringLiteral("triggerevents_appendonly"), kServerRuleBody,
                                 kServerRules, kFileRules);
}

EventLogProtection protectEventLog(Connection& db) {
    EventLogProtection protection;
    if (eventLogRulesIntact(db)) {
        return protection;
    }
    try {
        restoreRules(db);
    } catch (const DbError& e) {
        // Another user opening the register at the same moment may have put them back first.
        if (!eventLogRulesIntact(db)) {
            protection.failure = e;
        }
        return protection;
    }
    protection.restored = true;
    return protection;
}
