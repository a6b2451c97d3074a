#pragma once

#include "charts/FormGeometry.h"
#include "ui/TabPage.h"

#include <QVector>
#include <functional>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class QLineEdit;
class QPushButton;
class PositionBlock;
class TemperatureCorrectionBlock;
class TriggerLevelsBlock;

// Tab "2. Installation": where and how the sensor is installed, and the borehole picture
// with the head's and each anchor's distance from the roof beside it.
class InstallationPage : public TabPage {
    Q_OBJECT
public:
    explicit InstallationPage(QWidget* parent = nullptr);

    // Lays the page out for the head arrangement, reads the sensor's trigger levels,
    // temperature correction and position, then puts
    // the focus on txtLevel.
    QString enter() override;
    // Stores the trigger levels and the temperature correction typed, then saves the record.
    void leave() override;
    // The installation geometry as the form shows it, typed edits included: what the charts
    // and the report compute from.
    FormGeometry geometry() const;
    // Picture, captions and the positions of txtHead and the anchor boxes for the arrangement;
    // the picture and the boxes show as many anchors as the sensor has nodes.
    void arrangeForHead(bool atCollar);

    // Whether the head is at the collar (Option1 of the record form); set by the form.
    std::function<bool()> headAtCollar;
    // The current sensor's node count; set by the form.
    std::function<int()> nodeCount;
    // The geometry shown on "1. Identification" (FormGeometry's head, cable, stiffness and
    // plate); set by the form.
    std::function<FormGeometry()> cableGeometry;
    // Saves the record on screen, then shows it as stored; set by the form.
    std::function<void()> saveRecord;

    QLineEdit* txtSensor2;
    QLineEdit* txtLevel;
    QLineEdit* txtLocation;
    QLineEdit* txtBorehole;
    QLineEdit* txtInstallDate;
    QLineEdit* txtInstallBy;
    QLineEdit* txtPurpose;
    QLineEdit* txtNotes;
    QLabel* lblNotes;

    QLabel* lbloption;
    QLabel* imgHead;
    // The two borehole backgrounds, without the cable and anchors that imgHead draws on them.
    QLabel* imgCollar;
    QLabel* imgToe;
    QLineEdit* txtHead;
    QLineEdit* txtRecess;
    QLabel* lblRecess;
    // Anchor boxes txtRelSGanchor1..8 and the node captions beside them.
    QVector<QLineEdit*> txtRelSGanchor;
    QVector<QLabel*> anchorCaptions;
    QLabel* headCaption;
    QPushButton* cmdSave;
    // The sensor's own trigger levels.
    TriggerLevelsBlock* triggerLevels;
    // The sensor's temperature correction.
    TemperatureCorrectionBlock* temperatureCorrection;
    // The sensor's position on the mine grid.
    PositionBlock* position;

    // The installation column on the left and the head, levels and save column on the right;
    // the borehole diagram keeps its designed places between them. levelsRow holds the
    // trigger levels, with room beside them.
    QHBoxLayout* columns;
    QVBoxLayout* leftColumn;
    QVBoxLayout* rightColumn;
    QHBoxLayout* levelsRow;

private:
    void buildInstallation();
    void buildGeometry();
};
