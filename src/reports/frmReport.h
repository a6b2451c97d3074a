#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

// "Quorvelle Reporting": what the sensor report includes. The window is hidden, not
// discarded, when it closes, so that the ticks stay as the user left them.
class frmReport : public QDialog {
    Q_OBJECT
public:
    explicit frmReport(QWidget* parent = nullptr);

    QLabel* Label1;
    QCheckBox* chkCover;
    QGroupBox* Frame1;
    QCheckBox* chkTemp;
    QCheckBox* chkSpatial;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // Set when the window closes: accepted after OK, and the ticks as they were at OK.
    bool ReportAccepted = false;
    bool ReportCover = false;
    bool ReportTemporal = false;
    bool ReportSpatial = false;

private:
    void cmdOK_Click();
    void cmdCancel_Click();
};
