#pragma once

#include "ui/Prompter.h"

#include <QDialog>

class QLineEdit;
class QSpinBox;
class QPushButton;

// The site server dialog: host, port, database and user of a server register, and a
// password for this run only. Connect is offered once host, database and user are filled.
class frmServerLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmServerLogin(const ServerLogin& initial, QWidget* parent = nullptr);

    ServerLoginAnswer answer() const;

    QLineEdit* txtServerHost;
    QSpinBox* txtServerPort;
    QLineEdit* txtServerDatabase;
    QLineEdit* txtServerUser;
    QLineEdit* txtServerPassword;
    QPushButton* cmdConnect;
    QPushButton* cmdCancel;

private:
    void updateConnect();
};
