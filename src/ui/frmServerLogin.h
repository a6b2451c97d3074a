#pragma once

#include "ui/Prompter.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QPushButton;

// The site server dialog: host, port, database and user of a server register, and a
// password for this run only, and how the connection is encrypted: the sslmode (prefer unless
// the address says otherwise) and, to verify the server's certificate, the CA file that
// signed it. Connect is offered once host, database and user are filled and
// serverLoginProblem finds nothing wrong with them; otherwise lblServerProblem says why. The
// initial login's other settings are shown and given back unchanged.
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
    QComboBox* cboServerSslMode;
    QLineEdit* txtServerCaFile;
    QPushButton* cmdConnect;
    QPushButton* cmdCancel;
    QLabel* lblServerProblem;

private:
    void updateConnect();

    ServerLogin initial_;
};
