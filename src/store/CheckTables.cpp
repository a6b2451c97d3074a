#include "store/CheckTables.h"

#include "store/Connection.h"
#include "store/Schema.h"

namespace {

QStringList rejectionRules(Connection& db) {
    if (db.isServer()) {
        return {QStringLiteral(
                    "CREATE OR REPLACE FUNCTION readingrejections_appendonly() RETURNS trigger "
                    "LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION 'reading rejections are only "
                    "added' USING ERRCODE = 'integrity_constraint_violation'; END $$"),
                QStringLiteral("CREATE OR REPLACE TRIGGER ReadingRejections_AppendOnly BEFORE "
                               "UPDATE OR DELETE ON ReadingRejections FOR EACH ROW EXECUTE "
                               "FUNCTION readingrejections_appendonly()")};
    }
    return {QStringLiteral("CREATE TRIGGER IF NOT EXISTS ReadingRejections_NoDelete BEFORE "
                           "DELETE ON ReadingRejections BEGIN SELECT RAISE(ABORT, 'reading "
                           "rejections are never deleted'); END"),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS ReadingRejections_NoUpdate BEFORE "
                           "UPDATE ON ReadingRejections BEGIN SELECT RAISE(ABORT, 'reading "
                           "rejections are never changed'); END")};
}

} // namespace

void createCheckTablesWithin(Connection& db) {
    const QStringList present = db.tables();
    const auto missing = [&](const QString& table) {
        return !present.contains(table, Qt::CaseInsensitive);
    };
    if (missing(kFlagTable)) {
        db.execute(
            createTableStatement(db, kFlagTable,
                                 {"InstrumentID TEXT NOT NULL", "ReadingKey TEXT NOT NULL",
                                  "CheckName TEXT NOT NULL", "Channel INTEGER", "Detail TEXT"}));
        db.execute("CREATE INDEX ix_ReadingFlags_InstrumentID ON " + kFlagTable +
                   " (InstrumentID, ReadingKey)");
    }
    if (missing(kRejectionTable)) {
        db.execute(createTableStatement(db, kRejectionTable,
                                        {"InstrumentID TEXT NOT NULL", "ReadingKey TEXT NOT NULL",
                                         "Rejected INTEGER NOT NULL", "Reason TEXT NOT NULL",
                                         "EnteredBy TEXT NOT NULL", "EnteredAt TEXT NOT NULL"}));
        db.execute("CREATE INDEX ix_ReadingRejections_ReadingKey ON " + kRejectionTable +
                   " (ReadingKey)");
        for (const QString& rule : rejectionRules(db)) {
            db.execute(rule);
        }
    }
    if (missing(kCheckSettingsTable)) {
        db.execute(createTableStatement(db, kCheckSettingsTable,
                                        {"Name TEXT NOT NULL", "Value REAL NOT NULL"}));
    }
}

void createCheckTables(Connection& db) {
    const QStringList present = db.tables();
    for (const QString& table : kCheckTables) {
        if (!present.contains(table, Qt::CaseInsensitive)) {
            db.inTransaction([&] { createCheckTablesWithin(db); });
            return;
        }
    }
}

QString notRejectedSql(Connection& db) {
    if (!db.hasTable(kRejectionTable)) {
        return QStringLiteral("1 = 1");
    }
    // A reading's key holds its sensor's number, so the key alone names the reading. The inner
    // statement does not depend on the outer row: it runs once per statement.
    return QStringLiteral("DateTimeKey NOT IN (SELECT j.ReadingKey FROM ReadingRejections j "
                          "WHERE j.Rejected = 1 AND NOT EXISTS (SELECT 1 FROM "
                          "ReadingRejections k WHERE k.ReadingKey = j.ReadingKey AND k.rowid > "
                          "j.rowid))");
}
