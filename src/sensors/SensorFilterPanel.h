#pragma once

#include "ui/ClickableLabel.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The boxes of "Filter Installed Sensors:" on the Utilities tab.
class SensorFilterPanel : public QWidget {
    Q_OBJECT
public:
    explicit SensorFilterPanel(QWidget* parent);

    QComboBox* txtFilterType;
    QLineEdit* txtFilterLevel;
    QLineEdit* txtFilterLocation;
    QLineEdit* txtStartDate;
    QLineEdit* txtEndDate;
    QCheckBox* chkDontShowDestroyed;
    ImageCommand imgFilter; // caption lblFilterState
    // Hidden sources of the command's two pictures.
    QLabel* imgApplyFilter;
    QLabel* imgRemoveFilter;
    QLabel* lblFilter;
};
