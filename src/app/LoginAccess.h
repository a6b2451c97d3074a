#pragma once

#include "store/AccessRole.h"
#include "ui/PasswordPrompt.h"

#include <QObject>
#include <QPointer>
#include <QString>

struct AppContext;
class Connection;
class QLabel;
class QMainWindow;
class QPushButton;
class QGroupBox;
class QVBoxLayout;
class frmSiteUsers;

// What the login of the register in use may do, as the window shows it: lblLogin on the status
// bar (login, role, and a connection that is not encrypted), the commands the role may not use
// disabled with a tooltip naming the role that may (in the main window and in every window it
// opens), a refused change told in one message, and the "Site Logins:" box of the Utilities
// tab (the administrator's "Site Users" window, and a password change for every login).
class LoginAccess : public QObject {
    Q_OBJECT
public:
    // The box goes at the end of column, the label onto the window's status bar.
    LoginAccess(QMainWindow& window, const AppContext& context, QVBoxLayout& column,
                QObject* parent = nullptr);
    ~LoginAccess() override;

    // Reads the login's role on the register just opened and shows what it may do.
    void connected(Connection& db);
    // No register is open: full rights, as there is nothing to refuse.
    void disconnected();

    AccessRole role() const { return role_; }

    QLabel* lblLogin;
    QGroupBox* fraSiteUsers;
    QPushButton* cmdSiteUsers;
    QPushButton* cmdChangePassword;
    // How to prepare a server without the roles; hidden otherwise.
    QLabel* lblSiteAccess;
    // How "Change Password" and "Site Users" ask for a password.
    PasswordPrompt askPassword;

    // The role a command of the window needs; Viewer for a command every login may use.
    static AccessRole neededRole(const QString& objectName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(QWidget& top);
    void hold(QWidget& widget, AccessRole needed);
    void showSiteUsers();
    void changePassword();

    QMainWindow& window_;
    const AppContext& context_;
    Connection* db_ = nullptr;
    AccessRole role_ = AccessRole::Unrestricted;
    bool prepared_ = false;
    QPointer<frmSiteUsers> siteUsers_;
};
