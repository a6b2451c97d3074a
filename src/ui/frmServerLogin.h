#pragma once

#include "ui/Prompter.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QSpinBox;
class QPushButton;

// The site server dialog: host, port, database and user of a server register, and a
// password for this run only. Connect is offered once host, database and user are filled and
// serverLoginProblem finds nothing wrong with them; otherwise lblServerProblem says why. The
// settings of the initial login (sslmode and the like) are shown and given back unchanged.
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
    QLabel* lblServerProblem;

private:
    void updateConnect();

    ServerLogin initial_;
};
