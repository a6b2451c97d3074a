#include "reports/frmReport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QCheckBox* tick(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QLatin1String(caption), parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(true);
    return box;
}

QPushButton* button(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QLatin1String(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumSize(92, 32);
    return b;
}
} // namespace

frmReport::frmReport(QWidget* parent) : QDialog(parent) {
    setObjectName("frmReport");
    setWindowTitle("Quorvelle Reporting");

    Label1 = new QLabel("Select the contents to include in the report:", this);
    Label1->setObjectName("Label1");
    chkCover = tick("chkCover", "Sensor Information Cover Page", this);

    Frame1 = new QGroupBox("Plots:", this);
    Frame1->setObjectName("Frame1");
    // The boxes choose the two displacement charts, and say so.
    chkTemp = tick("chkTemp", "Disp v Time", Frame1);
    chkSpatial = tick("chkSpatial", "Disp v Length", Frame1);
    auto* plots = new QVBoxLayout(Frame1);
    plots->addWidget(chkTemp);
    plots->addWidget(chkSpatial);

    cmdOK = button("cmdOK", "OK", this);
    cmdOK->setDefault(true);
    cmdCancel = button("cmdCancel", "Cancel", this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 16);
    column->addWidget(Label1);
    column->addWidget(chkCover);
    column->addWidget(Frame1);
    column->addSpacing(12);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

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
