#pragma once

#include <QDialog>
#include <QStringList>

class Connection;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QThread;
struct AppContext;

// "Alarm Recipients": the addresses of each alarm list, kept in the register, and this
// computer's mail server, kept in its settings file. "Send Test Message" sends one message to
// every address off the window's thread and shows what the server answered for each.
class frmAlarmRecipients : public QDialog {
    Q_OBJECT
public:
    frmAlarmRecipients(Connection& db, const AppContext& context, QWidget* parent = nullptr);
    ~frmAlarmRecipients() override;

    // The settings file of [Mail]; empty: the program's own. Read again when set.
    void setSettingsFile(const QString& path);
    // Waits for a test under way to end and shows its answers.
    void waitForTest();

    QComboBox* cboList;
    QListWidget* lstAddresses;
    QLineEdit* txtAddress;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QLineEdit* txtMailServer;
    QLineEdit* txtMailFrom;
    QLineEdit* txtMailUser;
    QLineEdit* txtMailPassword;
    QPushButton* cmdSaveMail;
    QPushButton* cmdSendTest;
    QPlainTextEdit* txtTestResult;
    QPushButton* cmdClose;

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdSaveMail_Click();
    void cmdSendTest_Click();

private:
    void fillAddresses();
    void readMail();

    Connection& db_;
    const AppContext& context_;
    QString settingsFile_;
    QThread* test_ = nullptr;
    QStringList answers_;
};
