#include "sensors/IdentificationPage.h"

#include "app/ClickableLabel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

IdentificationPage::IdentificationPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageIdentification");
    auto* caption = new QLabel("Add or Select Sensor:", this);
    caption->setGeometry(24, 24, 200, 20);
    cboSensors = new QComboBox(this);
    cboSensors->setObjectName("cboSensors");
    cboSensors->setEditable(true);
    cboSensors->setInsertPolicy(QComboBox::NoInsert);
    cboSensors->setGeometry(24, 46, 200, 26);

    auto* idCaption = new QLabel("Instrument ID:", this);
    idCaption->setGeometry(24, 90, 200, 20);
    txtSensor = new QLineEdit(this);
    txtSensor->setObjectName("txtSensor");
    txtSensor->setReadOnly(true);
    txtSensor->setGeometry(24, 112, 200, 26);

    txtSnav = new QLineEdit(this);
    txtSnav->setObjectName("txtSnav");
    txtSnav->setReadOnly(true);
    txtSnav->setAlignment(Qt::AlignCenter);
    txtSnav->setGeometry(24, 600, 140, 26);

    Image1 = new ClickableLabel("Image1", this);
    Image1->setPixmap(QPixmap(":/logo.svg"));
    Image1->setGeometry(860, 24, 240, 120);
    Image1->setToolTip("About Quorvelle");
}
