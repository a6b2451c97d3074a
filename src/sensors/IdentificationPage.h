#pragma once

#include "app/TabPage.h"

class QComboBox;
class QLineEdit;
class ClickableLabel;

// Tab "1. Identification": the sensor list and the identification part of the record.
class IdentificationPage : public TabPage {
    Q_OBJECT
public:
    explicit IdentificationPage(QWidget* parent = nullptr);

    QComboBox* cboSensors;
    QLineEdit* txtSensor;
    QLineEdit* txtSnav;
    ClickableLabel* Image1;
};
