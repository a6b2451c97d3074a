#include "sensors/IdentificationPage.h"

#include "ui/FormWidgets.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>

namespace {
constexpr int kRow = 36;
constexpr int kBoxHeight = 26;

QLabel* picture(const QString& name, const QString& resource, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(QPixmap(resource));
    return label;
}
} // namespace

IdentificationPage::IdentificationPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageIdentification");

    auto* select = new QGroupBox("Add or Select Sensor:", this);
    select->setGeometry(16, 12, 420, 70);
    cboSensors = new QComboBox(select);
    cboSensors->setObjectName("cboSensors");
    cboSensors->setEditable(true);
    cboSensors->setInsertPolicy(QComboBox::NoInsert);
    // Completion is the register's own prefix search, not the combo box's.
    cboSensors->setCompleter(nullptr);
    cboSensors->setGeometry(16, 30, 220, 28);

    buildIdentity();
    buildNodes();
    buildStatus();
    buildNavigation();

    Image1 = new ClickableLabel("Image1", this);
    Image1->setPixmap(QPixmap(":/logo.svg"));
    Image1->setGeometry(860, 16, 240, 120);
    Image1->setToolTip("About Quorvelle");
}

void IdentificationPage::buildIdentity() {
    auto* frame = new QGroupBox("Sensor Details:", this);
    frame->setObjectName("fraIdentity");
    frame->setGeometry(16, 96, 420, 340);
    const int labelX = 12;
    const int labelWidth = 176;
    const int boxX = 196;
    const auto rowTop = [](int row) { return 30 + row * kRow; };

    makeCaption("Instrument ID:", frame, {labelX, rowTop(0), labelWidth, kBoxHeight});
    txtSensor = makeBox("txtSensor", frame, {boxX, rowTop(0), 200, kBoxHeight});
    txtSensor->setReadOnly(true);
    makeCaption("Date ID", frame, {labelX, rowTop(1), labelWidth, kBoxHeight});
    txtDateID = makeBox("txtDateID", frame, {boxX, rowTop(1), 90, kBoxHeight});
    makeCaption("S Type", frame, {labelX, rowTop(2), labelWidth, kBoxHeight});
    txtTypeID = makeBox("txtTypeID", frame, {boxX, rowTop(2), 90, kBoxHeight});
    makeCaption("S Number", frame, {labelX, rowTop(3), labelWidth, kBoxHeight});
    txtSensorNo = makeBox("txtSensorNo", frame, {boxX, rowTop(3), 90, kBoxHeight});
    makeCaption("Family:", frame, {labelX, rowTop(4), labelWidth, kBoxHeight});
    txtFamily = makeBox("txtFamily", frame, {boxX, rowTop(4), 200, kBoxHeight});
    makeCaption("Length of VARLO (m):", frame, {labelX, rowTop(5), labelWidth, kBoxHeight});
    txtLengthofCable = makeBox("txtLengthofCable", frame, {boxX, rowTop(5), 90, kBoxHeight});
    makeCaption("k value - Core Stiffness\n(kN/mm/m)", frame,
                {labelX, rowTop(6) - 4, labelWidth, 36});
    txtkval = makeBox("txtkval", frame, {boxX, rowTop(6), 90, kBoxHeight});
    chkPlate = new QCheckBox("Cable Bolt Plate", frame);
    chkPlate->setObjectName("chkPlate");
    chkPlate->setGeometry(boxX, rowTop(7) + 4, 200, kBoxHeight);
}

void IdentificationPage::buildNodes() {
    auto* frame = new QGroupBox("Node Location Data (m):", this);
    frame->setObjectName("fraNodes");
    frame->setGeometry(452, 12, 380, 330);
    lblLocation = new QLabel("Manufacturing Configuration:", frame);
    lblLocation->setObjectName("lblLocation");
    lblLocation->setGeometry(16, 28, 340, 22);
    lblLocation->setStyleSheet("font-weight: bold;");
    // Two columns of four: nodes 1-4 on the left, 5-8 on the right.
    for (int i = 1; i <= 8; ++i) {
        const int column = (i - 1) / 4;
        const int row = (i - 1) % 4;
        const int x = 16 + column * 180;
        const int y = 62 + row * 40;
        makeCaption(QStringLiteral("Node %1:").arg(i), frame, {x, y, 62, kBoxHeight});
        txtNode << makeBox(QStringLiteral("txtNode%1").arg(i), frame, {x + 70, y, 90, kBoxHeight});
    }

    auto* head = new QGroupBox("Head Location:", frame);
    head->setGeometry(16, 230, 348, 86);
    Option1 = new QRadioButton("Option 1 && 2 - Head at collar", head);
    Option1->setObjectName("Option1");
    Option1->setGeometry(14, 26, 320, 24);
    Option2 = new QRadioButton("Option 3 - Head at toe", head);
    Option2->setObjectName("Option2");
    Option2->setGeometry(14, 52, 320, 24);
    auto* group = new QButtonGroup(head);
    group->addButton(Option1);
    group->addButton(Option2);
    Option1->setChecked(true);
}

void IdentificationPage::buildStatus() {
    auto* frame = new QGroupBox("Sensor Status:", this);
    frame->setObjectName("fraStatus");
    frame->setGeometry(848, 152, 276, 190);
    makeCaption("Destroyed:", frame, {10, 32, 84, kBoxHeight});
    cboDestroyed = new QComboBox(frame);
    cboDestroyed->setObjectName("cboDestroyed");
    cboDestroyed->setEditable(true);
    cboDestroyed->setInsertPolicy(QComboBox::NoInsert);
    cboDestroyed->setCompleter(nullptr);
    // "Yes" or "No" only: the key handler chooses, nothing is typed, pasted or deleted.
    cboDestroyed->lineEdit()->setReadOnly(true);
    cboDestroyed->addItems({"No", "Yes"});
    cboDestroyed->setGeometry(102, 32, 90, kBoxHeight);
    makeCaption("Date:", frame, {10, 70, 84, kBoxHeight});
    txtDestructionDate = makeBox("txtDestructionDate", frame, {102, 70, 110, kBoxHeight});

    imgalive = picture("imgalive", ":/pictures/sensor_alive.svg", frame);
    imgalive->hide();
    imgdead = picture("imgdead", ":/pictures/sensor_dead.svg", frame);
    imgdead->hide();
    imgheart = new QLabel(frame);
    imgheart->setObjectName("imgheart");
    imgheart->setGeometry(102, 108, 72, 72);
    imgheart->setAlignment(Qt::AlignCenter);
    imgheart->setPixmap(imgalive->pixmap());
}

void IdentificationPage::buildNavigation() {
    auto* frame = new QGroupBox("Record Navigation:", this);
    frame->setObjectName("fraNavigation");
    frame->setGeometry(16, 452, 816, 110);
    const auto place = [frame](ImageCommand& command, int x) {
        command.image->move(x + 30, 28);
        command.caption->setParent(frame);
        command.caption->setGeometry(x, 68, 100, 24);
        command.caption->setAlignment(Qt::AlignCenter);
    };
    imgPrevious =
        makeImageCommand(frame, "imgPrevious", "Label56", "Previous", ":/icons/previous.svg");
    place(imgPrevious, 16);
    imgNext = makeImageCommand(frame, "imgNext", "Label59", "Next", ":/icons/next.svg");
    place(imgNext, 126);
    imgAddSensor = makeImageCommand(frame, "imgAddSensor", "Label57", "Add New", ":/icons/add.svg");
    place(imgAddSensor, 266);
    imgDelete = makeImageCommand(frame, "imgDelete", "Label55", "Delete", ":/icons/delete.svg");
    place(imgDelete, 376);

    makeCaption("Sensor:", frame, {540, 40, 60, kBoxHeight});
    txtSnav = makeBox("txtSnav", frame, {608, 40, 160, kBoxHeight});
    txtSnav->setReadOnly(true);
    txtSnav->setAlignment(Qt::AlignCenter);
}
