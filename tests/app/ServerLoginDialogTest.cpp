#include "ui/frmServerLogin.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

TEST(ServerLoginDialogTest, OffersConnectOnlyWhenFilledAndGivesBackWhatWasTyped) {
    frmServerLogin dialog({"db.site", 5433, "quorvelle", "ann"});
    EXPECT_EQ(dialog.txtServerHost->text(), "db.site");
    EXPECT_EQ(dialog.txtServerPort->value(), 5433);
    EXPECT_EQ(dialog.txtServerPassword->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.cmdConnect->isEnabled());

    dialog.txtServerHost->setText("  ");
    EXPECT_FALSE(dialog.cmdConnect->isEnabled());
    dialog.txtServerHost->setText(" db2.site ");
    dialog.txtServerUser->clear();
    EXPECT_FALSE(dialog.cmdConnect->isEnabled());
    dialog.txtServerUser->setText("bob");
    dialog.txtServerPassword->setText(" s3cret ");
    const ServerLoginAnswer answer = dialog.answer();
    EXPECT_EQ(answer.login, (ServerLogin{"db2.site", 5433, "quorvelle", "bob"}));
    EXPECT_EQ(answer.password, " s3cret ");
}

TEST(ServerLoginDialogTest, KeepsTheSettingsOfTheAddressWhenConfirmed) {
    const std::optional<ServerLogin> initial =
        parseServerUri("postgresql://ann@db.site:5432/quorvelle?sslmode=verify-full");
    ASSERT_TRUE(initial);
    frmServerLogin dialog(*initial);
    EXPECT_TRUE(
        dialog.findChild<QLabel*>("lblServerSettings")->text().contains("sslmode=verify-full"));
    dialog.txtServerUser->setText("bob");
    dialog.cmdConnect->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const ServerLoginAnswer answer = dialog.answer();
    EXPECT_EQ(answer.login.user, "bob");
    EXPECT_EQ(answer.login.settings, (ServerSettings{{"sslmode", "verify-full"}}));
    EXPECT_EQ(serverUri(answer.login),
              "postgresql://bob@db.site:5432/quorvelle?sslmode=verify-full");
}

TEST(ServerLoginDialogTest, RefusesAHostWithAPortOrPathInItAndSaysWhy) {
    frmServerLogin dialog({"db.site", 5432, "quorvelle", "ann"});
    EXPECT_TRUE(dialog.lblServerProblem->text().isEmpty());
    for (const QString host : {"127.0.0.1:55432/postgres?x=", "db.site/quorvelle", "db site"}) {
        dialog.txtServerHost->setText(host);
        EXPECT_FALSE(dialog.cmdConnect->isEnabled()) << host.toStdString();
        EXPECT_TRUE(dialog.lblServerProblem->text().startsWith("The site server host must be"))
            << dialog.lblServerProblem->text().toStdString();
    }
    dialog.txtServerHost->setText("ann:hunter2@db.site");
    EXPECT_FALSE(dialog.lblServerProblem->text().contains("hunter2"));

    dialog.txtServerHost->setText("db.site");
    dialog.txtServerDatabase->setText("quor\tvelle");
    EXPECT_FALSE(dialog.cmdConnect->isEnabled());
    EXPECT_TRUE(dialog.lblServerProblem->text().contains("database name"));
    dialog.txtServerDatabase->setText("quorvelle");
    EXPECT_TRUE(dialog.cmdConnect->isEnabled());
    EXPECT_TRUE(dialog.lblServerProblem->text().isEmpty());
}

TEST(ServerLoginDialogTest, TheEncryptionAndTheCaFileGoIntoTheAddress) {
    frmServerLogin plain({"db.site", 5432, "quorvelle", "ann"});
    EXPECT_EQ(plain.cboServerSslMode->currentText(), "prefer");
    EXPECT_FALSE(plain.txtServerCaFile->isEnabled());
    // prefer is the default: an address that named no mode still names none.
    EXPECT_TRUE(plain.answer().login.settings.isEmpty());

    plain.cboServerSslMode->setCurrentText("verify-full");
    EXPECT_TRUE(plain.txtServerCaFile->isEnabled());
    plain.txtServerCaFile->setText(" /etc/site/ca.crt ");
    EXPECT_EQ(plain.answer().login.settings,
              (ServerSettings{{"sslmode", "verify-full"}, {"sslrootcert", "/etc/site/ca.crt"}}));

    // The address's own mode and CA file are shown and kept beside its other settings.
    const std::optional<ServerLogin> named = parseServerUri(
        "postgresql://ann@db.site/quorvelle?connect_timeout=9&sslmode=require&sslrootcert=a.crt");
    ASSERT_TRUE(named);
    frmServerLogin kept(*named);
    EXPECT_EQ(kept.cboServerSslMode->currentText(), "require");
    EXPECT_EQ(kept.txtServerCaFile->text(), "a.crt");
    kept.cboServerSslMode->setCurrentText("prefer");
    kept.txtServerCaFile->clear();
    EXPECT_EQ(kept.answer().login.settings,
              (ServerSettings{{"connect_timeout", "9"}, {"sslmode", "prefer"}}));
}
