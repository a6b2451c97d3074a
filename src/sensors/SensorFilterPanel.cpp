#include "sensors/SensorFilterPanel.h"

#include "ui/FormWidgets.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace {
constexpr int kBoxHeight = 26;

QLabel* caption(const QString& text, QWidget* parent, int x, int y, int width) {
    return makeCaption(text, parent, QRect(x, y, width, kBoxHeight));
}

QLabel* hiddenPicture(const QString& name, const QString& resource, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(scaledPicture(resource, 32));
    label->hide();
    return label;
}
} // namespace

SensorFilterPanel::SensorFilterPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("filterPanel");
    setGeometry(parent->contentsRect().adjusted(8, 4, -8, -4));

    caption("Filter by Sensor Type:", this, 0, 8, 170);
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
    txtFilterType->setGeometry(178, 8, 200, kBoxHeight);
    caption("Filter by Level:", this, 0, 46, 170);
    txtFilterLevel = makeBox("txtFilterLevel", this, {178, 46, 200, kBoxHeight});
    caption("Filter by Location:", this, 0, 84, 170);
    txtFilterLocation = makeBox("txtFilterLocation", this, {178, 84, 200, kBoxHeight});

    auto* dates = new QGroupBox("Filter by Install Date: (yyyy/mm/dd)", this);
    dates->setObjectName("fraFilterDates");
    dates->setGeometry(40, 126, 380, 104);
    caption("Start Date:", dates, 10, 30, 120);
    txtStartDate = makeBox("txtStartDate", dates, {138, 30, 120, kBoxHeight});
    caption("End Date:", dates, 10, 66, 120);
    txtEndDate = makeBox("txtEndDate", dates, {138, 66, 120, kBoxHeight});

    chkDontShowDestroyed = new QCheckBox("Do Not Show Destroyed Sensors", this);
    chkDontShowDestroyed->setObjectName("chkDontShowDestroyed");
    chkDontShowDestroyed->setGeometry(178, 244, 300, kBoxHeight);

    imgApplyFilter = hiddenPicture("imgApplyFilter", ":/icons/filter.svg", this);
    imgRemoveFilter = hiddenPicture("imgRemoveFilter", ":/pictures/filter_remove.svg", this);
    imgFilter =
        makeImageCommand(this, "imgFilter", "lblFilterState", "Apply Filter", ":/icons/filter.svg");
    imgFilter.image->move(178, 288);
    imgFilter.caption->setGeometry(222, 294, 160, 24);
    imgFilter.image->setToolTip(QString());

    lblFilter = new QLabel("* Filter Applied *", this);
    lblFilter->setObjectName("lblFilter");
    lblFilter->setGeometry(178, 334, 240, 24);
    lblFilter->setStyleSheet("color: #b03a2e; font-weight: bold;");
    lblFilter->hide();
}
