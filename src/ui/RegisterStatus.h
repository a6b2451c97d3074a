#pragma once

#include "store/RegisterIdentity.h"

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;

// The main window's status bar entries about the register: which one is in use
// (lblRegister), whether the connection to a site server is encrypted
// (lblConnectionSecurity, empty for a file) and how the last command ended (lblLastResult).
class RegisterStatus : public QObject {
    Q_OBJECT
public:
    explicit RegisterStatus(QStatusBar& bar, QObject* parent = nullptr);

    // Names the register now open.
    void showRegister(const RegisterIdentity& identity);
    // No register is open: the start-up or a change of location failed.
    void showNoRegister();
    // The result of the last command, as it tells it.
    void showResult(const QString& text);

    QLabel* lblRegister;
    QLabel* lblConnectionSecurity;
    QLabel* lblLastResult;
};
