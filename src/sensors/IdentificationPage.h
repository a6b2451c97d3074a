#pragma once

#include "charts/FormGeometry.h"
#include "ui/ClickableLabel.h"
#include "ui/TabPage.h"

#include <QVector>
#include <functional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Tab "1. Identification": the sensor list, the identification part of the record, its
// node layout, the retirement fields and the record navigation commands.
class IdentificationPage : public TabPage {
    Q_OBJECT
public:
    explicit IdentificationPage(QWidget* parent = nullptr);

    // Refreshes the sensor list and puts the focus on cboSensors.
    QString enter() override;
    // Saves the record on screen and shows it again as stored.
    void leave() override;

    // Run on entry: the window shows the sensors other users added or deleted meanwhile.
    std::function<void()> refreshList;
    // Saves the record on screen, then shows it as stored; set by the sensor form. A failure is
    // told by the form itself.
    std::function<void()> saveRecord;
    // The part of the installation geometry shown here: the head arrangement (Option1), the
    // cable length, the stiffness and the plate.
    FormGeometry cableGeometry() const;

    QComboBox* cboSensors;
    QLineEdit* txtSensor;
    QLineEdit* txtDateID;
    QLineEdit* txtTypeID;
    QLineEdit* txtSensorNo;
    QLineEdit* txtFamily;
    QLineEdit* txtLengthofCable;
    QLineEdit* txtkval;
    QCheckBox* chkPlate;
    QRadioButton* Option1;
    QRadioButton* Option2;

    QLabel* lblLocation;
    // Node boxes txtNode1..8.
    QVector<QLineEdit*> txtNode;

    QComboBox* cboDestroyed;
    QLineEdit* txtDestructionDate;
    // The status picture shows one of the two hidden source pictures.
    QLabel* imgheart;
    QLabel* imgalive;
    QLabel* imgdead;

    QLineEdit* txtSnav;
    ImageCommand imgPrevious;  // Label56
    ImageCommand imgNext;      // Label59
    ImageCommand imgAddSensor; // Label57
    ImageCommand imgDelete;    // Label55
    ClickableLabel* Image1;
    // Opens the sensor's history of changes.
    QPushButton* cmdHistory;

    // The page's grid: row 0 the sensor choice, nodes and logo; row 1 the details and status;
    // row 3 the navigation.
    QGridLayout* grid;

private:
    QGroupBox* buildIdentity();
    QGroupBox* buildNodes();
    QGroupBox* buildStatus();
    QGroupBox* buildNavigation();
};
