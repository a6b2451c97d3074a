#pragma once

#include <QDateTime>
#include <QDialog>
#include <QVector>

class Clock;
class Connection;
class Prompter;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;
class QTimeEdit;

// A sensor's revision list, and the way to add an entry: from the current reading or a
// chosen date and time, its kind, the node, typed offsets and a note. Entries are only added;
// a correction is a later entry on the same reading.
class frmRevisions : public QDialog {
    Q_OBJECT
public:
    // current: the FullDate of the reading on the Readings tab; invalid when none. login: who
    // the entries are stored as entered by.
    frmRevisions(Connection& db, const QString& instrumentId, int nodeCount,
                 const QDateTime& current, Prompter& prompter, const Clock& clock,
                 const QString& login, QWidget* parent = nullptr);

    // Reads the list again.
    void refresh();
    // Stores the entry the boxes describe; a refusal or failure is told to the user.
    // Returns whether it was stored.
    bool cmdAdd_Click();

    QTableWidget* grdRevisions;
    QRadioButton* optCurrentReading;
    QRadioButton* optChosenDate;
    QDateEdit* dtpRevDate;
    QTimeEdit* dtpRevTime;
    QComboBox* cboKind;
    QComboBox* cboNode;
    QVector<QLineEdit*> txtOffset; // txtOffset1..nodeCount
    QLineEdit* txtNote;
    QLabel* lblRevStatus;

signals:
    // An entry was stored: what the charts and the state show may have changed.
    void revisionAdded();

private:
    void enableBoxes();

    Connection& db_;
    QString instrumentId_;
    int nodeCount_;
    QDateTime current_;
    Prompter& prompter_;
    const Clock& clock_;
    QString login_;
};
