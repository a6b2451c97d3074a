#include "readings/ReadingsPage.h"

#include <QLabel>
#include <QLineEdit>

ReadingsPage::ReadingsPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageReadings");

    auto* idCaption = new QLabel("Instrument ID:", this);
    idCaption->setGeometry(24, 24, 120, 24);
    txtSensor3 = new QLineEdit(this);
    txtSensor3->setObjectName("txtSensor3");
    txtSensor3->setReadOnly(true);
    txtSensor3->setGeometry(150, 22, 160, 26);

    for (int i = 1; i <= 10; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("lbln%1").arg(i));
        label->setGeometry(24, 80 + (i - 1) * 34, 120, 26);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lbln << label;
    }
    for (int i = 1; i <= 8; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtChannel%1").arg(i));
        box->setGeometry(150, 80 + (i - 1) * 34, 110, 26);
        txtChannel << box;
        auto* unit = new QLabel("mm", this);
        unit->setObjectName(QStringLiteral("lblmm%1").arg(i));
        unit->setGeometry(266, 80 + (i - 1) * 34, 40, 26);
        lblmm << unit;
    }
    lblTempCaption = new QLabel("Temperature:", this);
    lblTempCaption->setObjectName("lblTempCaption");
    lblTempCaption->setGeometry(24, 364, 120, 26);
    lblTempCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtChannelT = new QLineEdit(this);
    txtChannelT->setObjectName("txtChannelT");
    txtChannelT->setGeometry(150, 364, 110, 26);
    lblTemp = new QLabel("deg C", this);
    lblTemp->setObjectName("lblTemp");
    lblTemp->setGeometry(266, 364, 50, 26);

    lblError = new QLabel("Error:", this);
    lblError->setObjectName("lblError");
    lblError->setGeometry(24, 640, 600, 24);
    lblError->setStyleSheet("color: #b03a2e; font-weight: bold;");
    lblError->hide();
}
