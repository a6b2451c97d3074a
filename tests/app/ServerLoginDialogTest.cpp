#include "ui/frmServerLogin.h"

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
