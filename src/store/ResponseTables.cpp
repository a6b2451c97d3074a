#include "store/ResponseTables.h"

#include "store/AppendOnlyRules.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/SqlFailure.h"

#include <QStringList>

namespace {

// The server's rule function body as pg_proc.prosrc keeps it, so a replaced one is told apart.
const QString kServerRuleBody =
    QStringLiteral(" BEGIN RAISE EXCEPTION 'a closed trigger event stays as it was closed' USING "
                   "ERRCODE = 'integrity_constraint_violation'; END ");

constexpr ServerRule kServerRules[] = {
    {"TriggerEventClosures_Keep", "BEFORE UPDATE OR DELETE ON TriggerEventClosures FOR EACH ROW",
     27},
    {"TriggerEventClosures_NoTruncate", "BEFORE TRUNCATE ON TriggerEventClosures", 34}};

const QStringList kFileRules = {
    QStringLiteral("CREATE TRIGGER TriggerEventClosures_NoUpdate BEFORE UPDATE ON "
                   "TriggerEventClosures BEGIN SELECT RAISE(ABORT, 'a closed trigger event "
                   "stays as it was closed'); END"),
    QStringLiteral("CREATE TRIGGER TriggerEventClosures_NoDelete BEFORE DELETE ON "
                   "TriggerEventClosures BEGIN SELECT RAISE(ABORT, 'a closed trigger event "
                   "stays as it was closed'); END")};

QStringList serverRuleStatements(bool withFunction) {
    QStringList statements;
    if (withFunction) {
        statements << "CREATE OR REPLACE FUNCTION triggereventclosures_keep() RETURNS trigger "
                      "LANGUAGE plpgsql AS $$" +
                          kServerRuleBody + "$$";
    }
    for (const ServerRule& rule : kServerRules) {
        // A trigger disabled with ALTER TABLE stays disabled when it is only replaced.
        statements
            << QStringLiteral("CREATE OR REPLACE TRIGGER %1 %2 EXECUTE FUNCTION "
                              "triggereventclosures_keep()")
                   .arg(rule.name, rule.timing)
            << QStringLiteral("ALTER TABLE TriggerEventClosures ENABLE TRIGGER %1").arg(rule.name);
    }
    return statements;
}

QStringList serverStatements() {
    return QStringList{
               "CREATE TABLE IF NOT EXISTS ResponsePlans (" + kServerRowId +
                   ", InstrumentID text NOT NULL, Level text NOT NULL, Actions text, Who text, "
                   "ResponseHours double precision, UNIQUE (InstrumentID, Level))",
               "CREATE TABLE IF NOT EXISTS TriggerEventClosures (" + kServerRowId +
                   ", EventID bigint UNIQUE NOT NULL, ClosedAt text NOT NULL, ClosedBy text NOT "
                   "NULL, ActionsTaken text NOT NULL, ReentryNote text)"} +
           serverRuleStatements(true);
}

QStringList fileStatements() {
    QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS ResponsePlans (InstrumentID TEXT NOT NULL, "
                       "Level TEXT NOT NULL, Actions TEXT, Who TEXT, ResponseHours REAL, "
                       "PRIMARY KEY (InstrumentID, Level))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS TriggerEventClosures (EventID INTEGER "
                       "PRIMARY KEY, ClosedAt TEXT NOT NULL, ClosedBy TEXT NOT NULL, "
                       "ActionsTaken TEXT NOT NULL, ReentryNote TEXT)")};
    for (QString rule : kFileRules) {
        statements << rule.replace(0, 14, QStringLiteral("CREATE TRIGGER IF NOT EXISTS"));
    }
    return statements;
}

} // namespace

void createResponseTablesWithin(Connection& db) {
    for (const QString& sql : db.isServer() ? serverStatements() : fileStatements()) {
        db.execute(sql);
    }
}

bool hasResponseTables(Connection& db) {
    return db.hasTable(QStringLiteral("ResponsePlans")) &&
           db.hasTable(QStringLiteral("TriggerEventClosures"));
}

bool closureRulesIntact(Connection& db) {
    return appendOnlyRulesIntact(db, QStringLiteral("TriggerEventClosures"),
                                 QStringLiteral("triggereventclosures_keep"), kServerRuleBody,
                                 kServerRules, kFileRules);
}

void restoreClosureRules(Connection& db) {
    if (!db.hasTable(QStringLiteral("TriggerEventClosures"))) {
        return;
    }
    if (db.isServer()) {
        // An unchanged function is left as it is: replacing it needs its owner.
        const bool unchanged = db.scalar("SELECT prosrc FROM pg_proc WHERE oid = "
                                         "to_regprocedure('triggereventclosures_keep()')")
                                   .toString() == kServerRuleBody;
        for (const QString& sql : serverRuleStatements(!unchanged)) {
            db.execute(sql);
        }
        return;
    }
    for (const QString& rule : kFileRules) {
        db.execute("DROP TRIGGER IF EXISTS " + rule.section(' ', 2, 2));
        db.execute(rule);
    }
}
