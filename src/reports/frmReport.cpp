#include "reports/frmReport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {
QCheckBox* tick(const char* name, const char* caption, QWidget* parent, const QRect& geometry) {
    auto* box = new QCheckBox(QLatin1String(caption), parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(true);
    box->setGeometry(geometry);
    return box;
}

QPushButton* button(const char* name, const char* caption, QWidget* parent, const QRect& geometry) {
    auto* b = new QPushButton(QLatin1String(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    return b;
}
} // namespace

frmReport::frmReport(QWidget* parent) : QDialog(parent) {
    setObjectName("frmReport");
    setWindowTitle("Quorvelle Reporting");
    setFixedSize(380, 250);

    Label1 = new QLabel("Select the contents to include in the report:", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(16, 14, 348, 22);
    chkCover = tick("chkCover", "Sensor Information Cover Page", this, {24, 44, 320, 24});

    Frame1 = new QGroupBox("Plots:", this);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(16, 78, 348, 100);
    // The boxes choose the two displacement charts, and say so.
    chkTemp = tick("chkTemp", "Disp v Time", Frame1, {16, 28, 300, 24});
    chkSpatial = tick("chkSpatial", "Disp v Length", Frame1, {16, 60, 300, 24});

    cmdOK = button("cmdOK", "OK", this, {168, 200, 92, 32});
    cmdOK->setDefault(true);
    cmdCancel = button("cmdCancel", "Cancel", this, {272, 200, 92, 32});

    connect(cmdOK, &QPushButton::clicked, this, &frmReport::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmReport::cmdCancel_Click);
    // Closing the window by its frame or Escape is a Cancel.
    connect(this, &QDialog::rejected, this, [this] { ReportAccepted = false; });
}

void frmReport::cmdOK_Click() {
    ReportCover = chkCover->isChecked();
    ReportTemporal = chkTemp->isChecked();
    ReportSpatial = chkSpatial->isChecked();
    ReportAccepted = true;
    accept();
}

void frmReport::cmdCancel_Click() {
    ReportAccepted = false;
    reject();
}
