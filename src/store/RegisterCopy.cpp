#include "store/RegisterCopy.h"

#include "store/AlarmStore.h"
#include "store/AuditLog.h"
#include "store/BulkInsert.h"
#include "store/CheckTables.h"
#include "store/Connection.h"
#include "store/CorrectionTable.h"
#include "store/DbError.h"
#include "store/EventLogMerge.h"
#include "store/FileReplace.h"
#include "store/ReadingsTables.h"
#include "store/ResponseTables.h"
#include "store/RevisionTable.h"
#include "store/Schema.h"
#include "store/SiteAccess.h"
#include "store/SiteTableSchema.h"
#include "store/SqlFailure.h"
#include "store/TriggerTables.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMap>
#include <QSqlRecord>
#include <memory>

namespace {
// The tables every register has, made by createSchema; the trigger tables come beside them.
const QStringList kSchemaTables = {"Sensors", "Configuration", "NetworkConfig", "Prefs",
                                   "sensordata"};
const QStringList kTriggerTables = {"TriggerLevels", "TriggerEvents"};
// Made with the trigger tables on a newer register; a register may be without them.
const QStringList kResponseTables = {"ResponsePlans", "TriggerEventClosures"};

// The tables beside the register that a copy carries when the source has them, each made on
// the target by its own code, so that its keys and append-only rules hold there too. A server
// table whose key is an identity of its own has no row id: its rows go in the order of the key.
// ChartBatchState stays behind: it is a cache the charts fill again.
struct SideTable {
    const char* name;
    const char* order;
    void (*create)(Connection&);
};

constexpr SideTable kSideTables[] = {{"SensorPositions", "rowid", createSiteTablesWithin},
                                     {"LevelPlans", "rowid", createSiteTablesWithin},
                                     {"ResponsePlans", "rowid", createResponseTablesWithin},
                                     {"TriggerEventClosures", "rowid", createResponseTablesWithin},
                                     {"AlarmRecipients", "RecipientID", createAlarmTables},
                                     {"AlarmOutbox", "MessageID", createAlarmTables},
                                     {"AuditLog", "AuditID", createAuditTableWithin}};

const SideTable* sideTable(const QString& table) {
    for (const SideTable& side : kSideTables) {
        if (table.compare(QLatin1String(side.name), Qt::CaseInsensitive) == 0) {
            return &side;
        }
    }
    return nullptr;
}

// Every table a copy makes beside the schema's own, the readings tables aside.
QStringList addedTables() {
    QStringList tables = kTriggerTables + kResponseTables + kCheckTables;
    tables << kRevisionTable << kCorrectionTable;
    for (const SideTable& side : kSideTables) {
        tables << QString::fromLatin1(side.name);
    }
    tables.removeDuplicates();
    return tables;
}

// The side tables `from` holds, in the order they are copied.
QStringList presentSideTables(Connection& from) {
    const QStringList present = from.tables();
    QStringList found;
    for (const SideTable& side : kSideTables) {
        if (present.contains(QLatin1String(side.name), Qt::CaseInsensitive)) {
            found << QString::fromLatin1(side.name);
        }
    }
    return found;
}

bool isCorrectionTable(const QString& table) {
    return table.compare(kCorrectionTable, Qt::CaseInsensitive) == 0;
}

bool isReadingsTable(const QString& table) {
    return !kSchemaTables.contains(table, Qt::CaseInsensitive) &&
           !kTriggerTables.contains(table, Qt::CaseInsensitive) &&
           !kResponseTables.contains(table, Qt::CaseInsensitive) &&
           table.compare(kRevisionTable, Qt::CaseInsensitive) != 0 && !isCorrectionTable(table) &&
           !kCheckTables.contains(table, Qt::CaseInsensitive) && !sideTable(table);
}

// Column names of a table, without the row id a server table carries as a column.
QStringList columnsOf(Connection& db, const QString& table) {
    QSqlQuery query = runQuery(db, "SELECT * FROM " + quoteName(table) + " WHERE 1 = 0", {});
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i).compare("rowid", Qt::CaseInsensitive) != 0) {
            names << record.fieldName(i);
        }
    }
    return names;
}

qint64 rowCount(Connection& db, const QString& table) {
    return db.scalar("SELECT count(*) FROM " + quoteName(table)).toLongLong();
}

// On a server, numbered columns (the row id) follow the values copied into them, so the next
// row the program adds gets a number of its own.
void advanceSequences(Connection& to, const QString& table) {
    QSqlQuery numbered =
        runQuery(to,
                 "SELECT column_name FROM information_schema.columns WHERE table_schema = "
                 "current_schema() AND lower(table_name) = lower(?) AND (is_identity = 'YES' OR "
                 "column_default LIKE 'nextval(%')",
                 {table});
    QStringList columns;
    while (numbered.next()) {
        columns << numbered.value(0).toString();
    }
    // A numbering already past the rows is left alone: it never goes back to a number used.
    for (const QString& column : columns) {
        to.execute("SELECT setval(pg_get_serial_sequence(?, ?), max(" + quoteName(column) +
                       ")) FROM " + quoteName(table) + " HAVING max(" + quoteName(column) +
                       ") > coalesce(pg_sequence_last_value(pg_get_serial_sequence(?, "
                       "?)::regclass), 0)",
                   {quoteName(table), column, quoteName(table), column});
    }
}

// Where each column of the source goes on the target: its own name, or on a server, for a
// column the server computes from the row id (the event log's EventID), the row id itself so
// that the numbers stay; empty for one the server computes otherwise.
QStringList targetColumns(Connection& to, const QString& table, const QStringList& columns) {
    const QStringList present = columnsOf(to, table);
    QMap<QString, QString> computed;
    if (to.isServer()) {
        QSqlQuery generated =
            runQuery(to,
                     "SELECT lower(column_name), generation_expression FROM "
                     "information_schema.columns WHERE table_schema = current_schema() AND "
                     "lower(table_name) = lower(?) AND is_generated = 'ALWAYS'",
                     {table});
        while (generated.next()) {
            const QString expression = generated.value(1).toString().trimmed();
            computed.insert(generated.value(0).toString(),
                            expression.compare("rowid", Qt::CaseInsensitive) == 0 ? "rowid" : "");
        }
    }
    QStringList targets;
    for (const QString& column : columns) {
        if (computed.contains(column.toLower())) {
            targets << computed.value(column.toLower());
        } else if (present.contains(column, Qt::CaseInsensitive)) {
            targets << column;
        } else {
            throw DbError(ErrorCode::InvalidArgument,
                          "The table " + table + " has a column " + column +
                              " that the copy has no place for.",
                          DbErrorKind::MissingObject);
        }
    }
    return targets;
}

// One value into a COPY stream, in the text form the server reads back exactly: integers as
// they are, numbers in the shortest text that gives the same double, bytes in hex.
void streamValue(BulkInsert& bulk, const QVariant& value) {
    if (value.isNull()) {
        bulk.null();
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        bulk.integer(value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        bulk.text(QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest)
                      .toStdString());
        return;
    case QMetaType::QByteArray:
        // Bytes (a plan's drawing, a mail's attachment) in the hex form bytea reads.
        bulk.text(("\\x" + value.toByteArray().toHex()).toStdString());
        return;
    default:
        bulk.text(value.toString().toStdString());
    }
}

// The rows copied so far, told to the caller's progress.
struct Tally {
    CopyProgress progress;
    qint64 total = 0;
    qint64 done = 0;

    void step() {
        ++done;
        if (progress && !progress(done, total)) {
            throw CopyCancelled();
        }
    }
};

// Copies every row of a table of `from` into the table of the same name on `to`, in row id
// order, and checks that `to` holds as many rows as were read. Returns the count.
qint64 copyRows(Connection& from, Connection& to, const QString& table, Tally& tally) {
    const QStringList columns = columnsOf(from, table);
    const QStringList targets = targetColumns(to, table, columns);
    QStringList read;
    QStringList written;
    QList<int> fields;
    for (int i = 0; i < columns.size(); ++i) {
        read << quoteName(columns[i]);
        if (!targets[i].isEmpty()) {
            written << targets[i];
            fields << i;
        }
    }
    const SideTable* side = sideTable(table);
    const QString order = side ? QString::fromLatin1(side->order) : QStringLiteral("rowid");
    QSqlQuery source = runQuery(
        from, "SELECT " + read.join(", ") + " FROM " + quoteName(table) + " ORDER BY " + order, {});
    qint64 rows = 0;
    if (to.isServer()) {
        // A server takes the rows as one COPY stream.
        BulkInsert bulk(to, table, written);
        while (source.next()) {
            for (const int field : fields) {
                streamValue(bulk, source.value(field));
            }
            bulk.endRow();
            ++rows;
            tally.step();
        }
        bulk.finish();
    } else {
        QSqlQuery insert =
            prepareQuery(to, "INSERT INTO " + quoteName(table) + " (" + written.join(", ") +
                                 ") VALUES (" + QStringList(written.size(), "?").join(", ") + ")");
        while (source.next()) {
            for (int i = 0; i < fields.size(); ++i) {
                insert.bindValue(i, source.value(fields[i]));
            }
            runQuery(to, insert);
            ++rows;
            tally.step();
        }
    }
    if (source.lastError().isValid()) {
        raiseSqlError(from, source.lastError());
    }
    const qint64 stored = rowCount(to, table);
    const qint64 held = rowCount(from, table);
    if (stored != rows || held != rows) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("The table %1 holds %2 rows, the copy %3 of the %4 read.")
                          .arg(table)
                          .arg(held)
                          .arg(stored)
                          .arg(rows));
    }
    if (to.isServer()) {
        advanceSequences(to, table);
    }
    return rows;
}

// The first statement of a transaction on `from`: it reads `from` as it stands at the start,
// whatever others write to it meanwhile.
void readAsASnapshot(Connection& from) {
    if (from.isServer()) {
        from.execute("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    }
}

// The register tables of `to` named in tables, compared without regard to case.
QStringList presentOn(Connection& to, const QStringList& tables) {
    const QStringList present = to.tables();
    QStringList found;
    for (const QString& table : tables) {
        if (present.contains(table, Qt::CaseInsensitive)) {
            found << table;
        }
    }
    return found;
}

// Copies the rows of every table into `to`, whose tables all exist, and counts them.
RegisterCounts copyAllRows(Connection& from, Connection& to, const QStringList& tables,
                           const CopyProgress& progress) {
    Tally tally{progress};
    for (const QString& table : tables) {
        tally.total += rowCount(from, table);
    }
    RegisterCounts counts;
    for (const QString& table : tables) {
        const qint64 rows = copyRows(from, to, table, tally);
        counts.tables.append({table, rows});
        counts.rows += rows;
        if (table.compare("Sensors", Qt::CaseInsensitive) == 0) {
            counts.sensors = rows;
        } else if (isReadingsTable(table)) {
            counts.readings += rows;
        }
    }
    return counts;
}

void dropTables(Connection& db, const QStringList& tables) {
    for (const QString& table : tables) {
        db.execute("DROP TABLE IF EXISTS " + quoteName(table));
    }
}

// What tells a register the program made whole on a server from the tables an interrupted
// copy of an earlier version left: a comment on its Sensors table, written in the transaction
// that made the tables.
const QString kCompleteMark = QStringLiteral("Quorvelle register");

void markComplete(Connection& to) {
    if (to.isServer()) {
        to.execute("COMMENT ON TABLE Sensors IS '" + kCompleteMark + "'");
    }
}

// Whether the table is missing or holds no rows.
bool emptyOrMissing(Connection& db, const QString& table) {
    return !db.hasTable(table) ||
           db.scalar("SELECT count(*) FROM (SELECT 1 FROM " + quoteName(table) + " LIMIT 1) s")
                   .toLongLong() == 0;
}

// Whether a settings table holds at most one row and nothing but a new schema's defaults.
bool onlyDefaults(Connection& db, const QString& table, const QString& differs) {
    return !db.hasTable(table) || db.scalar("SELECT count(*) <= 1 AND count(*) FILTER (WHERE " +
                                            differs + ") = 0 FROM " + quoteName(table))
                                      .toBool();
}

// Whether the register holds nothing but a new schema's own rows: no sensors, readings,
// network settings, nor a row in any table a copy makes beside them (the audit trail counted
// when withTrail), and the default Configuration and Prefs rows or none.
bool holdsNoData(Connection& db, bool withTrail) {
    QStringList tables = QStringList{QStringLiteral("Sensors"), QStringLiteral("NetworkConfig"),
                                     QStringLiteral("sensordata")} +
                         addedTables();
    if (!withTrail) {
        tables.removeAll(kAuditTable);
    }
    for (const QString& table : tables) {
        if (!emptyOrMissing(db, table)) {
            return false;
        }
    }
    return onlyDefaults(db, "Configuration",
                        "SensorType IS DISTINCT FROM '21' OR Description IS DISTINCT FROM "
                        "'k1VARLO'") &&
           onlyDefaults(db, "Prefs",
                        "MaxY IS DISTINCT FROM '' OR MinY IS DISTINCT FROM '' OR MinX IS "
                        "DISTINCT FROM '' OR MaxX IS DISTINCT FROM ''");
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int columnIndex(const QStringList& columns, const QString& name) {
    for (int i = 0; i < columns.size(); ++i) {
        if (sameName(columns[i], name)) {
            return i;
        }
    }
    return -1;
}

// The tables that are only ever added to: a restore never empties them, but adds the rows of
// the backup they lack. Two rows are the same when their identity columns agree (every column
// but the number when none are named), and the target numbers the rows it takes.
struct MergedTable {
    const char* name;
    const char* number;
    const char* identity;
};

constexpr MergedTable kMergedTables[] = {
    {"TriggerEventClosures", "", "EventID"},
    {"SensorRevisions", "RevisionID", ""},
    {"ReadingRejections", "", ""},
    // A message's state changes as it is sent; what it says does not.
    {"AlarmOutbox", "MessageID", "EventID, InstrumentID, Kind, Address, Subject, CreatedAt"}};

const MergedTable* mergedTable(const QString& table) {
    for (const MergedTable& merged : kMergedTables) {
        if (sameName(table, QLatin1String(merged.name))) {
            return &merged;
        }
    }
    return nullptr;
}

QString identityKey(const QVariantList& values, const QList<int>& fields) {
    QStringList parts;
    for (const int field : fields) {
        const QVariant& value = values[field];
        parts << (value.isNull() ? QStringLiteral("\x1e") : value.toString());
    }
    return parts.join(QChar(0x1f));
}

// Adds to `to`'s table the rows of `from`'s that it lacks, a row that names an event naming
// it by its number in the merged log (events: the backup's number to the merged one). Returns
// the rows `to` holds.
qint64 mergeRows(Connection& from, Connection& to, const MergedTable& merged,
                 const QHash<qint64, qint64>& events) {
    const QString table = QString::fromLatin1(merged.name);
    QStringList columns = columnsOf(from, table);
    columns.removeIf(
        [&](const QString& column) { return sameName(column, QLatin1String(merged.number)); });
    const QStringList targets = targetColumns(to, table, columns);
    const QStringList identity =
        *merged.identity != '\0' ? QString::fromLatin1(merged.identity).split(", ") : columns;
    QList<int> fields;
    for (const QString& column : identity) {
        fields << columnIndex(columns, column);
    }
    QStringList read;
    QStringList written;
    QList<int> writtenFields;
    for (int i = 0; i < columns.size(); ++i) {
        read << quoteName(columns[i]);
        if (!targets[i].isEmpty()) {
            written << targets[i];
            writtenFields << i;
        }
    }
    // The rows `to` holds, counted: two equal rows of the backup are two rows.
    QHash<QString, int> held;
    {
        QStringList selected;
        for (const QString& column : identity) {
            selected << quoteName(column);
        }
        QSqlQuery present =
            runQuery(to, "SELECT " + selected.join(", ") + " FROM " + quoteName(table), {});
        QList<int> all;
        for (int i = 0; i < identity.size(); ++i) {
            all << i;
        }
        while (present.next()) {
            QVariantList values;
            for (int i = 0; i < identity.size(); ++i) {
                values << present.value(i);
            }
            ++held[identityKey(values, all)];
        }
        if (present.lastError().isValid()) {
            raiseSqlError(to, present.lastError());
        }
    }
    const int eventField = columnIndex(columns, QStringLiteral("EventID"));
    const SideTable* side = sideTable(table);
    const QString order = side ? QString::fromLatin1(side->order) : QStringLiteral("rowid");
    QSqlQuery source = runQuery(
        from, "SELECT " + read.join(", ") + " FROM " + quoteName(table) + " ORDER BY " + order, {});
    const QString insert = "INSERT INTO " + quoteName(table) + " (" + written.join(", ") +
                           ") VALUES (" + QStringList(written.size(), "?").join(", ") + ")";
    while (source.next()) {
        QVariantList values;
        for (int i = 0; i < columns.size(); ++i) {
            values << source.value(i);
        }
        if (eventField >= 0 && !values[eventField].isNull()) {
            const qint64 number = values[eventField].toLongLong();
            values[eventField] = events.value(number, number);
        }
        const QString key = identityKey(values, fields);
        if (held.value(key) > 0) {
            --held[key];
            continue;
        }
        QVariantList params;
        for (const int field : writtenFields) {
            params << values[field];
        }
        to.execute(insert, params);
    }
    if (source.lastError().isValid()) {
        raiseSqlError(from, source.lastError());
    }
    return rowCount(to, table);
}

// Creates on `to` the tables of `from`'s register it lacks, the readings tables aside: for the
// owner of the tables, who alone may make them.
void createMissingTables(Connection& from, Connection& to, const QStringList& tables) {
    if (!hasRegister(to)) {
        createSchemaWithin(to);
    }
    if (presentOn(from, kTriggerTables).size() == kTriggerTables.size() && !hasTriggerTables(to)) {
        createTriggerTablesWithin(to);
    }
    if (tables.contains(kRevisionTable, Qt::CaseInsensitive) && !hasRevisionTable(to)) {
        createRevisionTableWithin(to);
    }
    if (!presentOn(from, kCheckTables).isEmpty()) {
        createCheckTablesWithin(to);
    }
    const QStringList present = to.tables();
    for (const QString& table : tables) {
        if (present.contains(table, Qt::CaseInsensitive)) {
            continue;
        }
        if (isCorrectionTable(table)) {
            createCorrectionTableWithin(to);
        } else if (const SideTable* side = sideTable(table)) {
            side->create(to);
        }
    }
}

// A table a login without the owner's rights cannot make.
DbError missingOnServer(const QString& table) {
    return DbError(ErrorCode::InvalidArgument,
                   "The site server has no table " + table +
                       " for the rows of the register; its owner adds it by running server "
                       "init again. Nothing was changed.",
                   DbErrorKind::MissingObject);
}

// Replaces the register of `to` with `from`'s inside `from`'s transaction (replaceRegister).
// refused names what a login without the administrator's role may not do.
RegisterCounts replaceWithin(Connection& from, Connection& to, const CopyProgress& progress,
                             const QString& refused) {
    const AccessRole role = findLoginRole(to);
    if (!accessAllows(role, AccessRole::Admin)) {
        throw DbError(kRefusedToRole,
                      "Your login (" + accessRoleName(role) + ") may not " + refused + ".");
    }
    const bool owner = role == AccessRole::Unrestricted;
    const QStringList incoming = registerTables(from) + presentSideTables(from);
    RegisterCounts counts;
    to.inTransaction([&] {
        const bool existing = hasRegister(to);
        // The server's audit trail is its own record, kept whole and writing down the restore
        // row by row; a backup's trail goes only where there is none yet.
        const bool carryTrail = owner && incoming.contains(kAuditTable, Qt::CaseInsensitive) &&
                                !to.hasTable(kAuditTable);
        if (owner) {
            createMissingTables(from, to, incoming);
        }
        const QStringList present = to.tables();
        const auto onTarget = [&](const QString& table) {
            return present.contains(table, Qt::CaseInsensitive);
        };
        QStringList replaced;
        for (const QString& table : incoming) {
            if (sameName(table, kAuditTable) || sameName(table, "TriggerEvents") ||
                mergedTable(table)) {
                continue;
            }
            if (!onTarget(table) && !isReadingsTable(table)) {
                throw missingOnServer(table);
            }
            replaced << table;
        }
        for (const MergedTable& merged : kMergedTables) {
            const QString table = QString::fromLatin1(merged.name);
            if (incoming.contains(table, Qt::CaseInsensitive) && !onTarget(table)) {
                throw missingOnServer(table);
            }
        }
        // The readings template, empty on both sides, is left as it is.
        if (emptyOrMissing(from, "sensordata") && emptyOrMissing(to, "sensordata")) {
            replaced.removeIf([](const QString& table) { return sameName(table, "sensordata"); });
        }
        // The tables of `to` the backup lacks: readings tables go, others are emptied; the
        // event log, the audit trail and the append-only tables keep their rows.
        QStringList gone;
        QStringList emptied;
        for (const QString& table :
             existing ? registerTables(to) + presentSideTables(to) : QStringList()) {
            if (incoming.contains(table, Qt::CaseInsensitive) || sameName(table, kAuditTable) ||
                sameName(table, "TriggerEvents") || mergedTable(table)) {
                continue;
            }
            (isReadingsTable(table) ? gone : emptied) << table;
        }
        // Nobody writes to what is replaced until the restore is done; readers see the old
        // register until then.
        QStringList locked;
        for (const QString& table :
             replaced + emptied + gone + QStringList{QStringLiteral("TriggerEvents")}) {
            if (onTarget(table)) {
                locked << quoteName(table);
            }
        }
        if (!locked.isEmpty()) {
            to.execute("LOCK TABLE " + locked.join(", ") + " IN EXCLUSIVE MODE");
        }
        // Row by row, so that the audit trail holds every row the restore removed.
        for (const QString& table : gone) {
            to.execute("DELETE FROM " + quoteName(table));
            dropReadingsTable(to, table);
        }
        for (const QString& table : emptied + replaced) {
            if (onTarget(table)) {
                to.execute("DELETE FROM " + quoteName(table));
            } else {
                createReadingsTable(to, table);
            }
        }
        QStringList copied = replaced;
        if (carryTrail) {
            copied << kAuditTable;
        }
        counts = copyAllRows(from, to, copied, progress);
        QHash<qint64, qint64> events;
        if (to.hasTable("TriggerEvents")) {
            mergeEventLog(to, from, &events);
            const qint64 held = rowCount(to, "TriggerEvents");
            counts.tables.append({"TriggerEvents", held});
            counts.rows += held;
        }
        for (const MergedTable& merged : kMergedTables) {
            const QString table = QString::fromLatin1(merged.name);
            if (incoming.contains(table, Qt::CaseInsensitive)) {
                const qint64 held = mergeRows(from, to, merged, events);
                counts.tables.append({table, held});
                counts.rows += held;
            }
        }
        if (!existing) {
            markComplete(to);
        }
    });
    return counts;
}
} // namespace

RegisterCounts copyRegister(Connection& from, Connection& to, const CopyProgress& progress) {
    RegisterCounts counts;
    from.inTransaction([&] {
        readAsASnapshot(from);
        const QStringList tables = registerTables(from) + presentSideTables(from);
        const QStringList inTheWay = presentOn(to, tables);
        // A server prepared for logins of their own holds the register's tables from the
        // start, with their rights: an empty one takes the copy in place.
        if (!inTheWay.isEmpty() && isPreparedServer(to) && holdsNoData(to, false)) {
            counts = replaceWithin(from, to, progress,
                                   QStringLiteral("copy a register onto the site server"));
            return;
        }
        if (!inTheWay.isEmpty()) {
            throw DbError(ErrorCode::InvalidArgument,
                          "The database already holds the table " + inTheWay.first() +
                              ": a register is copied only into an empty database. Nothing "
                              "was copied.");
        }
        const bool triggers = presentOn(from, kTriggerTables).size() == kTriggerTables.size();
        // The tables and their rows stand or fall together: a copy cut short by a failure, a
        // cancel, a lost connection or an ended program leaves `to` as it was found.
        to.inTransaction([&] {
            createSchemaWithin(to);
            if (triggers) {
                createTriggerTablesWithin(to);
            }
            if (tables.contains(kRevisionTable, Qt::CaseInsensitive)) {
                createRevisionTableWithin(to);
            }
            if (!presentOn(from, kCheckTables).isEmpty()) {
                createCheckTablesWithin(to);
            }
            for (const QString& table : tables) {
                if (isReadingsTable(table)) {
                    createReadingsTable(to, table);
                } else if (isCorrectionTable(table)) {
                    createCorrectionTableWithin(to);
                } else if (const SideTable* side = sideTable(table)) {
                    side->create(to);
                }
            }
            // The new schema's own rows give way to the copied ones.
            to.execute("DELETE FROM Configuration");
            to.execute("DELETE FROM Prefs");
            counts = copyAllRows(from, to, tables, progress);
            markComplete(to);
        });
    });
    return counts;
}

RegisterCounts replaceRegister(Connection& from, Connection& to, const CopyProgress& progress) {
    if (!to.isServer()) {
        throw DbError(ErrorCode::InvalidArgument,
                      "A register is replaced in place only on a site server.");
    }
    RegisterCounts counts;
    from.inTransaction([&] {
        readAsASnapshot(from);
        counts = replaceWithin(from, to, progress, QStringLiteral("restore the register"));
    });
    return counts;
}

RegisterCounts copyRegisterToFile(Connection& from, const QString& path,
                                  const CopyProgress& progress) {
    const QString partial = path + ".partial";
    QFile::remove(partial);
    {
        // An empty file is an empty SQLite database for the connection to open.
        QFile file(partial);
        if (!file.open(QIODevice::WriteOnly)) {
            throw DbError(ErrorCode::FileNotFound, "Could not create file '" + partial + "'.");
        }
    }
    RegisterCounts counts;
    try {
        Connection to;
        to.open(partial);
        counts = copyRegister(from, to, progress);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    replaceWithFinished(partial, path);
    return counts;
}

void createServerRegister(Connection& server, const QString& bundledFile) {
    std::unique_ptr<Connection> bundled;
    if (QFileInfo(bundledFile).isFile()) {
        bundled = std::make_unique<Connection>();
        bundled->open(bundledFile);
    }
    server.inTransaction([&] {
        createSchemaWithin(server);
        if (bundled) {
            for (const QString& table :
                 {QStringLiteral("Configuration"), QStringLiteral("Prefs")}) {
                server.execute("DELETE FROM " + quoteName(table));
                Tally tally;
                copyRows(*bundled, server, table, tally);
            }
        }
        markComplete(server);
    });
}

bool isUnfinishedRegister(Connection& db) {
    return db.isServer() && hasRegister(db) &&
           db.scalar("SELECT obj_description(to_regclass('sensors'), 'pg_class')").isNull() &&
           holdsNoData(db, true);
}

void clearUnfinishedRegister(Connection& db) {
    db.inTransaction([&] {
        // Nobody adds a sensor between the look and the drop.
        db.execute("LOCK TABLE Sensors IN ACCESS EXCLUSIVE MODE");
        if (!isUnfinishedRegister(db)) {
            throw DbError(ErrorCode::InvalidArgument,
                          "The register on the site server holds data: nothing was cleared.");
        }
        dropTables(db, kSchemaTables + addedTables());
    });
}
