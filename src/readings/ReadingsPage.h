#pragma once

#include "app/TabPage.h"

#include <QVector>

class QLabel;
class QLineEdit;

// Tab "3. Readings": the current reading of the current sensor.
class ReadingsPage : public TabPage {
    Q_OBJECT
public:
    explicit ReadingsPage(QWidget* parent = nullptr);

    QLineEdit* txtSensor3;
    // Node channel boxes txtChannel1..8, their node labels lbln1..10 and unit labels lblmm1..8.
    QVector<QLineEdit*> txtChannel;
    QVector<QLabel*> lbln;
    QVector<QLabel*> lblmm;
    QLineEdit* txtChannelT;
    QLabel* lblTemp;
    QLabel* lblTempCaption;
    QLabel* lblError;
};
