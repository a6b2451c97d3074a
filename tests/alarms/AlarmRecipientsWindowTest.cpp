#include "alarms/frmAlarmRecipients.h"
#include "app/UtilitiesPage.h"
#include "store/AlarmStore.h"
#include "support/MainWindowFixture.h"
#include "support/SmtpSink.h"
#include "triggers/SiteStatusPage.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {
class AlarmRecipientsWindowTest : public OnBothEngines<MainWindowTest> {
protected:
    frmAlarmRecipients* openRecipients() {
        frmQuorvelle& w = open();
        w.SSTab1->setCurrentIndex(7);
        w.utilities->cmdAlarmRecipients->click();
        return w.findChild<frmAlarmRecipients*>("frmAlarmRecipients");
    }

    QStringList listed(const QString& list) {
        QStringList addresses;
        for (int i = 0; i < 10; ++i) {
            const QVariant a = scalar(
                "SELECT Address FROM AlarmRecipients WHERE ListName = ? ORDER BY RecipientID "
                "LIMIT 1 OFFSET " +
                    QString::number(i),
                {list});
            if (a.isNull()) {
                break;
            }
            addresses << a.toString();
        }
        return addresses;
    }
};
} // namespace

INSTANTIATE_ON_BOTH_ENGINES(AlarmRecipientsWindowTest);

TEST_P(AlarmRecipientsWindowTest, AddressesTypedInTheWindowAreStoredAndABadOneIsRefused) {
    if (IsSkipped()) {
        return;
    }
    frmAlarmRecipients* form = openRecipients();
    ASSERT_NE(form, nullptr);
    form->cboList->setCurrentText("red");
    form->txtAddress->setText("shift.boss@mine.example");
    form->cmdAdd->click();
    form->txtAddress->setText("Shift Boss\nBcc: x@elsewhere.example");
    form->cmdAdd->click();
    EXPECT_EQ(prompter.last().title, "Alarm Recipients");
    EXPECT_EQ(prompter.last().text, "Shift Boss Bcc: x@elsewhere.example is not an e-mail "
                                    "address: an address holds no space, tab or line break.");
    EXPECT_EQ(form->txtAddress->text(), "Shift Boss\nBcc: x@elsewhere.example");
    form->txtAddress->setText("shift.boss@mine.example");
    form->cmdAdd->click();
    EXPECT_EQ(prompter.last().text, "shift.boss@mine.example is already on the red list.");

    EXPECT_EQ(listed("red"), QStringList{"shift.boss@mine.example"});
    ASSERT_EQ(form->lstAddresses->count(), 1);
    form->cboList->setCurrentText("amber");
    EXPECT_EQ(form->lstAddresses->count(), 0);
    form->cboList->setCurrentText("red");
    form->lstAddresses->setCurrentRow(0);
    form->cmdRemove->click();
    EXPECT_TRUE(listed("red").isEmpty());
}

TEST_P(AlarmRecipientsWindowTest, TheTestMessageSaysWhatTheServerAnsweredPerAddress) {
    if (IsSkipped()) {
        return;
    }
    SmtpSink sink(SmtpSink::Options{{"gone@mine.example"}, {}, {}, false, false, 0});
    if (!sink.start()) {
        GTEST_SKIP() << "no mail server for the test: " << sink.reason().toStdString();
    }
    frmAlarmRecipients* form = openRecipients();
    ASSERT_NE(form, nullptr);
    const QString settings = path("mail.conf");
    form->setSettingsFile(settings);
    form->txtMailServer->setText(sink.url());
    form->txtMailFrom->setText("quorvelle@mine.example");
    form->txtMailPassword->setText("secret");
    form->cmdSaveMail->click();
    // The password makes the file its owner's alone (mode 0600).
    const QFileDevice::Permissions mode = QFile::permissions(settings);
    EXPECT_TRUE(mode & QFile::ReadOwner);
    EXPECT_FALSE(mode &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
    form->cboList->setCurrentText("escalation");
    form->txtAddress->setText("manager@mine.example");
    form->cmdAdd->click();
    form->txtAddress->setText("gone@mine.example");
    form->cmdAdd->click();

    form->cmdSendTest->click();
    form->waitForTest();
    const QString answers = form->txtTestResult->toPlainText();
    EXPECT_TRUE(answers.contains("escalation manager@mine.example: 250")) << answers.toStdString();
    EXPECT_TRUE(answers.contains("escalation gone@mine.example: 550")) << answers.toStdString();
    EXPECT_EQ(sink.messages().size(), 1);
    // Test messages are not alarm messages: the outbox keeps none.
    EXPECT_EQ(scalar("SELECT count(*) FROM AlarmOutbox").toInt(), 0);
}
