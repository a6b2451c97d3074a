#pragma once

#include "store/AuditHistory.h"
#include "store/Guard.h"

#include <QDialog>
#include <QList>

class Connection;
class Prompter;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The changes of a sensor as the audit trail recorded them (when, who, what, before → after),
// filtered by reading and by day, and the way back for deleted readings and a deleted sensor.
class frmHistory : public QDialog {
    Q_OBJECT
public:
    // instrumentId: the sensor shown first; the list also offers the deleted sensors. today:
    // the day the date filter starts at. log: where a sensor list that could not be read is
    // written.
    frmHistory(Connection& db, const QString& instrumentId, const QDate& today, Prompter& prompter,
               const ErrorLog& log, QWidget* parent = nullptr);

    // Reads the chosen sensor's changes again, with the filters.
    void refresh();
    // Restores what the selected rows deleted: a sensor, or readings. The outcome, a refusal
    // or a failure is told to the user.
    void cmdRestore_Click();
    // The entries shown, row by row.
    const QList<AuditEntry>& entries() const { return entries_; }

    QComboBox* cboHistorySensor;
    QLineEdit* txtReading;
    QCheckBox* chkSince;
    QDateEdit* dtpSince;
    QTableWidget* grdHistory;
    QLabel* lblHistoryStatus;
    QPushButton* cmdRestore;
    QPushButton* cmdClose;

signals:
    // Something was put back: sensor tells whether a whole sensor came back.
    void restored(bool sensor);

private:
    void fillSensors(const QString& current);
    QList<AuditEntry> selectedEntries() const;

    Connection& db_;
    Prompter& prompter_;
    ErrorLog log_;
    QList<AuditEntry> entries_;
};
