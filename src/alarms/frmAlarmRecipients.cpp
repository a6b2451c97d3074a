#include "alarms/frmAlarmRecipients.h"

#include "alarms/AlarmDelivery.h"
#include "alarms/MailSettings.h"
#include "store/AlarmStore.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "ui/AppContext.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Alarm Recipients");

QPushButton* button(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QLineEdit* box(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}
} // namespace

frmAlarmRecipients::frmAlarmRecipients(Connection& db, const AppContext& context, QWidget* parent)
    : QDialog(parent), db_(db), context_(context) {
    setObjectName("frmAlarmRecipients");
    setWindowTitle(kTitle);
    resize(620, 640);

    auto* lists = new QGroupBox("Addresses of each list (kept in the register):", this);
    cboList = new QComboBox(lists);
    cboList->setObjectName("cboList");
    cboList->addItems(alarmLists());
    lstAddresses = new QListWidget(lists);
    lstAddresses->setObjectName("lstAddresses");
    txtAddress = box("txtAddress", lists);
    txtAddress->setPlaceholderText("name@mine.example");
    cmdAdd = button("Add", "cmdAdd", lists);
    cmdRemove = button("Remove", "cmdRemove", lists);
    auto* entry = new QHBoxLayout;
    entry->addWidget(txtAddress, 1);
    entry->addWidget(cmdAdd);
    entry->addWidget(cmdRemove);
    auto* listLayout = new QVBoxLayout(lists);
    listLayout->addWidget(cboList);
    listLayout->addWidget(lstAddresses);
    listLayout->addLayout(entry);

    auto* mail = new QGroupBox("Mail server of this computer (kept in its settings file):", this);
    txtMailServer = box("txtMailServer", mail);
    txtMailServer->setPlaceholderText("smtp://mail.mine.example:587 or smtps://...:465");
    txtMailFrom = box("txtMailFrom", mail);
    txtMailUser = box("txtMailUser", mail);
    txtMailPassword = box("txtMailPassword", mail);
    txtMailPassword->setEchoMode(QLineEdit::Password);
    cmdSaveMail = button("Save Mail Settings", "cmdSaveMail", mail);
    auto* form = new QFormLayout(mail);
    form->addRow("Server:", txtMailServer);
    form->addRow("From:", txtMailFrom);
    form->addRow("User:", txtMailUser);
    form->addRow("Password:", txtMailPassword);
    form->addRow(QString(), cmdSaveMail);

    cmdSendTest = button("Send Test Message", "cmdSendTest", this);
    txtTestResult = new QPlainTextEdit(this);
    txtTestResult->setObjectName("txtTestResult");
    txtTestResult->setReadOnly(true);
    cmdClose = button("Close", "cmdClose", this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lists, 1);
    layout->addWidget(mail);
    layout->addWidget(cmdSendTest, 0, Qt::AlignLeft);
    layout->addWidget(txtTestResult);
    layout->addWidget(cmdClose, 0, Qt::AlignRight);

    connect(cboList, &QComboBox::currentIndexChanged, this, [this] { fillAddresses(); });
    connect(cmdAdd, &QPushButton::clicked, this, &frmAlarmRecipients::cmdAdd_Click);
    connect(txtAddress, &QLineEdit::returnPressed, this, &frmAlarmRecipients::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmAlarmRecipients::cmdRemove_Click);
    connect(cmdSaveMail, &QPushButton::clicked, this, &frmAlarmRecipients::cmdSaveMail_Click);
    connect(cmdSendTest, &QPushButton::clicked, this, &frmAlarmRecipients::cmdSendTest_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    fillAddresses();
    readMail();
}

frmAlarmRecipients::~frmAlarmRecipients() {
    if (test_ != nullptr) {
        test_->wait();
        delete test_;
    }
}

void frmAlarmRecipients::setSettingsFile(const QString& path) {
    settingsFile_ = path;
    readMail();
}

void frmAlarmRecipients::fillAddresses() {
    lstAddresses->clear();
    try {
        if (hasAlarmTables(db_)) {
            lstAddresses->addItems(recipientsOf(db_, cboList->currentText()));
        }
    } catch (const DbError& e) {
        context_.prompter->message(kTitle, "The addresses could not be read:\r\n" + e.description(),
                                   MsgIcon::Exclamation);
    }
}

void frmAlarmRecipients::readMail() {
    const MailSettings settings = readMailSettings(settingsFile_);
    txtMailServer->setText(settings.server);
    txtMailFrom->setText(settings.from);
    txtMailUser->setText(settings.user);
    txtMailPassword->clear();
}

void frmAlarmRecipients::cmdAdd_Click() {
    const QString address = txtAddress->text().trimmed();
    try {
        if (!addRecipient(db_, cboList->currentText(), address)) {
            context_.prompter->message(kTitle,
                                       QStringLiteral("%1 is already on the %2 list.")
                                           .arg(address, cboList->currentText()),
                                       MsgIcon::Information);
            return;
        }
    } catch (const RecipientRefused& refused) {
        context_.prompter->message(kTitle, refused.reason() + ".", MsgIcon::Exclamation);
        return;
    } catch (const DbError& e) {
        tellNotSaved(*context_.prompter, "The address " + address, e);
        return;
    }
    txtAddress->clear();
    fillAddresses();
}

void frmAlarmRecipients::cmdRemove_Click() {
    const QListWidgetItem* item = lstAddresses->currentItem();
    if (item == nullptr) {
        return;
    }
    try {
        removeRecipient(db_, cboList->currentText(), item->text());
    } catch (const DbError& e) {
        tellNotSaved(*context_.prompter, "The removal of " + item->text(), e);
        return;
    }
    fillAddresses();
}

void frmAlarmRecipients::cmdSaveMail_Click() {
    MailSettings settings = readMailSettings(settingsFile_);
    settings.server = txtMailServer->text().trimmed();
    settings.from = txtMailFrom->text().trimmed();
    settings.user = txtMailUser->text().trimmed();
    if (!txtMailPassword->text().isEmpty()) {
        settings.password = txtMailPassword->text();
    }
    if (const auto problem = mailSettingsProblem(settings)) {
        context_.prompter->message(kTitle, *problem + ".", MsgIcon::Exclamation);
        return;
    }
    try {
        writeMailSettings(settings, settingsFile_);
    } catch (const DbError& e) {
        context_.prompter->message(kTitle, e.description() + ".", MsgIcon::Exclamation);
        return;
    }
    txtMailPassword->clear();
    txtTestResult->setPlainText("The mail settings were saved.");
}

void frmAlarmRecipients::cmdSendTest_Click() {
    if (test_ != nullptr) {
        return;
    }
    const QString location = db_.location();
    const MailSettings settings = readMailSettings(settingsFile_);
    const Clock* clock = context_.clock;
    cmdSendTest->setEnabled(false);
    txtTestResult->setPlainText("Sending a test message to every address...");
    test_ = QThread::create([this, location, settings, clock] {
        try {
            Connection db;
            db.open(location);
            answers_ = sendTestMessages(db, settings, *clock);
        } catch (const DbError& e) {
            answers_ = QStringList{"The addresses could not be read: " + e.description()};
        }
    });
    connect(test_, &QThread::finished, this, [this] {
        test_->deleteLater();
        test_ = nullptr;
        txtTestResult->setPlainText(answers_.join('\n'));
        cmdSendTest->setEnabled(true);
    });
    test_->start();
}

void frmAlarmRecipients::waitForTest() {
    while (test_ != nullptr) {
        test_->wait();
        QCoreApplication::processEvents();
    }
}
