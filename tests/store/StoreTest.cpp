#include "store/Columns.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "store/LogFile.h"
#include "store/RecordSet.h"
#include "store/Schema.h"
#include "store/SensorTypes.h"
#include "support/FaultConditions.h"
#include "support/TempDataFolder.h"

#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>
#include <optional>
#include <stdexcept>

namespace {
QStringList columnsOf(Connection& db, const QString& table) {
    QSqlQuery q(db.db());
    q.exec("SELECT * FROM " + quoteName(table) + " LIMIT 0");
    QStringList cols;
    for (int i = 0; i < q.record().count(); ++i) {
        cols << q.record().fieldName(i);
    }
    return cols;
}
} // namespace

using StoreTest = TempDataFolderTest;

TEST_F(StoreTest, FirstLogEntryCreatesTheFileWithTheExactLayout) {
    const ErrorLog log = errorLog();
    EXPECT_TRUE(guarded(log, " Form_Load", [] {}));
    EXPECT_FALSE(QFile::exists(path("VARLO_MM_logfile.txt")));
    EXPECT_FALSE(guarded(log, " Form_Load", [] { throw DbError(-53, "File not found"); }));
    const QString stamp = QLocale::system().toString(clock_.now(), QLocale::ShortFormat);
    EXPECT_EQ(logText(), "\r\n" + QString(89, '*') + "\r\n" + stamp +
                             " - Err #-53: File not found Form_Load\r\n");
    log.report(1, "second", " G_savefields");
    EXPECT_EQ(logEntries(), 2);
    EXPECT_TRUE(logText().endsWith(" - Err #1: second G_savefields\r\n"));
}

TEST_F(StoreTest, IgnoringGoesOnAfterAFailureButLogsItUnderItsTag) {
    const ErrorLog log = errorLog();
    bool after = false;
    ignoring(log, " fillfields", [] { throw DbError(3021, "No current record."); });
    ignoring(log, " shutdown", [] { throw std::runtime_error("closed twice"); });
    ignoring(log, " shutdown", [&] { after = true; });
    EXPECT_TRUE(after);
    EXPECT_EQ(logEntries(), 2);
    EXPECT_TRUE(logText().contains(" - Err #3021: No current record. fillfields\r\n"));
    EXPECT_TRUE(logText().contains("closed twice shutdown\r\n"));
}

TEST_F(StoreTest, LoggingIntoAMissingFolderLosesTheEntrySilently) {
    const ErrorLog log{path("no/such/folder"), &clock_};
    EXPECT_FALSE(guarded(log, " G_x", [] { throw DbError(5, "boom"); }));
    EXPECT_FALSE(QFile::exists(path("no/such/folder/VARLO_MM_logfile.txt")));
}

TEST_F(StoreTest, ReadingsTableCopiesTheTemplateColumnsAndNoRows) {
    createDatabaseFile(path("db.mdb"));
    Connection db;
    db.open(path("db.mdb"));
    db.execute("INSERT INTO sensordata (DateTimeKey) VALUES ('template row')");
    createReadingsTable(db, "120521001");
    EXPECT_EQ(columnsOf(db, "120521001"), columnsOf(db, "sensordata"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM `120521001`").toInt(), 0);
    EXPECT_TRUE(columnsOf(db, "sensordata").contains("Disp8"));
    EXPECT_TRUE(columnsOf(db, "Sensors").contains("NodeLocation8"));
    EXPECT_TRUE(db.tables().contains("120521001"));
    EXPECT_THROW(createReadingsTable(db, "120521001"), DbError);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM Configuration").toInt(), 1);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM Prefs").toInt(), 1);
}

TEST_F(StoreTest, ColumnNamesAreThoseOfTheCreatedTables) {
    createDatabaseFile(path("db.mdb"));
    Connection db;
    db.open(path("db.mdb"));
    const QStringList sensors = columnsOf(db, "Sensors");
    for (const char* column :
         {col::InstrumentID,   col::SensorType,  col::DateID,        col::TypeID,  col::SensorNo,
          col::Family,         col::Model,       col::LengthofCable, col::Level,   col::Location,
          col::Borehole,       col::InstallDate, col::InstallBy,     col::Purpose, col::Notes,
          col::HeadLocation,   col::Recess,      col::Plate,         col::kval,    col::Destroyed,
          col::DestructionDate}) {
        EXPECT_TRUE(sensors.contains(QLatin1String(column))) << column;
    }
    const QStringList readings = columnsOf(db, "sensordata");
    for (const char* column : {col::DateTimeKey, col::FullDate, col::ReadingDate, col::ReadingTime,
                               col::NumTemp, col::Reference}) {
        EXPECT_TRUE(readings.contains(QLatin1String(column))) << column;
    }
    EXPECT_TRUE(columnsOf(db, "NetworkConfig").contains(QLatin1String(col::SensorID)));
}

TEST_F(StoreTest, OpeningAMissingFileFailsWithoutCreatingIt) {
    Connection db;
    EXPECT_THROW(db.open(path("missing.mdb")), DbError);
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(QFile::exists(path("missing.mdb")));
}

TEST_F(StoreTest, UnknownSensorTypeKeepsThePreviousValues) {
    SensorTypeInfo current;
    EXPECT_TRUE(SetSensorType("61", current));
    EXPECT_EQ(current.modelName, "k5VARLO");
    EXPECT_EQ(current.nodeCount, 5);
    EXPECT_FALSE(SetSensorType(" 21", current));
    EXPECT_FALSE(SetSensorType("21.0", current));
    EXPECT_EQ(current.nodeCount, 5);
    EXPECT_EQ(current.modelName, "k5VARLO");
    EXPECT_TRUE(SetSensorType("91", current));
    EXPECT_EQ(current.nodeCount, 8);
    EXPECT_EQ(current.familyTag, "EX");
    EXPECT_EQ(current.anchorCaption, "Node / Anchor Location:");
}

namespace {
std::optional<DbErrorKind> kindOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const DbError& e) {
        return e.kind();
    }
    return std::nullopt;
}
} // namespace

TEST_F(StoreTest, FailuresCarryTheKindOfTheirCause) {
    const ShortBusyTimeout quick;
    createDatabaseFile(path("kinds.mdb"));
    Connection db;
    db.open(path("kinds.mdb"));
    EXPECT_EQ(kindOf([&] { db.scalar("SELECT count(*) FROM `120521001`"); }),
              DbErrorKind::MissingObject);
    EXPECT_EQ(kindOf([&] { db.scalar("SELECT NoSuchColumn FROM Sensors"); }),
              DbErrorKind::MissingObject);
    EXPECT_EQ(kindOf([&] { db.execute("SELEC 1"); }), DbErrorKind::Other);
    db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521001')");
    EXPECT_EQ(
        kindOf([&] { db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521001')"); }),
        DbErrorKind::Constraint);
    {
        // Another program holds the file: opening it and reading from it are busy, not absent.
        ExclusiveHolder holder(path("kinds.mdb"));
        EXPECT_EQ(kindOf([&] { db.tables(); }), DbErrorKind::Busy);
        Connection second;
        EXPECT_EQ(kindOf([&] { second.open(path("kinds.mdb")); }), DbErrorKind::Busy);
    }
    EXPECT_EQ(db.tables().size(), 5);
    db.execute("PRAGMA query_only = 1");
    EXPECT_EQ(kindOf([&] { db.execute("DELETE FROM Sensors"); }), DbErrorKind::FullOrReadOnly);

    QFile text(path("notes.mdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    Connection notADatabase;
    EXPECT_EQ(kindOf([&] { notADatabase.open(path("notes.mdb")); }), DbErrorKind::Damaged);
    EXPECT_FALSE(notADatabase.isOpen());
}
