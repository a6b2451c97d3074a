#pragma once

#include "checks/ReadingChecks.h"

#include <QDialog>
#include <QList>

class Connection;
class QLineEdit;
class QPushButton;
struct AppContext;

// "Reading Checks": the site's thresholds of the reading checks, as stored in the register
// (the defaults until they are set). Save stores them when every box holds a usable number;
// otherwise the user is told what is wrong and nothing is stored.
class frmReadingChecks : public QDialog {
    Q_OBJECT
public:
    frmReadingChecks(Connection& db, const AppContext& context, QWidget* parent = nullptr);

    QLineEdit* txtChannelMin;
    QLineEdit* txtChannelMax;
    QLineEdit* txtTemperatureMin;
    QLineEdit* txtTemperatureMax;
    QLineEdit* txtSpikeNeighbours;
    QLineEdit* txtSpikeThreshold;
    QLineEdit* txtMaxRate;
    QLineEdit* txtFlatCount;
    QPushButton* cmdSaveChecks;

    void cmdSaveChecks_Click();

private:
    void showSettings(const CheckSettings& settings);

    Connection& db_;
    const AppContext& context_;
};
