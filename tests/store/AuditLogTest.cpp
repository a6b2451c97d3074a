#include "store/AuditLog.h"
#include "store/AlarmStore.h"
#include "store/AuditHistory.h"
#include "store/AuditRestore.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/NativeStatement.h"
#include "store/RevisionTable.h"
#include "store/Schema.h"
#include "store/SqlFailure.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace {
const QString kId = QStringLiteral("120521001");

// Every row of a readings table but its chart mark, in row order, as text.
QStringList rowsOf(Connection& db, const QString& table) {
    QSqlQuery query = runQuery(db, "SELECT * FROM " + quoteName(table) + " ORDER BY rowid", {});
    QStringList rows;
    while (query.next()) {
        QStringList values;
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) {
            if (record.fieldName(i).compare("IsDirty", Qt::CaseInsensitive) != 0) {
                const QVariant v = query.value(i);
                values << (v.isNull() ? QStringLiteral("NULL")
                           : v.typeId() == QMetaType::Double
                               ? QString::number(v.toDouble(), 'g', 17)
                               : v.toString());
            }
        }
        rows << values.join('|');
    }
    return rows;
}

QList<qint64> deletedReadings(Connection& db) {
    QList<qint64> ids;
    for (const AuditEntry& e : sensorHistory(db, kId)) {
        if (e.isDeletedReading()) {
            ids << e.id;
        }
    }
    return ids;
}
} // namespace

// A register with one sensor, its readings, trigger tables, revisions and alarm recipients,
// whose changes are recorded.
class AuditLogTest : public EngineDbTest {
protected:
    void prepare() override {
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, Level) VALUES (?, '21', 'L1')",
                   {kId});
        createReadingsTable(db, kId);
        createTriggerTables(db);
        db.inTransaction([&] { createRevisionTableWithin(db); });
        createAlarmTables(db);
        installAudit(db, "ann");
        who = onServer() ? server_->user() : QStringLiteral("ann");
    }
    void addReading(const QString& key, const QVariant& disp1) {
        db.execute("INSERT INTO " + quoteName(kId) +
                       " (DateTimeKey, FullDate, ReadingDate, Channel1, Disp1, Reference) VALUES "
                       "(?, ?, ?, ?, ?, ?)",
                   {key, "2026-01-0" + key.right(1) + " 10:00:00", "it's", "12.5", disp1,
                    QVariant(QMetaType::fromType<double>())});
    }
    QString who;
};
INSTANTIATE_ON_BOTH_ENGINES(AuditLogTest);

TEST_P(AuditLogTest, EveryKindOfChangeIsRecordedWithItsAuthorAndValues) {
    db.execute("UPDATE Sensors SET Level = 'L2' WHERE InstrumentID = ?", {kId});
    // A write that changes nothing is not a change.
    db.execute("UPDATE Sensors SET Level = 'L2' WHERE InstrumentID = ?", {kId});
    addReading("2026/01/01 10:00", 1.5);
    db.execute("UPDATE " + quoteName(kId) + " SET Channel1 = '12.75'");
    // What the chart batch computes is not a change anyone made: rewriting it records nothing.
    db.execute("UPDATE " + quoteName(kId) + " SET Disp1 = 1.75, zero1 = 0.5, NumTemp = 20, " +
               "Reference = 0, Load1 = 3");
    db.execute("DELETE FROM " + quoteName(kId));
    db.execute("INSERT INTO TriggerLevels (InstrumentID, AmberDisp) VALUES (?, 10)", {kId});
    db.execute("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, "
               "Level, DetectedAt, DetectedBy) VALUES (?, 'k', 'Amber', 'Disp', 11, 10, 'd', 'x')",
               {kId});
    db.execute("UPDATE TriggerEvents SET AckAt = 'now', AckBy = 'ann'");
    db.execute("INSERT INTO SensorRevisions (InstrumentID, FromDate, Kind, EnteredBy, EnteredAt) "
               "VALUES (?, '2026-01-01', 'anchor', 'ann', 'now')",
               {kId});
    db.execute("INSERT INTO AlarmRecipients (ListName, Address) VALUES ('red', 'a@b.c')");

    const QList<AuditEntry> history = sensorHistory(db, kId);
    QStringList changes;
    for (const AuditEntry& e : history) {
        changes << changeText(e);
        EXPECT_EQ(e.changedBy, who);
        EXPECT_EQ(e.changedAt.size(), 19) << e.changedAt.toStdString();
    }
    EXPECT_EQ(changes,
              QStringList({"Sensor changed", "Reading 2026/01/01 10:00 added",
                           "Reading 2026/01/01 10:00 changed", "Reading 2026/01/01 10:00 deleted",
                           "Trigger levels added", "Trigger event 1 added",
                           "Trigger event 1 changed", "Revision 1 added"}));
    // A server names the columns as it folds them, in lower case.
    EXPECT_EQ(valuesText(history[0]).toLower().toStdString(), "level: l1 → l2");
    EXPECT_EQ(valuesText(history[2]).toLower(), "channel1: 12.5 → 12.75");
    EXPECT_TRUE(valuesText(history[3]).contains("ReadingDate=it's", Qt::CaseInsensitive));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM AuditLog WHERE TableName = 'AlarmRecipients' AND "
                        "Operation = 'INSERT'")
                  .toInt(),
              1);

    // The filters: by reading and by day.
    EXPECT_EQ(sensorHistory(db, kId, {"01/01 10", {}}).size(), 3);
    EXPECT_TRUE(sensorHistory(db, kId, {{}, "2999-01-01"}).isEmpty());
}

TEST_P(AuditLogTest, OnAFileATablesFirstChangeIsRecordedInItsTransactionWhicheverWayItRuns) {
    if (onServer()) {
        GTEST_SKIP() << "a server's tables carry their triggers";
    }
    // A sensor added by another program since the register was opened.
    const QString second = QStringLiteral("120521002");
    {
        Connection other;
        other.open(db.location());
        other.execute(
            "INSERT INTO Sensors (InstrumentID, SensorType, Level) VALUES (?, '21', 'L1')",
            {second});
        createReadingsTable(other, second);
    }
    const auto recorded = [&](const QString& id) {
        return db.scalar("SELECT count(*) FROM AuditLog WHERE InstrumentID = ?", {id}).toInt();
    };

    // Recorded before the commit; rolled back with the change, and recorded once the next time.
    db.beginTransaction();
    addReading("2026/01/01 10:00", 1.5);
    EXPECT_EQ(recorded(kId), 1);
    db.rollback();
    EXPECT_EQ(recorded(kId), 0);
    addReading("2026/01/01 10:00", 1.5);
    EXPECT_EQ(recorded(kId), 1);

    // A native statement's first change, inside a savepoint rolled back, then again.
    NativeStatement insert(db, "INSERT INTO " + quoteName(second) +
                                   " (DateTimeKey, FullDate, Disp1) VALUES (?, ?, ?)");
    db.execute("SAVEPOINT first_change");
    insert.bindText(1, "k1");
    insert.bindText(2, "2026-01-01 10:00:00");
    insert.bind(3, 0.5);
    insert.run();
    EXPECT_EQ(recorded(second), 1);
    db.execute("ROLLBACK TO first_change");
    db.execute("RELEASE first_change");
    EXPECT_EQ(recorded(second), 0);
    db.inTransaction([&] { insert.run(); });
    EXPECT_EQ(recorded(second), 1);

    // Another connection of the register: a prepared statement, and a plain one.
    Connection fresh;
    fresh.open(db.location());
    installAudit(fresh, "bob");
    QSqlQuery update = prepareQuery(fresh, "UPDATE " + quoteName(second) + " SET Channel1 = ?");
    update.addBindValue(QStringLiteral("0.75"));
    runQuery(fresh, update);
    fresh.execute("DELETE FROM " + quoteName(kId));
    EXPECT_EQ(fresh
                  .scalar("SELECT group_concat(Operation || ' ' || InstrumentID || ' ' || "
                          "ChangedBy, ', ') FROM AuditLog WHERE ChangedBy = 'bob'")
                  .toString(),
              "UPDATE 120521002 bob, DELETE 120521001 bob");
}

TEST_P(AuditLogTest, OnAFileTheProgramsOwnTablesAreRecordedFromTheirFirstChangeOn) {
    if (onServer()) {
        GTEST_SKIP() << "a server's tables carry their triggers";
    }
    const auto recorded = [&](const QString& table) {
        return db.scalar("SELECT count(*) FROM AuditLog WHERE TableName = ?", {table}).toInt();
    };
    // A first change rolled back takes its record with it; the next one is recorded again.
    db.beginTransaction();
    db.execute("UPDATE Sensors SET Level = 'L2' WHERE InstrumentID = ?", {kId});
    db.execute("INSERT INTO TriggerLevels (InstrumentID, AmberDisp) VALUES (?, 10)", {kId});
    EXPECT_EQ(recorded("Sensors"), 1);
    EXPECT_EQ(recorded("TriggerLevels"), 1);
    db.rollback();
    EXPECT_EQ(recorded("Sensors"), 0);
    EXPECT_EQ(recorded("TriggerLevels"), 0);
    db.execute("UPDATE Sensors SET Level = 'L3' WHERE InstrumentID = ?", {kId});
    db.execute("INSERT INTO TriggerLevels (InstrumentID, AmberDisp) VALUES (?, 10)", {kId});
    db.execute("UPDATE TriggerLevels SET AmberDisp = 12 WHERE InstrumentID = ?", {kId});
    // Each change once: the triggers of the rolled-back change were not left behind twice.
    EXPECT_EQ(recorded("Sensors"), 1);
    EXPECT_EQ(recorded("TriggerLevels"), 2);
}

TEST_P(AuditLogTest, AnAddedReadingShowsItsValuesWhetherItsComputedOnesAreSetOrNot) {
    addReading("2026/01/01 10:00", QVariant(QMetaType::fromType<double>()));
    addReading("2026/01/02 10:00", 0.1 + 0.2);
    if (!onServer()) {
        // A blob in a text column is recorded as its hex digits.
        db.execute("INSERT INTO " + quoteName(kId) + " (DateTimeKey, Channel2) VALUES (?, ?)",
                   {"2026/01/03 10:00", QByteArray("\x01\xff", 2)});
    }

    const QList<AuditEntry> history = sensorHistory(db, kId);
    ASSERT_EQ(history.size(), onServer() ? 2 : 3);
    EXPECT_EQ(valuesText(history[0]).toLower().toStdString(),
              "channel1=12.5, datetimekey=2026/01/01 10:00, fulldate=2026-01-00 10:00:00, "
              "isdirty=0, plotspatial=0, plottemporal=0, readingdate=it's");
    EXPECT_EQ(valuesText(history[1]).toLower().toStdString(),
              "channel1=12.5, datetimekey=2026/01/02 10:00, disp1=0.3, fulldate=2026-01-00 "
              "10:00:00, isdirty=0, plotspatial=0, plottemporal=0, readingdate=it's");
    // A computed value is recorded with every digit it has.
    EXPECT_EQ(history[1].after.value(onServer() ? "disp1" : "Disp1").toDouble(), 0.1 + 0.2);
    if (!onServer()) {
        EXPECT_EQ(valuesText(history[2]).toStdString(),
                  "Channel2=01FF, DateTimeKey=2026/01/03 10:00, "
                  "IsDirty=0, PlotSpatial=0, Plottemporal=0");
    }
}

TEST_P(AuditLogTest, TheTrailRefusesToBeChanged) {
    addReading("2026/01/01 10:00", 1.5);
    EXPECT_TRUE(auditRulesIntact(db));
    EXPECT_THROW(db.execute("UPDATE AuditLog SET ChangedBy = 'nobody'"), DbError);
    EXPECT_THROW(db.execute("DELETE FROM AuditLog"), DbError);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM AuditLog WHERE ChangedBy = ?", {who}).toInt(), 1);
}

TEST_P(AuditLogTest, AllDeletedReadingsComeBackAsTheyWere) {
    addReading("2026/01/01 10:00", 0.1 + 0.2);
    addReading("2026/01/02 10:00", 1.0 / 3.0);
    addReading("2026/01/03 10:00", QVariant(QMetaType::fromType<double>()));
    const QStringList before = rowsOf(db, kId);
    db.execute("DELETE FROM " + quoteName(kId));

    EXPECT_EQ(restoreReadings(db, deletedReadings(db)), 3);
    EXPECT_EQ(rowsOf(db, kId), before);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM " + quoteName(kId) + " WHERE IsDirty = 1").toInt(),
              3);
    // Put back once only: the readings are there again.
    EXPECT_THROW(restoreReadings(db, deletedReadings(db)), RestoreRefused);
    EXPECT_EQ(rowsOf(db, kId), before);
}

TEST_P(AuditLogTest, ARestoreMeetingAReadingOfTheSameKeyRestoresNothing) {
    addReading("2026/01/01 10:00", 1.0);
    addReading("2026/01/02 10:00", 2.0);
    db.execute("DELETE FROM " + quoteName(kId));
    addReading("2026/01/02 10:00", 5.0);
    try {
        restoreReadings(db, deletedReadings(db));
        FAIL() << "restored over a reading";
    } catch (const RestoreRefused& e) {
        EXPECT_EQ(e.reason(), "Sensor " + kId +
                                  " holds a reading 2026/01/02 10:00 again; nothing was restored.");
    }
    EXPECT_EQ(db.scalar("SELECT count(*) FROM " + quoteName(kId)).toInt(), 1);
    // Anything but a deleted reading is refused too.
    const qint64 added = sensorHistory(db, kId).last().id;
    EXPECT_THROW(restoreReadings(db, {added}), RestoreRefused);
}

TEST_P(AuditLogTest, ASensorDeletedWithItsReadingsAndLevelsComesBackWhole) {
    addReading("2026/01/01 10:00", 1.25);
    addReading("2026/01/02 10:00", 2.5);
    db.execute("INSERT INTO TriggerLevels (InstrumentID, AmberDisp, RedDisp) VALUES (?, 10, 20)",
               {kId});
    const QStringList readings = rowsOf(db, kId);
    const QVariant level = db.scalar("SELECT Level FROM Sensors");
    // A reading deleted earlier, in a change of its own, stays deleted.
    addReading("2026/01/05 10:00", 9.0);
    db.execute("DELETE FROM " + quoteName(kId) + " WHERE Disp1 = 9");
    db.inTransaction([&] {
        db.execute("DELETE FROM " + quoteName(kId));
        db.execute("DROP TABLE " + quoteName(kId));
        db.execute("DELETE FROM TriggerLevels WHERE InstrumentID = ?", {kId});
        db.execute("DELETE FROM Sensors WHERE InstrumentID = ?", {kId});
    });
    qint64 deletion = 0;
    for (const AuditEntry& e : sensorHistory(db, kId)) {
        if (e.isDeletedSensor()) {
            deletion = e.id;
        }
    }
    ASSERT_NE(deletion, 0);
    EXPECT_TRUE(mayRestoreSensors(db));

    EXPECT_EQ(restoreSensor(db, deletion), 2);
    EXPECT_EQ(db.scalar("SELECT Level FROM Sensors WHERE InstrumentID = ?", {kId}), level);
    EXPECT_EQ(rowsOf(db, kId), readings);
    EXPECT_EQ(
        db.scalar("SELECT RedDisp FROM TriggerLevels WHERE InstrumentID = ?", {kId}).toDouble(),
        20.0);
    // The restored table records its changes as any other.
    addReading("2026/01/07 10:00", 3.0);
    EXPECT_EQ(changeText(sensorHistory(db, kId).last()), "Reading 2026/01/07 10:00 added");
    EXPECT_THROW(restoreSensor(db, deletion), RestoreRefused);
}

// On a server the trail is written by the server: a change made by another login with plain
// SQL is recorded under that login, which cannot touch the trail or its rules.
TEST_P(AuditLogTest, OnAServerAnyLoginsChangeIsRecordedAndTheTrailIsBeyondItsReach) {
    if (!onServer()) {
        GTEST_SKIP() << "a file cannot keep another program from its tables";
    }
    const QString uri = server_->limitedLoginUri();
    ASSERT_FALSE(uri.isEmpty()) << server_->reason().toStdString();
    Connection clerk;
    clerk.open(uri);
    clerk.execute("UPDATE Sensors SET Level = 'raw' WHERE InstrumentID = ?", {kId});
    const AuditEntry last = sensorHistory(db, kId).last();
    EXPECT_EQ(last.changedBy, QUrl(uri).userName());
    EXPECT_EQ(valuesText(last), "level: L1 → raw");

    for (const QString& sql :
         {QStringLiteral("UPDATE AuditLog SET ChangedBy = 'x'"),
          QStringLiteral("DELETE FROM AuditLog"), QStringLiteral("TRUNCATE AuditLog"),
          QStringLiteral("INSERT INTO AuditLog (ChangedAt, ChangedBy, ChangeSet, TableName, "
                         "Operation) VALUES ('a', 'b', 1, 'Sensors', 'DELETE')"),
          QStringLiteral("ALTER TABLE AuditLog DISABLE TRIGGER AuditLog_Keep"),
          QStringLiteral("ALTER TABLE Sensors DISABLE TRIGGER AuditLog_Record"),
          QStringLiteral("DROP TABLE AuditLog")}) {
        EXPECT_THROW(clerk.execute(sql), DbError) << sql.toStdString();
    }
    EXPECT_TRUE(auditRulesIntact(db));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM AuditLog").toInt(), 1);
    // Even the owner's own change of the trail is refused while its rules stand.
    EXPECT_THROW(db.execute("DELETE FROM AuditLog"), DbError);
}
