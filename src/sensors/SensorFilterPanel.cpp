#include "sensors/SensorFilterPanel.h"

#include "ui/FormWidgets.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace {
QLabel* hiddenPicture(const QString& name, const QString& resource, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(scaledPicture(resource, 32));
    label->hide();
    return label;
}

// A captioned box of the given width on a row of the grid.
QLineEdit* boxRow(QGridLayout& rows, int row, const QString& caption, const QString& name,
                  int width, QWidget* parent) {
    QLabel* label = makeCaption(caption, parent);
    QLineEdit* box = makeBox(name, parent);
    box->setFixedWidth(width);
    addRow(rows, row, label, box);
    return box;
}
} // namespace

SensorFilterPanel::SensorFilterPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("filterPanel");
    auto* rows = new QGridLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setColumnStretch(2, 1);

    QLabel* typeCaption = makeCaption("Filter by Sensor Type:", this);
    txtFilterType = new QComboBox(this);
    txtFilterType->setObjectName("txtFilterType");
    txtFilterType->setEditable(true);
    txtFilterType->setInsertPolicy(QComboBox::NoInsert);
    // A typed code stays as typed: "2" must not quietly become the list's "21: k1VARLO".
    txtFilterType->setCompleter(nullptr);
    txtFilterType->addItems({"21: k1VARLO", "31: k2VARLO", "41: k3VARLO", "51: k4VARLO",
                             "61: k5VARLO", "71: k6VARLO", "81: k7VARLO", "91: k8VARLO"});
    txtFilterType->setCurrentIndex(-1);
    txtFilterType->setEditText(QString());
    txtFilterType->setFixedWidth(200);
    addRow(*rows, 0, typeCaption, txtFilterType);
    txtFilterLevel = boxRow(*rows, 1, "Filter by Level:", "txtFilterLevel", 200, this);
    txtFilterLocation = boxRow(*rows, 2, "Filter by Location:", "txtFilterLocation", 200, this);

    auto* dates = new QGroupBox("Filter by Install Date: (yyyy/mm/dd)", this);
    dates->setObjectName("fraFilterDates");
    auto* dateRows = new QGridLayout(dates);
    dateRows->setColumnStretch(2, 1);
    txtStartDate = boxRow(*dateRows, 0, "Start Date:", "txtStartDate", 120, dates);
    txtEndDate = boxRow(*dateRows, 1, "End Date:", "txtEndDate", 120, dates);
    rows->addWidget(dates, 3, 0, 1, 3);

    chkDontShowDestroyed = new QCheckBox("Do Not Show Destroyed Sensors", this);
    chkDontShowDestroyed->setObjectName("chkDontShowDestroyed");
    rows->addWidget(chkDontShowDestroyed, 4, 1, 1, 2);

    imgApplyFilter = hiddenPicture("imgApplyFilter", ":/icons/filter.svg", this);
    imgRemoveFilter = hiddenPicture("imgRemoveFilter", ":/pictures/filter_remove.svg", this);
    imgFilter =
        makeImageCommand(this, "imgFilter", "lblFilterState", "Apply Filter", ":/icons/filter.svg");
    imgFilter.image->setToolTip(QString());
    auto* command = new QHBoxLayout;
    command->addWidget(imgFilter.image);
    command->addWidget(imgFilter.caption, 1);
    rows->addLayout(command, 5, 1, 1, 2);

    lblFilter = new QLabel("* Filter Applied *", this);
    lblFilter->setObjectName("lblFilter");
    lblFilter->setStyleSheet("color: #b03a2e; font-weight: bold;");
    lblFilter->hide();
    rows->addWidget(lblFilter, 6, 1, 1, 2);
    rows->setRowStretch(7, 1);
}
