#include "app/LoginAccess.h"
#include "app/UtilitiesPage.h"
#include "app/frmSiteUsers.h"
#include "sensors/IdentificationPage.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/Guard.h"
#include "store/Schema.h"
#include "store/SiteAccess.h"
#include "support/MainWindowFixture.h"
#include "support/PrivateServer.h"
#include "ui/FailureMessages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QUrl>

namespace {
// A register with one sensor on a server of the suite's own, prepared with an administrator
// "boss", an engineer "eve" and a viewer "vic".
class LoginAccessTest : public MainWindowTest {
protected:
    static void SetUpTestSuite() {
        server = new PrivateServer;
        if (!server->available()) {
            return;
        }
        Connection owner;
        owner.open(server->uri());
        prepareServer(owner, "boss", QString());
        addSiteLogin(owner, "eve", AccessRole::Engineer, QString());
        addSiteLogin(owner, "vic", AccessRole::Viewer, QString());
        owner.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, SensorNo, "
                      "Family, Model, InstallDate, Destroyed) VALUES ('120521001', '21', '1205', "
                      "'21', '001', 'k1VARLO', 'EX', '2026/01/05', 'No')");
        createReadingsTable(owner, "120521001");
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        MainWindowTest::SetUp();
        if (!server->available()) {
            GTEST_SKIP() << server->reason().toStdString();
        }
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        setLoginRoleInUse(AccessRole::Unrestricted);
    }
    static QString uriOf(const QString& login) {
        QUrl url(server->uri());
        url.setUserName(login);
        return url.toString(QUrl::FullyEncoded);
    }
    frmQuorvelle& openAs(const QString& login) {
        writeLocationFile(folder(), uriOf(login));
        return open();
    }
    template <class W> W* widget(const QString& name) {
        W* found = window->findChild<W*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QString loginText() { return widget<QLabel>("lblLogin")->text(); }

    static PrivateServer* server;
};
PrivateServer* LoginAccessTest::server = nullptr;

TEST_F(LoginAccessTest, AViewerSeesTheRegisterWithItsWritingCommandsDisabledAndNamed) {
    openAs("vic");
    EXPECT_TRUE(prompter.messageTexts().isEmpty())
        << prompter.messageTexts().join("|").toStdString();
    EXPECT_EQ(window->identification->cboSensors->count(), 1);
    EXPECT_EQ(loginText(), "Login: vic (viewer), not encrypted");

    for (const QString name : {"imgAddSensor", "Label57", "imgAddReading", "imgDeleteReading"}) {
        QWidget* command = widget<QWidget>(name);
        EXPECT_FALSE(command->isEnabled()) << name.toStdString();
        EXPECT_EQ(command->toolTip(), "Needs a login with the engineer role; yours is viewer.");
    }
    EXPECT_FALSE(widget<QWidget>("imgDelete")->isEnabled());
    EXPECT_EQ(widget<QWidget>("imgDelete")->toolTip(),
              "Needs a login with the admin role; yours is viewer.");
    EXPECT_FALSE(widget<QPushButton>("cmdSiteUsers")->isEnabled());
    EXPECT_TRUE(widget<QPushButton>("cmdChangePassword")->isEnabled());
    auto* level = window->findChild<QGroupBox*>("fraSiteTriggerLevels")->findChild<QLineEdit*>();
    ASSERT_NE(level, nullptr);
    EXPECT_TRUE(level->isReadOnly());
    // A page enabling its command again (a selection made) does not give the right.
    widget<QWidget>("imgAddReading")->setEnabled(true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(widget<QWidget>("imgAddReading")->isEnabled());

    // A write the server refuses is told in one message and nothing else: by a command that
    // would only log its failure, and by one that tells what was not saved.
    const QString insert = "INSERT INTO \"120521001\" (DateTimeKey) VALUES ('2026010512000')";
    prompter.clear();
    guarded(errorLog(), " test", [&] { window->state().db->execute(insert); });
    guarded(
        errorLog(), " test", [&](const DbError& e) { tellNotSaved(prompter, "The reading", e); },
        [&] { window->state().db->execute(insert); });
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"Your login (viewer) may not change readings.",
                           "Your login (viewer) may not change readings."}));
}

TEST_F(LoginAccessTest, AnEngineerMayAddButNotDeleteAndAFileGivesFullRights) {
    openAs("eve");
    EXPECT_EQ(loginText(), "Login: eve (engineer), not encrypted");
    EXPECT_TRUE(widget<QWidget>("imgAddSensor")->isEnabled());
    EXPECT_TRUE(widget<QWidget>("imgAddReading")->isEnabled());
    EXPECT_FALSE(widget<QWidget>("imgAddReading")->toolTip().startsWith("Needs a login"));
    EXPECT_FALSE(widget<QWidget>("imgDelete")->isEnabled());
    EXPECT_FALSE(widget<QWidget>("cmdAlarmRecipients")->isEnabled());
    EXPECT_FALSE(widget<QWidget>("imgRestore")->isEnabled());
    closeWindow();

    // The same window on the data folder's file: every command is back, with its own tooltip.
    writeLocationFile(folder(), dbPath());
    open();
    EXPECT_TRUE(loginText().endsWith("(full rights)")) << loginText().toStdString();
    EXPECT_TRUE(widget<QWidget>("imgDelete")->isEnabled());
    EXPECT_TRUE(widget<QWidget>("cmdAlarmRecipients")->isEnabled());
    EXPECT_TRUE(widget<QGroupBox>("fraSiteUsers")->isHidden());
}

TEST_F(LoginAccessTest, AServerWithoutTheRolesSaysHowToPrepareIt) {
    ServerDatabase plain;
    if (!plain.available()) {
        GTEST_SKIP() << plain.reason().toStdString();
    }
    {
        Connection db;
        db.open(plain.uri());
        createSchema(db);
    }
    writeLocationFile(folder(), plain.uri());
    open();
    EXPECT_FALSE(widget<QGroupBox>("fraSiteUsers")->isHidden());
    EXPECT_FALSE(widget<QLabel>("lblSiteAccess")->isHidden());
    EXPECT_TRUE(widget<QLabel>("lblSiteAccess")->text().contains("server init --admin NAME"));
    EXPECT_TRUE(widget<QPushButton>("cmdSiteUsers")->isHidden());
    EXPECT_TRUE(widget<QWidget>("imgDelete")->isEnabled());
}

TEST_F(LoginAccessTest, SiteUsersAddsLoginsWithQuotedNamesAndKeepsTheLastAdministrator) {
    Connection boss;
    boss.open(uriOf("boss"));
    setLoginRoleInUse(findLoginRole(boss));
    const AppContext ctx = context();
    QStringList passwords{QStringLiteral("s3cret")};
    frmSiteUsers users(boss, ctx, [&](const QString&, const QString&) -> std::optional<QString> {
        if (passwords.isEmpty()) {
            return std::nullopt;
        }
        return passwords.takeFirst();
    });
    QTableWidget* grid = users.grdSiteUsers;
    const auto names = [&] {
        QStringList shown;
        for (int row = 0; row < grid->rowCount(); ++row) {
            shown << grid->item(row, 0)->text() + "=" + grid->item(row, 1)->text();
        }
        return shown;
    };
    EXPECT_EQ(names(), (QStringList{"boss=admin", "eve=engineer", "vic=viewer"}));

    users.txtNewLogin->setText("pg_sneaky");
    users.cmdAddLogin->click();
    EXPECT_TRUE(prompter.messageTexts().last().contains("belong to the server"));

    const QString odd = QStringLiteral("Ann \"the\" O'Neil");
    users.txtNewLogin->setText(odd);
    users.cboNewRole->setCurrentText("viewer");
    users.cmdAddLogin->click();
    EXPECT_TRUE(names().contains(odd + "=viewer")) << names().join("|").toStdString();
    EXPECT_TRUE(users.txtNewLogin->text().isEmpty());

    grid->selectRow(static_cast<int>(names().indexOf("boss=admin")));
    prompter.answers.enqueue(MsgAnswer::Yes);
    users.cmdRemoveLogin->click();
    EXPECT_TRUE(prompter.messageTexts().last().contains("last administrator"))
        << prompter.messageTexts().last().toStdString();
    EXPECT_TRUE(names().contains("boss=admin"));

    grid->selectRow(static_cast<int>(names().indexOf(odd + "=viewer")));
    users.cboLoginRole->setCurrentText("engineer");
    users.cmdSetRole->click();
    EXPECT_TRUE(names().contains(odd + "=engineer"));
    grid->selectRow(static_cast<int>(names().indexOf(odd + "=engineer")));
    prompter.answers.enqueue(MsgAnswer::Yes);
    users.cmdRemoveLogin->click();
    EXPECT_FALSE(names().join("|").contains("O'Neil"));
}
} // namespace
