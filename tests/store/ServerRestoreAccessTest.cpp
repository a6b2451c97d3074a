#include "site/SiteTables.h"
#include "store/AlarmStore.h"
#include "store/AuditLog.h"
#include "store/CheckTables.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/RegisterCopy.h"
#include "store/RevisionTable.h"
#include "store/Schema.h"
#include "store/SiteAccess.h"
#include "store/SiteTableSchema.h"
#include "store/TriggerTables.h"
#include "support/PrivateServer.h"

#include <QMap>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace {
using Rows = QMap<QString, QStringList>;

// The tables a restore carries, with the columns that order their rows on both engines.
const QList<QPair<QString, QString>> kCarried = {{"Sensors", "InstrumentID"},
                                                 {"Configuration", "SensorType"},
                                                 {"Prefs", "MaxY"},
                                                 {"NetworkConfig", "SensorID"},
                                                 {"TriggerLevels", "InstrumentID"},
                                                 {"TriggerEvents", "EventID"},
                                                 {"TriggerEventClosures", "EventID"},
                                                 {"ResponsePlans", "InstrumentID, Level"},
                                                 {"SensorRevisions", "RevisionID"},
                                                 {"SensorPositions", "InstrumentID"},
                                                 {"LevelPlans", "Level"},
                                                 {"AlarmRecipients", "RecipientID"},
                                                 {"AlarmOutbox", "MessageID"},
                                                 {"ReadingFlags", "ReadingKey"},
                                                 {"ReadingRejections", "rowid"},
                                                 {"ReadingCheckSettings", "Name"},
                                                 {"120521001", "DateTimeKey"},
                                                 {"120521002", "DateTimeKey"},
                                                 {"120521003", "DateTimeKey"}};

// Every row of the carried tables (a missing table as none), as text, without a server's row id.
Rows rowsOf(Connection& db) {
    Rows rows;
    for (const auto& [table, order] : kCarried) {
        if (!db.hasTable(table)) {
            continue;
        }
        QSqlQuery q(db.db());
        EXPECT_TRUE(q.exec("SELECT * FROM " + quoteName(table) + " ORDER BY " + order));
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i) {
                const QVariant value = q.value(i);
                if (q.record().fieldName(i).compare("rowid", Qt::CaseInsensitive) == 0) {
                    continue;
                }
                row << (value.isNull() ? QStringLiteral("<null>")
                        : value.typeId() == QMetaType::Double
                            ? QString::number(value.toDouble(), 'g', 17)
                        : value.typeId() == QMetaType::QByteArray
                            ? QString(value.toByteArray().toHex())
                            : value.toString());
            }
            rows[table.toLower()] << row.join('|');
        }
    }
    return rows;
}

void logEvent(Connection& db, const QString& id) {
    db.execute("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, "
               "Level, DetectedAt, DetectedBy) VALUES (?, 'k', 'Red', 'Disp', 1, 1, 'd', 'bob')",
               {id});
}

void closeEvent(Connection& db, qint64 event, const QString& actions) {
    db.execute("INSERT INTO TriggerEventClosures (EventID, ClosedAt, ClosedBy, ActionsTaken) "
               "VALUES (?, '2026-01-03 08:00', 'ann', ?)",
               {event, actions});
}

void addRevision(Connection& db, const QString& id, const QString& note) {
    db.execute("INSERT INTO SensorRevisions (InstrumentID, FromDate, Kind, Node, Value1, Note, "
               "EnteredBy, EnteredAt) VALUES (?, '2026-01-01', 'anchor', 1, 0.1, ?, 'ann', "
               "'2026-01-01 09:00')",
               {id, note});
}

// A register file with two sensors and a row or more in every table a restore carries.
void fillBackup(Connection& db) {
    for (const QString& id : {QStringLiteral("120521001"), QStringLiteral("120521002")}) {
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, LengthofCable) VALUES (?, "
                   "'21', 12.5)",
                   {id});
        createReadingsTable(db, id);
    }
    for (int i = 1; i <= 3; ++i) {
        db.execute("INSERT INTO \"120521001\" (DateTimeKey, FullDate, Disp1) VALUES (?, ?, ?)",
                   {QStringLiteral("2026/01/0%1 10:00").arg(i),
                    QStringLiteral("2026-01-0%1 10:00:00").arg(i), 1.0 / 3.0 + i});
    }
    db.execute("UPDATE Prefs SET MaxY = '40'");
    db.execute("INSERT INTO NetworkConfig (SensorID, Network, Address) VALUES ('1', 'N', 'A')");
    createTriggerTables(db);
    db.execute("INSERT INTO TriggerLevels (InstrumentID, AmberDisp, RedDisp) VALUES ('Site', 10, "
               "20)");
    logEvent(db, "120521001");
    closeEvent(db, 1, "Bolted");
    db.execute("INSERT INTO ResponsePlans (InstrumentID, Level, Actions) VALUES ('Site', 'RED', "
               "'Bar the drive')");
    db.inTransaction([&] {
        createRevisionTableWithin(db);
        createSiteTablesWithin(db);
        createAlarmTables(db);
    });
    addRevision(db, "120521001", "first");
    storePosition(db, "120521001", SensorPosition{512345.125, 7123456.5, -310.25});
    storePlan(db, {"L1", PlanKind::Picture, "plan.png", QByteArray("\x00\x89PNG", 4), "0 0 1 2",
                   "2026-01-02 09:00:00"});
    addRecipient(db, "red", "boss@mine.example");
    db.execute("INSERT INTO AlarmOutbox (EventID, InstrumentID, Kind, Address, Subject, Body, "
               "State, CreatedAt) VALUES (1, '120521001', 'red', 'boss@mine.example', 'Red', "
               "'Moved', 'sent', '2026-01-02 10:06')");
    createCheckTables(db);
    db.execute("INSERT INTO ReadingFlags (InstrumentID, ReadingKey, CheckName) VALUES "
               "('120521001', '2026/01/02 10:00', 'spike')");
    // Two equal rows are two rows.
    for (const int rejected : {1, 0, 1}) {
        db.execute("INSERT INTO ReadingRejections (InstrumentID, ReadingKey, Rejected, Reason, "
                   "EnteredBy, EnteredAt) VALUES ('120521001', '2026/01/02 10:00', ?, 'r', 'ann', "
                   "'2026-01-04')",
                   {rejected % 2});
    }
    db.execute("INSERT INTO ReadingCheckSettings (Name, Value) VALUES ('SpikeMm', 2.5)");
}

// A site server of the test's own, prepared as `server init --admin boss` prepares it, with
// the engineer "eng", and a backup file of a register.
class ServerRestoreAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = std::make_unique<PrivateServer>();
        if (!server->available()) {
            GTEST_SKIP() << server->reason().toStdString();
        }
        owner.open(server->uri());
        prepareServer(owner, "boss", QString());
        owner.inTransaction([&] { createSiteTablesWithin(owner); });
        prepareServer(owner, "boss", QString());
        installAudit(owner, "quorvelle");
        addSiteLogin(owner, "eng", AccessRole::Engineer, QString());
        admin = as("boss");
        engineer = as("eng");
        createDatabaseFile(folder.filePath("backup.mdb"));
        backup.open(folder.filePath("backup.mdb"));
        fillBackup(backup);
    }
    void TearDown() override { setLoginRoleInUse(AccessRole::Unrestricted); }

    std::unique_ptr<Connection> as(const QString& login) {
        QUrl url(server->uri());
        url.setUserName(login);
        auto db = std::make_unique<Connection>();
        db->open(url.toString(QUrl::FullyEncoded));
        return db;
    }
    // The refusal the call raises, in the words the login's role gets.
    template <typename Call> QString refusal(Connection& db, Call call) {
        setLoginRoleInUse(findLoginRole(db));
        try {
            call();
        } catch (const DbError& e) {
            setLoginRoleInUse(AccessRole::Unrestricted);
            return isRefusal(e) ? e.description() : "not a refusal: " + e.description();
        }
        setLoginRoleInUse(AccessRole::Unrestricted);
        return QStringLiteral("not refused");
    }
    qint64 trailRows() { return owner.scalar("SELECT count(*) FROM AuditLog").toLongLong(); }
    // The trail's rows up to the number, as text.
    QString trailUpTo(qint64 last) {
        return owner
            .scalar("SELECT string_agg(concat_ws('|', AuditID, ChangedBy, TableName, RowKey, "
                    "Operation, Before, After), ',' ORDER BY AuditID) FROM AuditLog WHERE "
                    "AuditID <= ?",
                    {last})
            .toString();
    }

    QTemporaryDir folder;
    std::unique_ptr<PrivateServer> server;
    Connection owner;
    Connection backup;
    std::unique_ptr<Connection> admin;
    std::unique_ptr<Connection> engineer;
};

TEST_F(ServerRestoreAccessTest, AnAdministratorCopiesOntoThePreparedServerAndRestoresABackupWhole) {
    // The prepared server is empty but for init's own rows: the copy goes in place.
    copyRegister(backup, *admin);
    EXPECT_EQ(rowsOf(owner), rowsOf(backup));
    // A server holding a register takes no copy, as before.
    EXPECT_THROW(copyRegister(backup, *admin), DbError);

    // Since the backup: on the server a new sensor, a deleted reading, a revision, an event
    // and its closure; in the backup an event the server never saw, closed there.
    engineer->execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521003')");
    createReadingsTable(*engineer, "120521003");
    engineer->execute("INSERT INTO \"120521003\" (DateTimeKey) VALUES ('k3')");
    engineer->execute("DELETE FROM \"120521001\" WHERE DateTimeKey = '2026/01/01 10:00'");
    addRevision(*engineer, "120521003", "since");
    logEvent(*engineer, "since");
    closeEvent(*engineer, 2, "Scaled");
    logEvent(backup, "only-in-backup");
    closeEvent(backup, 2, "Meshed");
    const Rows expected = rowsOf(backup);
    const qint64 lastBefore = owner.scalar("SELECT max(AuditID) FROM AuditLog").toLongLong();
    const QString trailBefore = trailUpTo(lastBefore);

    const RegisterCounts counts = replaceRegister(backup, *admin);
    EXPECT_EQ(counts.sensors, 2);
    EXPECT_EQ(counts.readings, 3);
    Rows restored = rowsOf(owner);
    EXPECT_FALSE(owner.hasTable("120521003"));
    // What is only ever added to keeps the server's rows beside the backup's; the backup's
    // event that took a number used on the server is closed under its new one.
    EXPECT_EQ(restored.take("sensorrevisions").size(), 2);
    EXPECT_EQ(owner
                  .scalar("SELECT ActionsTaken FROM TriggerEventClosures WHERE EventID = 3 AND "
                          "EventID = (SELECT EventID FROM TriggerEvents WHERE InstrumentID = "
                          "'only-in-backup')")
                  .toString(),
              "Meshed");
    EXPECT_EQ(restored.take("triggereventclosures").size(), 3);
    EXPECT_EQ(restored.take("triggerevents").size(), 3);
    Rows rest = expected;
    rest.remove("sensorrevisions");
    rest.remove("triggereventclosures");
    rest.remove("triggerevents");
    EXPECT_EQ(restored, rest);

    // The trail kept its rows and holds the restore, row by row, under the administrator.
    EXPECT_EQ(trailUpTo(lastBefore), trailBefore);
    const auto restoreRows = [&](const QString& table, const QString& operation) {
        return owner
            .scalar("SELECT count(*) FROM AuditLog WHERE ChangedBy = 'boss' AND TableName = ? "
                    "AND Operation = ? AND AuditID > ?",
                    {table, operation, lastBefore})
            .toInt();
    };
    EXPECT_EQ(restoreRows("120521003", "DELETE"), 1);
    EXPECT_EQ(restoreRows("120521001", "DELETE"), 2);
    EXPECT_EQ(restoreRows("120521001", "INSERT"), 3);
    EXPECT_EQ(restoreRows("Sensors", "DELETE"), 3);
    EXPECT_TRUE(auditRulesIntact(owner));

    // The same backup again changes nothing that is only added to.
    replaceRegister(backup, *admin);
    EXPECT_EQ(owner.scalar("SELECT count(*) FROM TriggerEventClosures").toInt(), 3);
    EXPECT_EQ(owner.scalar("SELECT count(*) FROM ReadingRejections").toInt(), 3);
    // New rows number on from the restored ones.
    addRecipient(*admin, "amber", "geo@mine.example");
    logEvent(*engineer, "next");
    EXPECT_EQ(owner.scalar("SELECT max(EventID) FROM TriggerEvents").toInt(), 4);
}

TEST_F(ServerRestoreAccessTest, OnlyAnAdministratorRestoresAndARestoreCutShortChangesNothing) {
    EXPECT_EQ(refusal(*engineer, [&] { copyRegister(backup, *engineer); }),
              "Your login (engineer) may not copy a register onto the site server.");
    EXPECT_EQ(owner.scalar("SELECT count(*) FROM Sensors").toInt(), 0);
    copyRegister(backup, *admin);
    engineer->execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521003')");
    createReadingsTable(*engineer, "120521003");
    const Rows before = rowsOf(owner);
    const qint64 trail = trailRows();

    EXPECT_EQ(refusal(*engineer, [&] { replaceRegister(backup, *engineer); }),
              "Your login (engineer) may not restore the register.");
    addSiteLogin(owner, "look", AccessRole::Viewer, QString());
    const std::unique_ptr<Connection> viewer = as("look");
    EXPECT_EQ(refusal(*viewer, [&] { replaceRegister(backup, *viewer); }),
              "Your login (viewer) may not restore the register.");
    // Cancelled on the last row, after every deletion; and a backup that fails once the rows
    // are deleted.
    EXPECT_THROW(
        replaceRegister(backup, *admin, [](qint64 done, qint64 total) { return done < total; }),
        CopyCancelled);
    backup.execute("ALTER TABLE Prefs ADD COLUMN Extra TEXT");
    EXPECT_THROW(replaceRegister(backup, *admin), DbError);
    EXPECT_EQ(rowsOf(owner), before);
    EXPECT_TRUE(owner.hasTable("120521003"));
    EXPECT_EQ(trailRows(), trail);
}
} // namespace
