#include "store/SiteAccess.h"
#include "store/AuditLog.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/ReadingsTables.h"
#include "store/Schema.h"
#include "support/PrivateServer.h"

#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QString kSensor = QStringLiteral("120521001");
const QString kOddName = QStringLiteral("O'Brien \"Bob\"; DROP TABLE sensors;--");

// A server of the suite's own (the roles belong to the whole cluster), prepared by its owner
// with the administrator "boss" and one sensor with its readings table.
class SiteAccessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new PrivateServer;
        if (!server->available()) {
            return;
        }
        Connection owner;
        owner.open(server->uri());
        prepareServer(owner, "boss", QString());
        owner.execute("INSERT INTO Sensors (InstrumentID, Level) VALUES (?, 'L1')", {kSensor});
        createReadingsTable(owner, kSensor);
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!server->available()) {
            GTEST_SKIP() << server->reason().toStdString();
        }
        owner.open(server->uri());
    }
    void TearDown() override { setLoginRoleInUse(AccessRole::Unrestricted); }

    static QString uriOf(const QString& login) {
        QUrl url(server->uri());
        url.setUserName(login);
        return url.toString(QUrl::FullyEncoded);
    }
    // Opens a connection as the login, as the program opens it, with its role in use.
    std::unique_ptr<Connection> as(const QString& login) {
        auto db = std::make_unique<Connection>();
        db->open(uriOf(login));
        setLoginRoleInUse(findLoginRole(*db));
        return db;
    }
    // Runs psql as the login; its error output, empty when the statement succeeded.
    static QString psql(const QString& login, const QString& sql) {
        QProcess process;
        process.start("psql",
                      {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", server->host(), "-p",
                       QString::number(server->port()), "-U", login, "-d", "quorvelle", "-c", sql});
        if (!process.waitForFinished(30000)) {
            return QStringLiteral("psql did not finish");
        }
        const QString errors = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return process.exitCode() == 0 ? QString() : (errors.isEmpty() ? "failed" : errors);
    }
    // The failure the statement raises as the connection's login.
    static DbError refusal(Connection& db, const QString& sql, const QVariantList& params = {}) {
        try {
            db.execute(sql, params);
        } catch (const DbError& e) {
            return e;
        }
        return DbError(0, QStringLiteral("not refused"));
    }

    static PrivateServer* server;
    Connection owner;
};
PrivateServer* SiteAccessTest::server = nullptr;

TEST_F(SiteAccessTest, AViewerReadsEverythingAndTheServerRefusesItsWritesEvenThroughPsql) {
    addSiteLogin(owner, kOddName, AccessRole::Viewer, QString());
    EXPECT_TRUE(owner.hasTable("Sensors"));

    EXPECT_EQ(psql(kOddName, "SELECT count(*) FROM sensors, \"" + kSensor + "\""), "");
    for (const QString& write :
         {QStringLiteral("INSERT INTO sensors (instrumentid) VALUES ('120521009')"),
          QStringLiteral("UPDATE sensors SET level = 'L2'"), QStringLiteral("DELETE FROM sensors"),
          "INSERT INTO \"" + kSensor + "\" (datetimekey) VALUES ('k')",
          QStringLiteral("UPDATE triggerlevels SET amberdisp = 1"),
          QStringLiteral("ALTER TABLE triggerevents DISABLE TRIGGER ALL"),
          QStringLiteral("CREATE TABLE mine (x int)")}) {
        EXPECT_TRUE(psql(kOddName, write).contains("permission denied") ||
                    psql(kOddName, write).contains("must be owner"))
            << write.toStdString();
    }

    const std::unique_ptr<Connection> viewer = as(kOddName);
    EXPECT_EQ(findLoginRole(*viewer), AccessRole::Viewer);
    EXPECT_EQ(viewer->scalar("SELECT count(*) FROM Sensors").toInt(), 1);
    const DbError readings =
        refusal(*viewer, "INSERT INTO " + quoteName(kSensor) + " (DateTimeKey) VALUES ('k')");
    EXPECT_TRUE(isRefusal(readings));
    EXPECT_EQ(readings.description(), "Your login (viewer) may not change readings.");
    EXPECT_EQ(refusal(*viewer, "UPDATE Sensors SET Level = 'L9'").description(),
              "Your login (viewer) may not change sensors.");
    EXPECT_EQ(owner.scalar("SELECT Level FROM Sensors").toString(), "L1");
}

TEST_F(SiteAccessTest, AnEngineerWritesSensorsAndReadingsButMayNotDeleteSensorsOrSetLevels) {
    addSiteLogin(owner, "eng_ann", AccessRole::Engineer, QString());
    const std::unique_ptr<Connection> engineer = as("eng_ann");
    EXPECT_EQ(findLoginRole(*engineer), AccessRole::Engineer);

    const QString added = QStringLiteral("120521002");
    engineer->execute("INSERT INTO Sensors (InstrumentID, Level) VALUES (?, 'L2')", {added});
    createReadingsTable(*engineer, added);
    engineer->execute("INSERT INTO " + quoteName(added) + " (DateTimeKey, FullDate) VALUES (?, ?)",
                      {"2024010112000", "2024-01-01 12:00:00"});
    engineer->execute("DELETE FROM " + quoteName(added));
    // The table made for the engineer belongs to the register's owner, so its triggers and
    // its existence are not the engineer's to change.
    EXPECT_EQ(
        owner.scalar("SELECT pg_get_userbyid(relowner) FROM pg_class WHERE relname = ?", {added})
            .toString(),
        "quorvelle");
    EXPECT_TRUE(psql("eng_ann", "ALTER TABLE \"" + added + "\" DISABLE TRIGGER ALL")
                    .contains("must be owner"));

    const DbError deletion =
        refusal(*engineer, "DELETE FROM Sensors WHERE InstrumentID = ?", {added});
    EXPECT_EQ(deletion.description(), "Your login (engineer) may not change sensors.");
    try {
        dropReadingsTable(*engineer, added);
        ADD_FAILURE() << "an engineer dropped a readings table";
    } catch (const DbError& e) {
        EXPECT_EQ(e.description(), "Your login (engineer) may not change sensors.");
    }
    EXPECT_EQ(refusal(*engineer, "INSERT INTO TriggerLevels (InstrumentID) VALUES (?)", {added})
                  .description(),
              "Your login (engineer) may not change trigger levels.");
    EXPECT_TRUE(engineer->hasTable(added));

    addSiteLogin(owner, "adm_cy", AccessRole::Admin, QString());
    const std::unique_ptr<Connection> admin = as("adm_cy");
    dropReadingsTable(*admin, added);
    admin->execute("DELETE FROM Sensors WHERE InstrumentID = ?", {added});
    EXPECT_FALSE(owner.hasTable(added));
    // The register's own tables are not readings tables to drop.
    EXPECT_THROW(dropReadingsTable(*admin, "Sensors"), DbError);
    EXPECT_TRUE(owner.hasTable("Sensors"));
    removeSiteLogin(owner, "adm_cy");
}

TEST_F(SiteAccessTest, LoginNamesAreQuotedOrRefusedAndTheLastAdministratorStays) {
    for (const QString& bad :
         QStringList{"", "pg_monitor", "quorvelle_admin", "tab\there", QString(64, 'x')}) {
        EXPECT_FALSE(loginNameProblem(bad).isEmpty()) << bad.toStdString();
        EXPECT_THROW(addSiteLogin(owner, bad, AccessRole::Viewer, QString()), DbError);
    }
    const QString spaced = QStringLiteral("Dee Ray");
    addSiteLogin(owner, spaced, AccessRole::Engineer, QString());
    EXPECT_THROW(addSiteLogin(owner, spaced, AccessRole::Viewer, QString()), DbError);
    EXPECT_TRUE(siteLogins(owner).contains(SiteLogin{spaced, AccessRole::Engineer}));

    // "boss" is the only administrator: it cannot go, nor become less.
    EXPECT_THROW(removeSiteLogin(owner, "boss"), DbError);
    EXPECT_THROW(setSiteLoginRole(owner, "boss", AccessRole::Engineer), DbError);
    // Nor through the server's own function, which a login could call from psql.
    EXPECT_TRUE(
        psql("boss", "SELECT quorvelle_remove_login('boss')").contains("last administrator"));
    EXPECT_TRUE(siteLogins(owner).contains(SiteLogin{"boss", AccessRole::Admin}));
    // A role that is no login of the register is not the administrator's to remove.
    EXPECT_THROW(removeSiteLogin(owner, "quorvelle"), DbError);
    EXPECT_TRUE(psql("boss", "SELECT quorvelle_remove_login('quorvelle')").contains("no role"));

    setSiteLoginRole(owner, spaced, AccessRole::Admin);
    const std::unique_ptr<Connection> dee = as(spaced);
    EXPECT_EQ(findLoginRole(*dee), AccessRole::Admin);
    setSiteLoginRole(*dee, "boss", AccessRole::Viewer);
    EXPECT_TRUE(siteLogins(owner).contains(SiteLogin{"boss", AccessRole::Viewer}));
    setSiteLoginRole(*dee, "boss", AccessRole::Admin);
    removeSiteLogin(*dee, "boss");
    EXPECT_FALSE(siteLogins(owner).contains(SiteLogin{"boss", AccessRole::Admin}));
    // Logins are managed by administrators alone.
    addSiteLogin(owner, "boss", AccessRole::Admin, QString());
    addSiteLogin(owner, "eng_bo", AccessRole::Engineer, QString());
    const std::unique_ptr<Connection> engineer = as("eng_bo");
    try {
        addSiteLogin(*engineer, "mallory", AccessRole::Admin, QString());
        ADD_FAILURE() << "an engineer added a login";
    } catch (const DbError& e) {
        EXPECT_EQ(e.description(), "Your login (engineer) may not change logins.");
    }
    setSiteLoginRole(owner, spaced, AccessRole::Engineer);
}

TEST_F(SiteAccessTest, APasswordReachesTheServerOnlyAsItsHash) {
    const QString password = QStringLiteral("corr3ct horse");
    addSiteLogin(owner, "pat", AccessRole::Viewer, password);
    const QString stored =
        owner.scalar("SELECT rolpassword FROM pg_authid WHERE rolname = 'pat'").toString();
    EXPECT_TRUE(stored.startsWith("SCRAM-SHA-256$")) << stored.toStdString();
    EXPECT_FALSE(stored.contains(password));

    const std::unique_ptr<Connection> pat = as("pat");
    changeOwnPassword(*pat, QStringLiteral("an0ther one"));
    const QString changed =
        owner.scalar("SELECT rolpassword FROM pg_authid WHERE rolname = 'pat'").toString();
    EXPECT_TRUE(changed.startsWith("SCRAM-SHA-256$"));
    EXPECT_NE(changed, stored);
    EXPECT_THROW(changeOwnPassword(*pat, QString()), DbError);
}

TEST_F(SiteAccessTest, PreparingAgainKeepsEverythingAndAnUnpreparedServerGivesFullRights) {
    prepareServer(owner, "boss", QString());
    EXPECT_EQ(owner.scalar("SELECT count(*) FROM Sensors").toInt(), 1);
    EXPECT_EQ(findLoginRole(owner), AccessRole::Unrestricted);
    EXPECT_TRUE(isPreparedServer(owner));

    owner.execute("CREATE DATABASE plain");
    QUrl url(server->uri());
    url.setPath("/plain");
    Connection plain;
    plain.open(url.toString());
    createSchema(plain);
    EXPECT_FALSE(isPreparedServer(plain));
    EXPECT_EQ(findLoginRole(plain), AccessRole::Unrestricted);
    createReadingsTable(plain, kSensor);
    dropReadingsTable(plain, kSensor);
    EXPECT_FALSE(plain.hasTable(kSensor));
    Connection file;
    EXPECT_EQ(findLoginRole(file), AccessRole::Unrestricted);
}
} // namespace

TEST_F(SiteAccessTest, AReadingsTableAnEngineerMakesRecordsItsChangesAndTheTrailStaysReadOnly) {
    installAudit(owner, QStringLiteral("quorvelle"));
    prepareServer(owner, "boss", QString());
    addSiteLogin(owner, "eng_dee", AccessRole::Engineer, QString());
    const std::unique_ptr<Connection> engineer = as("eng_dee");

    const QString added = QStringLiteral("120521003");
    engineer->execute("INSERT INTO Sensors (InstrumentID, Level) VALUES (?, 'L3')", {added});
    createReadingsTable(*engineer, added);
    engineer->execute("INSERT INTO " + quoteName(added) + " (DateTimeKey, FullDate) VALUES (?, ?)",
                      {"2024010112000", "2024-01-01 12:00:00"});
    EXPECT_EQ(engineer
                  ->scalar("SELECT count(*) FROM AuditLog WHERE TableName = ? AND ChangedBy = ? "
                           "AND Operation = 'INSERT'",
                           {added, "eng_dee"})
                  .toInt(),
              1);
    EXPECT_FALSE(psql("eng_dee", "DELETE FROM AuditLog").isEmpty());
    EXPECT_FALSE(psql("boss", "UPDATE AuditLog SET ChangedBy = 'nobody'").isEmpty());
    removeSiteLogin(owner, "eng_dee");
}
