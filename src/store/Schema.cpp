#include "store/Schema.h"

#include "store/AuditLog.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/ReadingsTables.h"
#include "store/SiteAccess.h"
#include "store/SqlFailure.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStringList>

namespace {
QStringList sensorsColumns() {
    QStringList cols = {"InstrumentID TEXT UNIQUE",
                        "SensorType TEXT",
                        "DateID TEXT",
                        "TypeID TEXT",
                        "SensorNo TEXT",
                        "Family TEXT",
                        "Model TEXT",
                        "LengthofCable REAL",
                        "Level TEXT",
                        "Location TEXT",
                        "Borehole TEXT",
                        "InstallDate TEXT",
                        "InstallBy TEXT",
                        "Purpose TEXT",
                        "Notes TEXT",
                        "HeadLocation INTEGER DEFAULT 1",
                        "Recess REAL",
                        "Plate INTEGER DEFAULT 0",
                        "kval REAL"};
    for (int i = 1; i <= kNodeLocationColumns; ++i) {
        cols << QStringLiteral("NodeLocation%1 REAL").arg(i);
    }
    cols << "Destroyed TEXT"
         << "DestructionDate TEXT";
    return cols;
}

QStringList readingsColumns() {
    QStringList cols = {"DateTimeKey TEXT", "FullDate TEXT", "ReadingDate TEXT",
                        "ReadingTime TEXT"};
    for (int i = 1; i <= kChannelColumns; ++i) {
        cols << QStringLiteral("Channel%1 TEXT").arg(i);
    }
    cols << "ChannelT TEXT";
    for (int i = 1; i <= kChannelColumns; ++i) {
        cols << QStringLiteral("zero%1 REAL").arg(i);
    }
    cols << "NumTemp REAL";
    for (int i = 1; i <= kDispColumns; ++i) {
        cols << QStringLiteral("Disp%1 REAL").arg(i);
    }
    cols << "Reference REAL";
    for (int i = 1; i <= kLoadColumns; ++i) {
        cols << QStringLiteral("Load%1 REAL").arg(i);
    }
    cols << "IsDirty INTEGER DEFAULT 0"
         << "Plottemporal INTEGER DEFAULT 0"
         << "PlotSpatial INTEGER DEFAULT 0";
    return cols;
}
// The column definitions of a new table on the connection's engine. A server table gets the
// row id SQLite gives every table as a column of its own, and the natural type of each column.
QString tableColumns(Connection& db, QStringList columns) {
    if (!db.isServer()) {
        return columns.join(", ");
    }
    for (QString& column : columns) {
        column.replace(QLatin1String(" REAL"), QLatin1String(" double precision"));
        column.replace(QLatin1String(" TEXT"), QLatin1String(" text"));
        column.replace(QLatin1String(" INTEGER"), QLatin1String(" integer"));
    }
    columns.prepend(kServerRowId);
    return columns.join(", ");
}
} // namespace

QString createTableStatement(Connection& db, const QString& table, const QStringList& columns) {
    return "CREATE TABLE " + table + " (" + tableColumns(db, columns) + ")";
}

void createSchema(Connection& db) {
    db.inTransaction([&] { createSchemaWithin(db); });
}

void createSchemaWithin(Connection& db) {
    db.execute(createTableStatement(db, "Sensors", sensorsColumns()));
    db.execute(createTableStatement(db, "Configuration", {"SensorType TEXT", "Description TEXT"}));
    db.execute("INSERT INTO Configuration (SensorType, Description) VALUES ('21', "
               "'k1VARLO')");
    db.execute(createTableStatement(db, "NetworkConfig",
                                    {"SensorID TEXT", "Network TEXT", "Address TEXT"}));
    db.execute(
        createTableStatement(db, "Prefs", {"MaxY TEXT", "MinY TEXT", "MinX TEXT", "MaxX TEXT"}));
    db.execute("INSERT INTO Prefs (MaxY, MinY, MinX, MaxX) VALUES ('', '', '', '')");
    db.execute(createTableStatement(db, "sensordata", readingsColumns()));
}

void createDatabaseFile(const QString& path) {
    if (QFileInfo::exists(path)) {
        throw DbError(ErrorCode::InvalidArgument, "File already exists: " + path);
    }
    {
        // An empty file is a valid, empty SQLite database for the connection to open.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            throw DbError(ErrorCode::FileNotFound, "Could not create file '" + path + "'.");
        }
    }
    Connection db;
    db.open(path);
    try {
        createSchema(db);
    } catch (...) {
        db.close();
        QFile::remove(path);
        throw;
    }
}

void createReadingsTable(Connection& db, const QString& instrumentId) {
    const QString table = quoteName(instrumentId);
    if (db.isServer()) {
        if (!db.hasTable(QStringLiteral("sensordata"))) {
            throw DbError(ErrorCode::ServerFailure, "relation \"sensordata\" does not exist",
                          DbErrorKind::MissingObject);
        }
        // A server prepared for logins of their own makes the table itself, owned by the
        // register's owner, with the engineers' rights on it.
        if (createReadingsTableOnServer(db, instrumentId)) {
            return;
        }
        db.execute(readingsTableStatement(db, table));
        db.execute("CREATE INDEX " + quoteName("ix_" + instrumentId + "_FullDate") + " ON " +
                   table + " (FullDate)");
        auditReadingsTable(db, instrumentId);
        return;
    }
    // The template's own definition gives the readings table the same columns and types.
    const QString templateSql =
        db.scalar("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = 'sensordata'")
            .toString();
    if (templateSql.isEmpty()) {
        throw DbError(1, "no such table: sensordata", DbErrorKind::MissingObject);
    }
    const int open = templateSql.indexOf('(');
    db.execute("CREATE TABLE " + table + " " + templateSql.mid(open));
    db.execute("CREATE INDEX " + quoteName("ix_" + instrumentId + "_FullDate") + " ON " + table +
               " (FullDate)");
    db.execute("CREATE INDEX " + quoteName("ix_" + instrumentId + "_DateTimeKey") + " ON " + table +
               " (DateTimeKey)");
    auditReadingsTable(db, instrumentId);
}

QString readingsTableStatement(Connection& db, const QString& table) {
    QStringList columns = readingsColumns();
    // Two users cannot store the same reading: the server keeps DateTimeKey unique.
    if (db.isServer()) {
        columns.first() += QLatin1String(" UNIQUE");
    }
    return createTableStatement(db, table, columns);
}

void dropReadingsTable(Connection& db, const QString& instrumentId) {
    if (!db.isServer() || !dropReadingsTableOnServer(db, instrumentId)) {
        db.execute("DROP TABLE " + quoteName(instrumentId));
    }
}

bool hasRegister(Connection& db) {
    return db.hasTable(QStringLiteral("Sensors"));
}

QStringList registerTables(Connection& db) {
    const QStringList present = db.tables();
    QStringList names = {"Sensors", "Configuration", "NetworkConfig", "Prefs", "sensordata"};
    for (const QString& optional :
         {QStringLiteral("TriggerLevels"), QStringLiteral("TriggerEvents"),
          QStringLiteral("SensorRevisions"), QStringLiteral("TemperatureCorrection"),
          QStringLiteral("ReadingFlags"), QStringLiteral("ReadingRejections"),
          QStringLiteral("ReadingCheckSettings")}) {
        if (present.contains(optional, Qt::CaseInsensitive)) {
            names << optional;
        }
    }
    QSqlQuery sensors =
        runQuery(db, QStringLiteral("SELECT InstrumentID FROM Sensors ORDER BY rowid"), {});
    while (sensors.next()) {
        const QString id = sensors.value(0).toString();
        if (!id.isEmpty() && present.contains(id, Qt::CaseInsensitive) &&
            !names.contains(id, Qt::CaseInsensitive)) {
            names << id;
        }
    }
    return names;
}
