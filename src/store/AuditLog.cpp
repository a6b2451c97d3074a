#include "store/AuditLog.h"

#include "store/AppendOnlyRules.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/SqlFailure.h"

#include <QAtomicInteger>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <iterator>
#include <optional>

namespace {

// An audited table other than the readings tables, and the column that keys its rows.
struct AuditedTable {
    const char* name;
    const char* key;
};

constexpr AuditedTable kAuditedTables[] = {
    {"Sensors", "InstrumentID"},       {"TriggerLevels", "InstrumentID"},
    {"TriggerEvents", "EventID"},      {"TriggerEventClosures", "EventID"},
    {"ResponsePlans", "Level"},        {"SensorRevisions", "RevisionID"},
    {"AlarmRecipients", "RecipientID"}};

const QString kReadingsKey = col::DateTimeKey;

// The columns of a readings table that the chart batch computes from the others. Rewriting
// them changes nothing anyone entered, so the trail leaves such updates out: a zero reference
// moved would otherwise write a row of the trail for every reading of the sensor.
QStringList computedReadingsColumns() {
    QStringList columns;
    for (int n = 1; n <= kChannelColumns; ++n) {
        columns << QStringLiteral("zero%1").arg(n);
    }
    for (int n = 1; n <= kDispColumns; ++n) {
        columns << QStringLiteral("Disp%1").arg(n);
    }
    for (int n = 1; n <= kLoadColumns; ++n) {
        columns << QStringLiteral("Load%1").arg(n);
    }
    return columns << QStringLiteral("NumTemp") << QStringLiteral("Reference");
}

// The same columns as the server's row keys, for the record function to set aside.
QString computedKeysArray() {
    QStringList keys;
    for (const QString& column : computedReadingsColumns()) {
        keys << '\'' + column.toLower() + '\'';
    }
    return "ARRAY[" + keys.join(", ") + "]::text[]";
}

// Lets in only the rows the owner's record function writes; refuses every other insert, change
// and deletion, even the owner's own until the owner switches the rule off.
const QString kKeepBody = QStringLiteral(
    " BEGIN IF TG_OP = 'INSERT' AND current_user = (SELECT pg_get_userbyid(relowner) FROM "
    "pg_class WHERE oid = TG_RELID) THEN RETURN NEW; END IF; RAISE EXCEPTION 'the audit trail "
    "is never changed or deleted' USING ERRCODE = 'insufficient_privilege'; END ");

constexpr ServerRule kServerRules[] = {
    {"AuditLog_Keep", "BEFORE INSERT OR UPDATE OR DELETE ON AuditLog FOR EACH ROW", 31},
    {"AuditLog_NoTruncate", "BEFORE TRUNCATE ON AuditLog", 34}};

const QStringList kFileRules = {
    QStringLiteral("CREATE TRIGGER AuditLog_NoUpdate BEFORE UPDATE ON AuditLog BEGIN SELECT "
                   "RAISE(ABORT, 'the audit trail is never changed or deleted'); END"),
    QStringLiteral("CREATE TRIGGER AuditLog_NoDelete BEFORE DELETE ON AuditLog BEGIN SELECT "
                   "RAISE(ABORT, 'the audit trail is never changed or deleted'); END")};

// Writes a row of AuditLog for the changed row: the trigger's arguments are the key column,
// the table's name as the program gives it, and for a readings table its sensor.
const QString kRecordBody = QStringLiteral(
    " DECLARE old_row jsonb; new_row jsonb; any_row jsonb; BEGIN IF TG_OP <> 'INSERT' THEN "
    "old_row := to_jsonb(OLD); END IF; IF TG_OP <> 'DELETE' THEN new_row := to_jsonb(NEW); END "
    "IF; IF old_row = new_row THEN RETURN NULL; END IF; IF TG_OP = 'UPDATE' AND TG_NARGS > 2 AND "
    "(old_row - %1) = (new_row - %1) THEN RETURN NULL; END IF; any_row := COALESCE(new_row, "
    "old_row); "
    "INSERT INTO AuditLog (ChangedAt, ChangedBy, ChangeSet, TableName, InstrumentID, RowKey, "
    "Operation, Before, After) VALUES (to_char(clock_timestamp(), 'YYYY-MM-DD HH24:MI:SS'), "
    "session_user, txid_current(), TG_ARGV[1], COALESCE(TG_ARGV[2], any_row ->> "
    "'instrumentid'), any_row ->> TG_ARGV[0], TG_OP, old_row::text, new_row::text); RETURN "
    "NULL; END ");

QString literal(QString text) {
    return '\'' + text.replace('\'', QLatin1String("''")) + '\'';
}

// The table, its rules and its grants; withRecorder adds the function the tables' triggers run.
QStringList serverTableStatements(bool withRecorder) {
    QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS AuditLog (AuditID bigint GENERATED ALWAYS AS "
                       "IDENTITY PRIMARY KEY, ChangedAt text NOT NULL, ChangedBy text NOT NULL, "
                       "ChangeSet bigint NOT NULL, TableName text NOT NULL, InstrumentID text, "
                       "RowKey text, Operation text NOT NULL, Before text, After text)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ix_AuditLog_InstrumentID ON AuditLog "
                       "(InstrumentID, AuditID)"),
        // Every login may read the trail; only its owner may change it, and its rules refuse
        // even the owner until the owner switches them off.
        QStringLiteral("REVOKE ALL ON AuditLog FROM PUBLIC"),
        QStringLiteral("GRANT SELECT ON AuditLog TO PUBLIC"),
        "CREATE OR REPLACE FUNCTION auditlog_keep() RETURNS trigger LANGUAGE plpgsql AS $$" +
            kKeepBody + "$$"};
    if (withRecorder) {
        statements << "CREATE OR REPLACE FUNCTION auditlog_record() RETURNS trigger LANGUAGE "
                      "plpgsql SECURITY DEFINER SET search_path FROM CURRENT AS $$" +
                          kRecordBody.arg(computedKeysArray()) + "$$";
    }
    for (const ServerRule& rule : kServerRules) {
        statements << QStringLiteral("CREATE OR REPLACE TRIGGER %1 %2 EXECUTE FUNCTION "
                                     "auditlog_keep()")
                          .arg(rule.name, rule.timing)
                   << QStringLiteral("ALTER TABLE AuditLog ENABLE TRIGGER %1").arg(rule.name);
    }
    return statements;
}

QStringList fileTableStatements() {
    QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS AuditLog (AuditID INTEGER PRIMARY KEY "
                       "AUTOINCREMENT, ChangedAt TEXT NOT NULL, ChangedBy TEXT NOT NULL, "
                       "ChangeSet INTEGER NOT NULL, TableName TEXT NOT NULL, InstrumentID TEXT, "
                       "RowKey TEXT, Operation TEXT NOT NULL, Before TEXT, After TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ix_AuditLog_InstrumentID ON AuditLog "
                       "(InstrumentID, AuditID)")};
    for (QString rule : kFileRules) {
        statements << rule.replace(0, 14, QStringLiteral("CREATE TRIGGER IF NOT EXISTS"));
    }
    return statements;
}

void serverTrigger(Connection& db, const QString& table, const QString& key, const QString& name,
                   const QString& instrumentId) {
    QStringList args = {literal(key.toLower()), literal(name)};
    if (!instrumentId.isEmpty()) {
        args << literal(instrumentId);
    }
    const QString quoted = quoteName(table);
    db.execute("CREATE OR REPLACE TRIGGER AuditLog_Record AFTER INSERT OR UPDATE OR DELETE ON " +
               quoted + " FOR EACH ROW EXECUTE FUNCTION auditlog_record(" + args.join(", ") + ")");
    db.execute("ALTER TABLE " + quoted + " ENABLE TRIGGER AuditLog_Record");
}

// A column of a file's table, and whether it has text affinity: a number stored in such a
// column is turned into text, so its value is never a real.
struct FileColumn {
    QString name;
    bool text = false;
};

QList<FileColumn> fileColumns(Connection& db, const QString& table) {
    QSqlQuery query = runQuery(
        db, QStringLiteral("SELECT name, type FROM pragma_table_info(?, 'main') ORDER BY cid"),
        {table});
    QList<FileColumn> columns;
    while (query.next()) {
        const QString type = query.value(1).toString();
        const bool text = !type.contains(QLatin1String("INT"), Qt::CaseInsensitive) &&
                          (type.contains(QLatin1String("CHAR"), Qt::CaseInsensitive) ||
                           type.contains(QLatin1String("CLOB"), Qt::CaseInsensitive) ||
                           type.contains(QLatin1String("TEXT"), Qt::CaseInsensitive));
        columns << FileColumn{query.value(0).toString(), text};
    }
    return columns;
}

// The row's values as a JSON object; a real is written with all seventeen digits, which
// json_object alone would round to fifteen. A column of text affinity skips the test for a real.
QString fileRowJson(const QString& row, const QList<FileColumn>& columns) {
    QStringList parts = {QStringLiteral("'rowid'"), row + QStringLiteral(".rowid")};
    for (const FileColumn& column : columns) {
        const QString value = row + '.' + quoteName(column.name);
        parts << literal(column.name)
              << (column.text ? QStringLiteral("CASE WHEN typeof(%1) = 'blob' THEN hex(%1) ELSE "
                                               "%1 END")
                              : QStringLiteral("CASE WHEN typeof(%1) = 'real' AND abs(%1) <= "
                                               "1.7976931348623157e308 THEN json(printf('%!.17g', "
                                               "%1)) WHEN typeof(%1) = 'blob' THEN hex(%1) ELSE %1 "
                                               "END"))
                     .arg(value);
    }
    return "json_object(" + parts.join(QStringLiteral(", ")) + ')';
}

// The connection's temporary triggers on one table.
void fileTriggers(Connection& db, const QString& table, const QString& key, const QString& name,
                  const QString& instrumentId) {
    const QList<FileColumn> columns = fileColumns(db, table);
    if (columns.isEmpty()) {
        return;
    }
    const bool hasInstrument =
        std::any_of(columns.begin(), columns.end(), [](const FileColumn& column) {
            return column.name.compare(QLatin1String("InstrumentID"), Qt::CaseInsensitive) == 0;
        });
    const auto instrumentOf = [&](const QString& row) {
        return !instrumentId.isEmpty() ? literal(instrumentId)
               : hasInstrument         ? row + QStringLiteral(".InstrumentID")
                                       : QStringLiteral("NULL");
    };
    // On a readings table, the columns someone entered and those the chart batch computes.
    QList<FileColumn> entered;
    QStringList computed;
    for (const FileColumn& column : columns) {
        if (instrumentId.isEmpty() ||
            !computedReadingsColumns().contains(column.name, Qt::CaseInsensitive)) {
            entered << column;
        } else {
            computed << quoteName(column.name);
        }
    }
    const auto create = [&](const QString& operation, const QString& row, const QString& event,
                            const QString& when, const QString& before, const QString& after) {
        // A name of its own each time: a table dropped by another connection leaves this
        // connection's triggers on it behind, under their old names, until the schema is read
        // again.
        static QAtomicInteger<qint64> serial;
        const QString trigger = quoteName("auditlog_" + table + '_' + operation.toLower() + '_' +
                                          QString::number(serial.fetchAndAddRelaxed(1)));
        db.execute("CREATE TEMP TRIGGER " + trigger + " AFTER " + event + " ON main." +
                   quoteName(table) + (when.isEmpty() ? QString() : " WHEN " + when) +
                   " BEGIN INSERT INTO AuditLog (ChangedAt, ChangedBy, ChangeSet, TableName, "
                   "InstrumentID, RowKey, Operation, Before, After) SELECT strftime('%Y-%m-%d "
                   "%H:%M:%S', 'now', 'localtime'), Who, ChangeSet, " +
                   literal(name) + ", " + instrumentOf(row) + ", " + row + '.' + quoteName(key) +
                   ", '" + operation + "', " + before + ", " + after + " FROM AuditSession; END");
    };
    const QString oldRow = fileRowJson(QStringLiteral("OLD"), columns);
    const QString newRow = fileRowJson(QStringLiteral("NEW"), columns);
    const QString none = QStringLiteral("NULL");
    const QString insert = QStringLiteral("INSERT");
    const QString update = QStringLiteral("UPDATE");
    const QString remove = QStringLiteral("DELETE");
    const QString newName = QStringLiteral("NEW");
    if (computed.isEmpty()) {
        create(insert, newName, insert, {}, none, newRow);
    } else {
        // A reading added with none of the computed values, as every import adds it, is
        // recorded without them: the history reads a missing value as none, and leaving out
        // the nulls halves the trail's share of the file and much of the trigger's work.
        QStringList nulls;
        for (const QString& column : computed) {
            nulls << "NEW." + column + " IS NULL";
        }
        const QString allNull = nulls.join(QStringLiteral(" AND "));
        create(insert, newName, insert, allNull, none, fileRowJson(newName, entered));
        create(insert, newName, insert, "NOT (" + allNull + ')', none, newRow);
    }
    // On a readings table an update fires only when it sets a column someone entered.
    QString updateEvent = update;
    if (!computed.isEmpty()) {
        QStringList names;
        for (const FileColumn& column : entered) {
            names << quoteName(column.name);
        }
        updateEvent += " OF " + names.join(QStringLiteral(", "));
    }
    create(update, newName, updateEvent, oldRow + " IS NOT " + newRow, oldRow, newRow);
    create(remove, QStringLiteral("OLD"), remove, {}, oldRow, none);
}

void auditTable(Connection& db, const QString& table, const QString& key, const QString& name,
                const QString& instrumentId) {
    if (db.isServer()) {
        serverTrigger(db, table, key, name, instrumentId);
    } else {
        db.markTableMet(table);
        fileTriggers(db, table, key, name, instrumentId);
    }
}

bool hasFileTriggers(Connection& db, const QString& table) {
    return db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_temp_master WHERE type = "
                                    "'trigger' AND tbl_name = ? COLLATE NOCASE AND name LIKE "
                                    "'auditlog\\_%' ESCAPE '\\'"),
                     {table})
               .toInt() > 0;
}

// A file's table at its first change in the session: an audited one gets its triggers, in the
// change's own transaction, unless it has them already (made in a transaction that stood).
void meetFileTables(Connection& db, const QStringList& tables) {
    std::optional<bool> hasSensors;
    for (const QString& table : tables) {
        const auto audited = std::find_if(
            std::begin(kAuditedTables), std::end(kAuditedTables), [&](const AuditedTable& t) {
                return table.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0;
            });
        if (audited != std::end(kAuditedTables)) {
            if (!hasFileTriggers(db, table)) {
                const QString name = QString::fromLatin1(audited->name);
                fileTriggers(db, name, QString::fromLatin1(audited->key), name, {});
            }
            continue;
        }
        if (table.compare(QLatin1String("sensordata"), Qt::CaseInsensitive) == 0 ||
            table.compare(kAuditTable, Qt::CaseInsensitive) == 0) {
            continue;
        }
        if (!hasSensors) {
            hasSensors = db.hasTable(QStringLiteral("Sensors"));
        }
        if (!*hasSensors) {
            continue;
        }
        const QString id = db.scalar(QStringLiteral("SELECT InstrumentID FROM Sensors WHERE "
                                                    "InstrumentID = ? COLLATE NOCASE LIMIT 1"),
                                     {table})
                               .toString();
        if (!id.isEmpty() && !hasFileTriggers(db, id)) {
            fileTriggers(db, id, kReadingsKey, id, id);
        }
    }
}

// Starts the file's session: who makes the changes, and a change set number of its own that
// grows at every transaction's start and end, so that one transaction's rows share it.
void startFileSession(Connection& db, const QString& who) {
    db.execute(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS AuditSession (Who TEXT NOT NULL, "
                              "ChangeSet INTEGER NOT NULL)"));
    db.execute(QStringLiteral("DELETE FROM temp.AuditSession"));
    const qint64 base = qint64(QRandomGenerator::global()->bounded(1 << 30)) << 32;
    db.execute(QStringLiteral("INSERT INTO temp.AuditSession (Who, ChangeSet) VALUES (?, ?)"),
               {who, base});
}

} // namespace

void installAudit(Connection& db, const QString& who) {
    const bool server = db.isServer();
    db.inTransaction([&] {
        if (server || !db.hasTable(kAuditTable)) {
            for (const QString& sql :
                 server ? serverTableStatements(true) : fileTableStatements()) {
                db.execute(sql);
            }
        }
        if (!server) {
            startFileSession(db, who);
            // A file's tables, its own and the readings tables alike, get their triggers at
            // their first change: opening the register makes none, where making those of the
            // program's own tables took most of the time a large register took to open.
            return;
        }
        QSet<QString> present;
        for (const QString& table : db.tables()) {
            present.insert(table.toLower());
        }
        for (const AuditedTable& table : kAuditedTables) {
            const QString name = QString::fromLatin1(table.name);
            if (present.contains(name.toLower())) {
                auditTable(db, name, QString::fromLatin1(table.key), name, {});
            }
        }
        if (!present.contains(QStringLiteral("sensors"))) {
            return;
        }
        QSqlQuery sensors = runQuery(db, QStringLiteral("SELECT InstrumentID FROM Sensors"), {});
        QStringList ids;
        while (sensors.next()) {
            ids << sensors.value(0).toString();
        }
        for (const QString& id : ids) {
            if (!id.isEmpty() && present.contains(id.toLower()) &&
                id.compare(QLatin1String("sensordata"), Qt::CaseInsensitive) != 0) {
                auditTable(db, id, kReadingsKey, id, id);
            }
        }
    });
    if (!server) {
        db.setTransactionBoundaryHook([&db] {
            db.execute(QStringLiteral("UPDATE temp.AuditSession SET ChangeSet = ChangeSet + 1"));
        });
        db.setFirstChangeHook([&db](const QStringList& tables) { meetFileTables(db, tables); });
        // The triggers' own writes go to the trail, which is never audited.
        db.markTableMet(kAuditTable);
    }
}

void createAuditTableWithin(Connection& db) {
    for (const QString& sql :
         db.isServer() ? serverTableStatements(false) : fileTableStatements()) {
        db.execute(sql);
    }
}

bool auditInstalled(Connection& db) {
    if (db.isServer()) {
        return db
            .scalar(QStringLiteral("SELECT to_regclass('auditlog') IS NOT NULL AND "
                                   "to_regprocedure('auditlog_record()') IS NOT NULL"))
            .toBool();
    }
    return db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_temp_master WHERE type = "
                                    "'table' AND name = 'AuditSession'"))
               .toInt() > 0;
}

void auditReadingsTable(Connection& db, const QString& instrumentId) {
    if (auditInstalled(db)) {
        auditTable(db, instrumentId, kReadingsKey, instrumentId, instrumentId);
    }
}

void auditNewTables(Connection& db, const QStringList& tables) {
    if (!auditInstalled(db)) {
        return;
    }
    for (const QString& name : tables) {
        for (const AuditedTable& table : kAuditedTables) {
            if (name == QLatin1String(table.name)) {
                auditTable(db, name, QString::fromLatin1(table.key), name, {});
            }
        }
    }
}

bool auditRulesIntact(Connection& db) {
    return appendOnlyRulesIntact(db, kAuditTable, QStringLiteral("auditlog_keep"), kKeepBody,
                                 kServerRules, kFileRules);
}

void recordChanges(Connection& db, const QString& who) {
    if (!db.isServer()) {
        installAudit(db, who);
        return;
    }
    // Only the database's owner can install the trail; other logins work without it.
    if (!auditInstalled(db) &&
        db.scalar(QStringLiteral("SELECT pg_has_role(current_user, datdba, 'MEMBER') FROM "
                                 "pg_database WHERE datname = current_database()"))
            .toBool()) {
        installAudit(db, who);
    }
}
