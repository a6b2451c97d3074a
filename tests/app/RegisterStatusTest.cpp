#include "ui/RegisterStatus.h"
#include "app/UtilitiesPage.h"
#include "sensors/InstallationPage.h"
#include "store/Connection.h"
#include "store/RegisterIdentity.h"
#include "support/MainWindowFixture.h"
#include "ui/ClickableLabel.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

class RegisterStatusTest : public OnBothEngines<MainWindowTest> {};

TEST_P(RegisterStatusTest, NamesTheRegisterInUseAndWhetherItsConnectionIsEncrypted) {
    frmQuorvelle& w = open();
    const RegisterStatus& status = *w.registerStatus;
    if (!onServer()) {
        EXPECT_EQ(status.lblRegister->toolTip(), dbPath());
        EXPECT_TRUE(status.lblConnectionSecurity->isHidden());
        return;
    }
    // The server's own names: a login left to libpq's default is shown as the one it took.
    EXPECT_EQ(status.lblRegister->toolTip(), QStringLiteral("%1 on %2:%3 as %4")
                                                 .arg(server_->name(), server_->host())
                                                 .arg(server_->port())
                                                 .arg(scalar("SELECT current_user").toString()));
    const bool encrypted =
        scalar("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()").toBool();
    EXPECT_EQ(status.lblConnectionSecurity->text(), encrypted ? "encrypted" : "not encrypted");
    EXPECT_FALSE(status.lblConnectionSecurity->isHidden());
}

TEST_P(RegisterStatusTest, TellsWhatTheLastSaveStored) {
    addSensors({"120521001"});
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(1);
    w.installation->txtLevel->setText("Level 9");
    w.installation->cmdSave->click();
    EXPECT_EQ(w.registerStatus->lblLastResult->text(), "Sensor 120521001 was saved.");
    EXPECT_EQ(scalar("SELECT Level FROM Sensors").toString(), "Level 9");

    w.SSTab1->setCurrentIndex(7);
    emit w.utilities->backup.caption->clicked();
    if (!onServer()) {
        EXPECT_EQ(w.registerStatus->lblLastResult->text(), "Backup was successful");
        // The backup reopened the register, which is named again.
        EXPECT_EQ(w.registerStatus->lblRegister->toolTip(), dbPath());
    }
}

INSTANTIATE_ON_BOTH_ENGINES(RegisterStatusTest);

TEST_F(MainWindowTest, AFileThatIsNoDatabaseLeavesNoRegisterNamed) {
    QFile file(dbPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, 'x'));
    file.close();
    frmQuorvelle& w = open();
    EXPECT_EQ(w.registerStatus->lblRegister->text(), "No register open");
    EXPECT_TRUE(w.registerStatus->lblConnectionSecurity->isHidden());
}

// Encryption as the server reports it for the session, whatever the address asked for.
TEST(RegisterIdentityTest, ASessionWithoutSslIsReportedUnencrypted) {
    ServerDatabase server;
    if (!server.available()) {
        GTEST_SKIP() << server.reason().toStdString();
    }
    Connection plain;
    plain.open(server.uri() + "?sslmode=disable");
    const RegisterIdentity identity = registerIdentity(plain, server.uri());
    ASSERT_TRUE(identity.encrypted.has_value());
    EXPECT_FALSE(*identity.encrypted);
    EXPECT_TRUE(identity.name.startsWith(server.name() + " on "));

    if (plain.scalar("SHOW ssl").toString() != "on") {
        return;
    }
    Connection secure;
    secure.open(server.uri() + "?sslmode=require");
    EXPECT_TRUE(registerIdentity(secure, server.uri()).encrypted.value_or(false));
}
