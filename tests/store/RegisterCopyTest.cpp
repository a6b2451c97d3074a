#include "store/RegisterCopy.h"
#include "site/SiteTables.h"
#include "store/AlarmStore.h"
#include "store/AuditLog.h"
#include "store/CheckTables.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EventLogMerge.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"
#include "tools/SampleData.h"

#include <QFile>
#include <QMap>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
// Every row of every register table, as text, in row id order; tables keyed by lower-case
// name, columns in the order the table has them (without a server's row id column).
using Dump = QMap<QString, QList<QStringList>>;

QString asText(const QVariant& value) {
    if (value.isNull()) {
        return "<null>";
    }
    if (value.typeId() == QMetaType::Double) {
        return QString::number(value.toDouble(), 'g', 17);
    }
    return value.toString();
}

Dump dump(Connection& db) {
    Dump rows;
    for (const QString& table : registerTables(db)) {
        QSqlQuery q(db.db());
        EXPECT_TRUE(q.exec("SELECT * FROM " + quoteName(table) + " ORDER BY rowid"));
        QList<QStringList>& list = rows[table.toLower()];
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i) {
                if (q.record().fieldName(i).compare("rowid", Qt::CaseInsensitive) != 0) {
                    row << q.record().fieldName(i).toLower() + "=" + asText(q.value(i));
                }
            }
            list << row;
        }
    }
    return rows;
}

QStringList lowered(QStringList names) {
    for (QString& name : names) {
        name = name.toLower();
    }
    names.sort();
    return names;
}

// A register with two sensors (one named by a reserved word), readings with awkward values,
// changed preferences and the trigger tables with an event.
void fillRegister(Connection& db) {
    for (const QString& id : {QStringLiteral("120521001"), QStringLiteral("select")}) {
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, Notes, LengthofCable, "
                   "NodeLocation1, HeadLocation) VALUES (?, '21', ?, ?, ?, 1)",
                   {id, QString::fromUtf8("Ménage \u2013 \u03a9 'quoted'"), 12.5, 0.1 + 0.2});
        createReadingsTable(db, id);
    }
    db.execute("INSERT INTO Configuration (SensorType, Description) VALUES ('31', 'k3VARLO')");
    db.execute("UPDATE Prefs SET MaxY = '40', MinY = '-40'");
    db.execute("INSERT INTO NetworkConfig (SensorID, Network, Address) VALUES ('1', 'N', 'A')");
    for (int i = 0; i < 3; ++i) {
        db.execute("INSERT INTO \"120521001\" (DateTimeKey, FullDate, Channel1, zero1, Disp1, "
                   "Plottemporal) VALUES (?, ?, ?, ?, ?, ?)",
                   {QStringLiteral("2026/01/0%1 10:00").arg(i + 1),
                    QStringLiteral("2026-01-0%1 10:00:00").arg(i + 1), QString::number(i * 1.25),
                    1.0 / 3.0 + i, i == 1 ? QVariant() : QVariant(-0.000123 * i), i % 2});
    }
    createTriggerTables(db);
    db.execute("INSERT INTO TriggerLevels (InstrumentID, AmberDisp, RedDisp) VALUES ('Site', "
               "10, 20)");
    db.execute("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, "
               "Level, DetectedAt, DetectedBy) VALUES ('120521001', '2026/01/02 10:00', "
               "'Amber', 'Disp', 11.5, 10, '2026-01-02 10:05', 'ann')");
}
// The tables beside the register with the column that orders their rows on both engines.
const QList<QPair<QString, QString>> kSideTables = {{"SensorPositions", "InstrumentID"},
                                                    {"LevelPlans", "Level"},
                                                    {"ResponsePlans", "InstrumentID, Level"},
                                                    {"TriggerEventClosures", "EventID"},
                                                    {"AlarmRecipients", "RecipientID"},
                                                    {"AlarmOutbox", "MessageID"},
                                                    {"AuditLog", "AuditID"},
                                                    {"ReadingRejections", "rowid"},
                                                    {"ReadingFlags", "rowid"},
                                                    {"ReadingCheckSettings", "rowid"}};

// Every row of the side tables, as text; bytes in hex.
Dump sideDump(Connection& db) {
    Dump rows;
    for (const auto& [table, order] : kSideTables) {
        QSqlQuery q(db.db());
        EXPECT_TRUE(q.exec("SELECT * FROM " + table + " ORDER BY " + order)) << table.toStdString();
        QList<QStringList>& list = rows[table.toLower()];
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i) {
                const QVariant value = q.value(i);
                if (q.record().fieldName(i).compare("rowid", Qt::CaseInsensitive) != 0) {
                    row << q.record().fieldName(i).toLower() + "=" +
                               (value.typeId() == QMetaType::QByteArray
                                    ? QString::fromLatin1(value.toByteArray().toHex())
                                    : asText(value));
                }
            }
            list << row;
        }
    }
    return rows;
}

// A row or more in every side table.
void fillSideTables(Connection& db) {
    db.inTransaction([&] { createAuditTableWithin(db); });
    for (const char* key : {"Site", "120521001"}) {
        db.execute("INSERT INTO AuditLog (ChangedAt, ChangedBy, ChangeSet, TableName, "
                   "InstrumentID, RowKey, Operation, Before, After) VALUES ('2026-01-02 "
                   "10:00:00', 'ann', 7, 'TriggerLevels', ?, ?, 'UPDATE', '{\"AmberDisp\": "
                   "0.30000000000000004}', NULL)",
                   {key, key});
    }
    storePosition(db, "120521001", SensorPosition{512345.125, 7123456.5, -310.25});
    storePosition(db, "select", SensorPosition{1.0 / 3.0, 2, std::nullopt});
    storePlan(db, {"L1", PlanKind::Picture, "plan.png", QByteArray("\x00\x89PNG\xff\r\n", 8),
                   "0 0 1 2 10 10 3 4", "2026-01-02 09:00:00"});
    db.execute("INSERT INTO ResponsePlans (InstrumentID, Level, Actions, Who, ResponseHours) "
               "VALUES ('Site', 'RED', 'Bar the drive', 'shift boss', 0.5)");
    db.execute("INSERT INTO TriggerEventClosures (EventID, ClosedAt, ClosedBy, ActionsTaken) "
               "VALUES (1, '2026-01-03 08:00', 'ann', 'Bolted')");
    addRecipient(db, "red", "boss@mine.example");
    addRecipient(db, "amber", "geo@mine.example");
    db.execute("INSERT INTO AlarmOutbox (EventID, InstrumentID, Kind, Address, Subject, Body, "
               "AttachmentName, Attachment, State, Attempts, CreatedAt) VALUES (1, '120521001', "
               "'amber', 'geo@mine.example', 'Amber', 'Moved', 'chart.png', ?, 'sent', 2, "
               "'2026-01-02 10:06')",
               {QByteArray("\x01\x00\xfe", 3)});
    createCheckTables(db);
    db.execute("INSERT INTO ReadingFlags (InstrumentID, ReadingKey, CheckName, Channel, Detail) "
               "VALUES ('120521001', '2026/01/02 10:00', 'spike', 3, 'jump')");
    for (const int rejected : {1, 0, 1}) {
        db.execute("INSERT INTO ReadingRejections (InstrumentID, ReadingKey, Rejected, Reason, "
                   "EnteredBy, EnteredAt) VALUES ('120521001', '2026/01/02 10:00', ?, 'r', "
                   "'ann', '2026-01-04')",
                   {rejected});
    }
    db.execute("INSERT INTO ReadingCheckSettings (Name, Value) VALUES ('SpikeMm', 2.5)");
    db.execute("CREATE TABLE ChartBatchState (InstrumentID TEXT, Selection INTEGER)");
    db.execute("INSERT INTO ChartBatchState VALUES ('120521001', 1)");
}
} // namespace

// The register is copied from a database file to an empty database of each engine.
class RegisterCopyTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        createDatabaseFile(path("source.mdb"));
        source.open(path("source.mdb"));
        fillRegister(source);
    }
    Connection source;
};
INSTANTIATE_ON_BOTH_ENGINES(RegisterCopyTest);

TEST_P(RegisterCopyTest, ACopyAndABackupOfItHoldTheSameRowsAsTheOriginal) {
    Connection target;
    target.open(emptyLocation());
    const RegisterCounts counts = copyRegister(source, target);
    EXPECT_EQ(counts.sensors, 2);
    EXPECT_EQ(counts.readings, 3);
    // The trigger tables come with the response plans and closures, empty here.
    EXPECT_EQ(counts.tables.size(), 11);
    EXPECT_EQ(counts.rows, 2 + 2 + 1 + 1 + 0 + 1 + 1 + 3 + 0);
    EXPECT_EQ(dump(target), dump(source));

    // Back through a backup file: the same rows again.
    copyRegisterToFile(target, path("backup.mdb"));
    Connection backup;
    backup.open(path("backup.mdb"));
    EXPECT_EQ(dump(backup), dump(source));
    EXPECT_FALSE(QFile::exists(path("backup.mdb.partial")));

    // The copy works as a register: readings keep their uniqueness rule and events their
    // numbering, and the event log still refuses a deletion.
    target.execute("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, "
                   "Value, Level, DetectedAt, DetectedBy) VALUES ('select', 'k', 'Red', 'Disp', "
                   "1, 1, 'd', 'bob')");
    EXPECT_EQ(target.scalar("SELECT count(DISTINCT EventID) FROM TriggerEvents").toInt(), 2);
    EXPECT_THROW(target.execute("DELETE FROM TriggerEvents"), DbError);
}

TEST_P(RegisterCopyTest, ADatabaseHoldingARegisterTableIsRefusedAndLeftAlone) {
    Connection target;
    target.open(emptyLocation());
    target.execute("CREATE TABLE \"select\" (x text)");
    target.execute("INSERT INTO \"select\" (x) VALUES ('theirs')");
    try {
        copyRegister(source, target);
        FAIL() << "the copy went ahead";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.description().contains("already holds the table select")) << e.what();
    }
    EXPECT_EQ(lowered(target.tables()), QStringList({"select"}));
    EXPECT_EQ(target.scalar("SELECT x FROM \"select\"").toString(), "theirs");
}

TEST_P(RegisterCopyTest, OtherTablesStayAndAFailedCopyTakesItsTablesAway) {
    Connection target;
    target.open(emptyLocation());
    target.execute("CREATE TABLE site_notes (note text)");
    // A column the new readings table has no place for stops the copy half way.
    source.execute("ALTER TABLE \"select\" ADD COLUMN Extra TEXT");
    source.execute("INSERT INTO \"select\" (DateTimeKey, Extra) VALUES ('k', 'x')");
    EXPECT_THROW(copyRegister(source, target), DbError);
    EXPECT_EQ(lowered(target.tables()), QStringList({"site_notes"}));

    source.execute("DROP TABLE \"select\"");
    createReadingsTable(source, "select");
    // A copy cancelled half way is undone as a failed one is.
    EXPECT_THROW(copyRegister(source, target, [](qint64 done, qint64) { return done < 5; }),
                 CopyCancelled);
    EXPECT_EQ(lowered(target.tables()), QStringList({"site_notes"}));

    qint64 lastDone = 0;
    qint64 lastTotal = 0;
    copyRegister(source, target, [&](qint64 done, qint64 total) {
        lastDone = done;
        lastTotal = total;
        return true;
    });
    EXPECT_EQ(lastDone, 11);
    EXPECT_EQ(lastTotal, 11);
    EXPECT_TRUE(target.hasTable("site_notes"));
    EXPECT_EQ(dump(target), dump(source));
}

// A whole site as the program writes it (every sensor type, months of readings, trigger levels
// and events) goes to each engine and back through a backup file unchanged.
TEST_P(RegisterCopyTest, TheSampleSiteGoesThereAndBackUnchanged) {
    SampleOptions options;
    options.end = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
    options.days = 60;
    options.readingsPerDay = 2;
    Connection site;
    site.open(writeSampleDatabase(path("site"), options));
    Connection target;
    target.open(emptyLocation());
    const RegisterCounts counts = copyRegister(site, target);
    EXPECT_GT(counts.readings, 300);
    copyRegisterToFile(target, path("back.mdb"));
    Connection back;
    back.open(path("back.mdb"));
    EXPECT_EQ(dump(back), dump(site));
}

// A register on either engine backs up to a file that holds the same rows, in place of an
// earlier file of that name.
TEST_P(RegisterCopyTest, ARegisterOnEitherEngineBacksUpToAFile) {
    Connection from;
    from.open(location());
    fillRegister(from);
    QFile earlier(path("copy.mdb"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("yesterday");
    earlier.close();
    const RegisterCounts counts = copyRegisterToFile(from, path("copy.mdb"));
    EXPECT_EQ(counts.readings, 3);
    Connection copy;
    copy.open(path("copy.mdb"));
    EXPECT_EQ(dump(copy), dump(from));
}

// A backup restored onto a site server replaces its register in one transaction.
class ServerRestoreTest : public TempDataFolderTest {
protected:
    void SetUp() override {
        createDatabaseFile(path("source.mdb"));
        source.open(path("source.mdb"));
        fillRegister(source);
    }
    Connection source;
};

TEST_F(ServerRestoreTest, ReplacingARegisterDropsWhatTheBackupLacksAndKeepsOtherTables) {
    ServerDatabase server;
    if (!server.available()) {
        GTEST_SKIP() << server.reason().toStdString();
    }
    Connection target;
    target.open(server.uri());
    copyRegister(source, target);
    const Dump original = dump(source);

    // Since the backup: a new sensor, changed readings, one more event, and a table of
    // someone else's.
    target.execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521009')");
    createReadingsTable(target, "120521009");
    target.execute("DELETE FROM \"120521001\" WHERE Plottemporal = 1");
    target.execute("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, "
                   "Value, Level, DetectedAt, DetectedBy) VALUES ('x', 'k', 'Red', 'Disp', 1, "
                   "1, 'd', 'bob')");
    target.execute("CREATE TABLE site_notes (note text)");

    // A backup that cannot be copied leaves the register as it was.
    createDatabaseFile(path("broken.mdb"));
    Connection broken;
    broken.open(path("broken.mdb"));
    broken.execute("ALTER TABLE Prefs ADD COLUMN Extra TEXT");
    const Dump before = dump(target);
    EXPECT_THROW(replaceRegister(broken, target), DbError);
    EXPECT_EQ(dump(target), before);

    const RegisterCounts counts = replaceRegister(source, target);
    EXPECT_EQ(counts.sensors, 2);
    // The event logged since the backup stays; everything else is the backup's.
    Dump restored = dump(target);
    ASSERT_EQ(restored["triggerevents"].size(), 2);
    EXPECT_TRUE(restored["triggerevents"][1].contains("instrumentid=x"));
    restored["triggerevents"].removeLast();
    EXPECT_EQ(restored, original);
    EXPECT_FALSE(target.hasTable("120521009"));
    EXPECT_TRUE(target.hasTable("site_notes"));
}

TEST_F(ServerRestoreTest, EventsLoggedSinceTheBackupAndTheirAcknowledgementsSurviveARestore) {
    ServerDatabase server;
    if (!server.available()) {
        GTEST_SKIP() << server.reason().toStdString();
    }
    Connection target;
    target.open(server.uri());
    copyRegister(source, target);
    const auto logOn = [](Connection& db, const QString& id) {
        db.execute("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, "
                   "Level, DetectedAt, DetectedBy) VALUES (?, 'k', 'Red', 'Disp', 1, 1, 'd', "
                   "'bob')",
                   {id});
    };
    // Since the backup: two events on the server and the backup's own event acknowledged
    // there; the backup file took an event of its own that the server never saw.
    logOn(target, "since1");
    logOn(target, "since2");
    target.execute("UPDATE TriggerEvents SET AckAt = 'a', AckBy = 'ann' WHERE EventID = 1");
    logOn(source, "only-in-backup");
    EXPECT_EQ(eventsMissingFrom(target, source), 2);
    EXPECT_EQ(eventsMissingFrom(source, source), 0);

    replaceRegister(source, target);
    QSqlQuery events(target.db());
    ASSERT_TRUE(events.exec("SELECT EventID, InstrumentID, AckBy FROM TriggerEvents ORDER BY "
                            "EventID"));
    QStringList log;
    while (events.next()) {
        log << events.value(0).toString() + " " + events.value(1).toString() + " " +
                   events.value(2).toString();
    }
    // Numbers stay; the backup's event whose number the server had used gets the next one.
    EXPECT_EQ(log, QStringList({"1 120521001 ann", "2 since1 ", "3 since2 ", "4 only-in-backup "}));
    EXPECT_EQ(eventsMissingFrom(source, target), 0);
    // The log kept its rules through the restore, and numbers events on from the last.
    EXPECT_THROW(target.execute("DELETE FROM TriggerEvents"), DbError);
    EXPECT_TRUE(eventLogRulesIntact(target));
    logOn(target, "next");
    EXPECT_EQ(target.scalar("SELECT max(EventID) FROM TriggerEvents").toInt(), 5);

    // A second restore of the same backup adds nothing.
    replaceRegister(source, target);
    EXPECT_EQ(target.scalar("SELECT count(*) FROM TriggerEvents").toInt(), 5);
}

// Copies to a site server that end half way, and what an earlier version's did leave.
class ServerCopyTest : public ServerRestoreTest {
protected:
    void SetUp() override {
        server = std::make_unique<ServerDatabase>();
        if (!server->available()) {
            GTEST_SKIP() << server->reason().toStdString();
        }
        ServerRestoreTest::SetUp();
    }
    std::unique_ptr<ServerDatabase> server;
};

TEST_F(ServerCopyTest, ACopyWhoseConnectionIsEndedHalfWayLeavesNothingAndARetryCopies) {
    {
        Connection target;
        target.open(server->uri());
        const qint64 backend = target.scalar("SELECT pg_backend_pid()").toLongLong();
        Connection other;
        other.open(server->uri());
        // The server ends the copying connection while rows are on their way.
        const auto endIt = [&](qint64 done, qint64) {
            if (done == 4) {
                other.execute("SELECT pg_terminate_backend(?, 30000)", {backend});
            }
            return true;
        };
        EXPECT_THROW(copyRegister(source, target, endIt), DbError);
    }
    Connection retry;
    retry.open(server->uri());
    EXPECT_EQ(retry.tables(), QStringList());
    EXPECT_FALSE(isUnfinishedRegister(retry));
    copyRegister(source, retry);
    EXPECT_EQ(dump(retry), dump(source));
    // A register copied whole is never taken for an unfinished one, even before it holds data.
    EXPECT_FALSE(isUnfinishedRegister(retry));
}

TEST_F(ServerCopyTest, TablesAnEarlierCopyLeftAreRecognisedAndClearedButARegisterIsNot) {
    Connection target;
    target.open(server->uri());
    target.execute("CREATE TABLE site_notes (note text)");
    // What an earlier version's copy left when it was ended after making the tables.
    createSchema(target);
    createTriggerTables(target);
    EXPECT_TRUE(isUnfinishedRegister(target));

    // Any data makes it a register to keep.
    target.execute("INSERT INTO TriggerLevels (InstrumentID, AmberDisp) VALUES ('Site', 5)");
    EXPECT_FALSE(isUnfinishedRegister(target));
    EXPECT_THROW(clearUnfinishedRegister(target), DbError);
    EXPECT_TRUE(hasRegister(target));
    target.execute("DELETE FROM TriggerLevels");
    target.execute("UPDATE Prefs SET MaxY = '40'");
    EXPECT_FALSE(isUnfinishedRegister(target));
    target.execute("UPDATE Prefs SET MaxY = ''");
    // The rows an interrupted copy had already emptied count as defaults too.
    target.execute("DELETE FROM Configuration");
    EXPECT_TRUE(isUnfinishedRegister(target));

    clearUnfinishedRegister(target);
    EXPECT_EQ(lowered(target.tables()), QStringList({"site_notes"}));
    copyRegister(source, target);
    EXPECT_EQ(dump(target), dump(source));

    // An empty register made on purpose carries the mark of a whole one.
    ServerDatabase fresh;
    Connection created;
    created.open(fresh.uri());
    createServerRegister(created, path("no-bundled-file.mdb"));
    EXPECT_FALSE(isUnfinishedRegister(created));
    // A database file never holds one.
    EXPECT_FALSE(isUnfinishedRegister(source));
}

// What sits beside the register goes with it, rows and rules intact, and back to a file.
TEST_P(RegisterCopyTest, TheSideTablesGoWithTheRegisterRowsAndRulesIntact) {
    fillSideTables(source);
    Connection target;
    target.open(emptyLocation());
    const RegisterCounts counts = copyRegister(source, target);
    EXPECT_EQ(counts.sensors, 2);
    EXPECT_EQ(counts.readings, 3);
    EXPECT_EQ(sideDump(target), sideDump(source));
    EXPECT_EQ(dump(target), dump(source));
    // The cache of the charts stays behind.
    EXPECT_FALSE(target.hasTable("ChartBatchState"));

    // The append-only tables keep their rules.
    for (const char* table :
         {"TriggerEventClosures", "AlarmOutbox", "AuditLog", "ReadingRejections"}) {
        EXPECT_THROW(target.execute(QStringLiteral("DELETE FROM %1").arg(table)), DbError) << table;
    }
    // New rows are numbered on from the copied ones, and a server's trail records once the
    // register is opened.
    EXPECT_FALSE(auditInstalled(target));
    if (target.isServer()) {
        recordChanges(target, "bob");
    }
    addRecipient(target, "digest", "night@mine.example");
    EXPECT_EQ(target.scalar("SELECT max(RecipientID) FROM AlarmRecipients").toInt(), 3);
    if (target.isServer()) {
        EXPECT_EQ(target.scalar("SELECT count(*) FROM AuditLog").toInt(), 3);
        EXPECT_EQ(target.scalar("SELECT max(AuditID) FROM AuditLog").toInt(), 3);
    }

    // Back through a backup file: the same rows again.
    copyRegisterToFile(target, path("backup.mdb"));
    Connection backup;
    backup.open(path("backup.mdb"));
    EXPECT_EQ(sideDump(backup), sideDump(target));
}

TEST_F(ServerCopyTest, AnInterruptedCopyLeavesNoSideTableAndLeftoversWithRowsStay) {
    fillSideTables(source);
    Connection target;
    target.open(server->uri());
    // Cancelled on the last row, in the audit trail: every table goes.
    EXPECT_THROW(
        copyRegister(source, target, [](qint64 done, qint64 total) { return done < total; }),
        CopyCancelled);
    EXPECT_EQ(target.tables(), QStringList());

    // What an earlier version left, with empty side tables, is cleared whole; a row in any of
    // them is data to keep.
    createSchema(target);
    target.inTransaction([&] {
        createAlarmTables(target);
        createSiteTablesWithin(target);
    });
    EXPECT_TRUE(isUnfinishedRegister(target));
    addRecipient(target, "red", "boss@mine.example");
    EXPECT_FALSE(isUnfinishedRegister(target));
    EXPECT_THROW(clearUnfinishedRegister(target), DbError);
    target.execute("DELETE FROM AlarmRecipients");
    clearUnfinishedRegister(target);
    EXPECT_EQ(target.tables(), QStringList());
    copyRegister(source, target);
    EXPECT_EQ(sideDump(target), sideDump(source));
}
