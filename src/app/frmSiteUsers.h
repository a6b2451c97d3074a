#pragma once

#include "store/SiteAccess.h"
#include "ui/PasswordPrompt.h"

#include <QDialog>

struct AppContext;
class Connection;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "Site Users": the logins of a prepared site server and their roles, for an administrator to
// add, remove and give another role. Every refusal (a bad name, the last administrator, a
// login the server refuses) is told and changes nothing.
class frmSiteUsers : public QDialog {
    Q_OBJECT
public:
    frmSiteUsers(Connection& db, const AppContext& context, PasswordPrompt askPassword,
                 QWidget* parent = nullptr);

    QTableWidget* grdSiteUsers;
    QLineEdit* txtNewLogin;
    QComboBox* cboNewRole;
    QPushButton* cmdAddLogin;
    QComboBox* cboLoginRole;
    QPushButton* cmdSetRole;
    QPushButton* cmdRemoveLogin;
    QPushButton* cmdClose;

    // Reads the logins again.
    void fill();

private:
    void cmdAddLogin_Click();
    void cmdSetRole_Click();
    void cmdRemoveLogin_Click();
    // The login of the selected row; empty when none is selected.
    QString selectedLogin() const;
    void tellRefused(const QString& what, const DbError& error);

    Connection& db_;
    const AppContext& context_;
    PasswordPrompt askPassword_;
};
