#include "store/RegisterCopy.h"

#include "store/AlarmStore.h"
#include "store/AuditLog.h"
#include "store/BulkInsert.h"
#include "store/CheckTables.h"
#include "store/Connection.h"
#include "store/CorrectionTable.h"
#include "store/DbError.h"
#include "store/EventLogMerge.h"
#include "store/ResponseTables.h"
#include "store/RevisionTable.h"
#include "store/Schema.h"
#include "store/SiteTableSchema.h"
#include "store/SqlFailure.h"
#include "store/TriggerTables.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>
#include <QSqlRecord>
#include <filesystem>
#include <memory>
#include <system_error>

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
    for (const QString& column : columns) {
        to.execute("SELECT setval(pg_get_serial_sequence(?, ?), max(" + quoteName(column) +
                       ")) FROM " + quoteName(table) + " HAVING max(" + quoteName(column) +
                       ") IS NOT NULL",
                   {quoteName(table), column});
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
} // namespace

RegisterCounts copyRegister(Connection& from, Connection& to, const CopyProgress& progress) {
    RegisterCounts counts;
    from.inTransaction([&] {
        readAsASnapshot(from);
        const QStringList tables = registerTables(from) + presentSideTables(from);
        const QStringList inTheWay = presentOn(to, tables);
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
        QStringList tables = registerTables(from);
        const bool triggers = presentOn(from, kTriggerTables).size() == kTriggerTables.size();
        to.inTransaction([&] {
            const bool existing = hasRegister(to);
            const QStringList old = existing ? registerTables(to) : QStringList();
            if (!existing) {
                createSchemaWithin(to);
            }
            if (triggers && !hasTriggerTables(to)) {
                createTriggerTablesWithin(to);
            }
            if (tables.contains(kRevisionTable, Qt::CaseInsensitive) && !hasRevisionTable(to)) {
                createRevisionTableWithin(to);
            }
            if (!presentOn(from, kCheckTables).isEmpty()) {
                createCheckTablesWithin(to);
            }
            // The event log is the site's record: it is neither dropped nor emptied, and the
            // backup's events are merged into it below.
            tables.removeIf([](const QString& table) {
                return table.compare("TriggerEvents", Qt::CaseInsensitive) == 0;
            });
            QStringList gone;
            for (const QString& table : old) {
                if (!tables.contains(table, Qt::CaseInsensitive) &&
                    table.compare("TriggerEvents", Qt::CaseInsensitive) != 0) {
                    gone << table;
                }
            }
            dropTables(to, gone);
            const QStringList present = to.tables();
            for (const QString& table : tables) {
                if (isCorrectionTable(table) && !present.contains(table, Qt::CaseInsensitive)) {
                    createCorrectionTableWithin(to);
                } else if (!present.contains(table, Qt::CaseInsensitive)) {
                    createReadingsTable(to, table);
                } else {
                    to.execute("TRUNCATE TABLE " + quoteName(table));
                }
            }
            counts = copyAllRows(from, to, tables, progress);
            if (to.hasTable("TriggerEvents")) {
                mergeEventLog(to, from);
                const qint64 events = rowCount(to, "TriggerEvents");
                counts.tables.append({"TriggerEvents", events});
                counts.rows += events;
            }
        });
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
    std::error_code error;
    std::filesystem::rename(partial.toStdString(), path.toStdString(), error);
    if (error) {
        QFile::remove(partial);
        throw DbError(ErrorCode::FileNotFound,
                      "Could not replace " + path + ": " + QString::fromStdString(error.message()));
    }
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
    if (!db.isServer() || !hasRegister(db) ||
        !db.scalar("SELECT obj_description(to_regclass('sensors'), 'pg_class')").isNull()) {
        return false;
    }
    const QStringList tables =
        QStringList{QStringLiteral("Sensors"), QStringLiteral("NetworkConfig"),
                    QStringLiteral("sensordata")} +
        addedTables();
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
