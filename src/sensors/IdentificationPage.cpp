#include "sensors/IdentificationPage.h"

#include "ui/FormWidgets.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
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
    cboSensors = new QComboBox(select);
    cboSensors->setObjectName("cboSensors");
    cboSensors->setEditable(true);
    cboSensors->setInsertPolicy(QComboBox::NoInsert);
    // Completion is the register's own prefix search, not the combo box's.
    cboSensors->setCompleter(nullptr);
    cboSensors->setMinimumWidth(220);
    auto* selectRow = new QHBoxLayout(select);
    selectRow->addWidget(cboSensors);
    selectRow->addStretch(1);

    QGroupBox* identity = buildIdentity();
    QGroupBox* nodes = buildNodes();
    QGroupBox* status = buildStatus();
    QGroupBox* navigation = buildNavigation();

    Image1 = new ClickableLabel("Image1", this);
    Image1->setPixmap(QPixmap(":/logo.svg"));
    Image1->setToolTip("About Quorvelle");
    Image1->setAlignment(Qt::AlignCenter);
    Image1->makeKeyboardCommand();

    // Three columns: the record on the left, its nodes in the middle, logo and status on the
    // right; the navigation runs under the first two.
    grid = new QGridLayout(this);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    grid->addWidget(select, 0, 0);
    grid->addWidget(identity, 1, 0, 2, 1);
    grid->addWidget(nodes, 0, 1, 2, 1);
    grid->addWidget(Image1, 0, 2, Qt::AlignCenter);
    grid->addWidget(status, 1, 2, Qt::AlignTop);
    grid->addWidget(navigation, 3, 0, 1, 2);
    grid->setRowStretch(2, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 4);
    grid->setColumnStretch(1, 4);
    grid->setColumnStretch(2, 3);
}

QGroupBox* IdentificationPage::buildIdentity() {
    auto* frame = new QGroupBox("Sensor Details:", this);
    frame->setObjectName("fraIdentity");
    auto* rows = new QGridLayout(frame);
    rows->setColumnStretch(2, 1);
    addRow(*rows, 0, makeCaption("Instrument ID:", frame), txtSensor = makeBox("txtSensor", frame));
    txtSensor->setReadOnly(true);
    addRow(*rows, 1, makeCaption("Date ID", frame), txtDateID = makeBox("txtDateID", frame, 10));
    addRow(*rows, 2, makeCaption("S Type", frame), txtTypeID = makeBox("txtTypeID", frame, 10));
    addRow(*rows, 3, makeCaption("S Number", frame),
           txtSensorNo = makeBox("txtSensorNo", frame, 10));
    addRow(*rows, 4, makeCaption("Family:", frame), txtFamily = makeBox("txtFamily", frame));
    addRow(*rows, 5, makeCaption("Length of VARLO (m):", frame),
           txtLengthofCable = makeBox("txtLengthofCable", frame, 10));
    addRow(*rows, 6, makeCaption("k value - Core Stiffness\n(kN/mm/m)", frame),
           txtkval = makeBox("txtkval", frame, 10));
    chkPlate = new QCheckBox("Cable Bolt Plate", frame);
    chkPlate->setObjectName("chkPlate");
    rows->addWidget(chkPlate, 7, 1);
    rows->setRowStretch(8, 1);
    return frame;
}

QGroupBox* IdentificationPage::buildNodes() {
    auto* frame = new QGroupBox("Node Location Data (m):", this);
    frame->setObjectName("fraNodes");
    auto* column = new QVBoxLayout(frame);
    lblLocation = new QLabel("Manufacturing Configuration:", frame);
    lblLocation->setObjectName("lblLocation");
    lblLocation->setStyleSheet("font-weight: bold;");
    column->addWidget(lblLocation);
    // Two columns of four: nodes 1-4 on the left, 5-8 on the right.
    auto* boxes = new QGridLayout;
    boxes->setHorizontalSpacing(8);
    boxes->setColumnMinimumWidth(2, 16);
    for (int i = 1; i <= 8; ++i) {
        const int column = (i - 1) / 4 * 3;
        const int row = (i - 1) % 4;
        boxes->addWidget(makeCaption(QStringLiteral("Node %1:").arg(i), frame), row,
                         column == 0 ? 0 : 3);
        txtNode << makeBox(QStringLiteral("txtNode%1").arg(i), frame, 10);
        boxes->addWidget(txtNode.last(), row, column == 0 ? 1 : 4);
    }
    boxes->setColumnStretch(5, 1);
    column->addLayout(boxes);
    column->addStretch(1);

    auto* head = new QGroupBox("Head Location:", frame);
    Option1 = new QRadioButton("Option 1 && 2 - Head at collar", head);
    Option1->setObjectName("Option1");
    Option2 = new QRadioButton("Option 3 - Head at toe", head);
    Option2->setObjectName("Option2");
    auto* options = new QVBoxLayout(head);
    options->addWidget(Option1);
    options->addWidget(Option2);
    auto* group = new QButtonGroup(head);
    group->addButton(Option1);
    group->addButton(Option2);
    Option1->setChecked(true);
    column->addWidget(head);
    return frame;
}

QGroupBox* IdentificationPage::buildStatus() {
    auto* frame = new QGroupBox("Sensor Status:", this);
    frame->setObjectName("fraStatus");
    auto* rows = new QGridLayout(frame);
    rows->setColumnStretch(2, 1);
    QLabel* destroyed = makeCaption("Destroyed:", frame);
    cboDestroyed = new QComboBox(frame);
    cboDestroyed->setObjectName("cboDestroyed");
    cboDestroyed->setEditable(true);
    cboDestroyed->setInsertPolicy(QComboBox::NoInsert);
    cboDestroyed->setCompleter(nullptr);
    // "Yes" or "No" only: the key handler chooses, nothing is typed, pasted or deleted.
    cboDestroyed->lineEdit()->setReadOnly(true);
    cboDestroyed->addItems({"No", "Yes"});
    addRow(*rows, 0, destroyed, cboDestroyed);
    addRow(*rows, 1, makeCaption("Date:", frame),
           txtDestructionDate = makeBox("txtDestructionDate", frame, 12));

    imgalive = picture("imgalive", ":/pictures/sensor_alive.svg", frame);
    imgalive->hide();
    imgdead = picture("imgdead", ":/pictures/sensor_dead.svg", frame);
    imgdead->hide();
    imgheart = new QLabel(frame);
    imgheart->setObjectName("imgheart");
    imgheart->setFixedSize(72, 72);
    imgheart->setAlignment(Qt::AlignCenter);
    imgheart->setPixmap(imgalive->pixmap());
    rows->addWidget(imgheart, 2, 1);
    return frame;
}

QGroupBox* IdentificationPage::buildNavigation() {
    auto* frame = new QGroupBox("Record Navigation:", this);
    frame->setObjectName("fraNavigation");
    auto* row = new QGridLayout(frame);
    int column = 0;
    const auto place = [&](ImageCommand& command) {
        command.caption->setAlignment(Qt::AlignCenter);
        row->addWidget(command.image, 0, column, Qt::AlignCenter);
        row->addWidget(command.caption, 1, column, Qt::AlignCenter);
        row->setColumnMinimumWidth(column, 100);
        ++column;
    };
    imgPrevious =
        makeImageCommand(frame, "imgPrevious", "Label56", "Previous", ":/icons/previous.svg");
    place(imgPrevious);
    imgNext = makeImageCommand(frame, "imgNext", "Label59", "Next", ":/icons/next.svg");
    place(imgNext);
    // The adding and deleting commands stand apart from the two that move.
    row->setColumnMinimumWidth(column++, 30);
    imgAddSensor = makeImageCommand(frame, "imgAddSensor", "Label57", "Add New", ":/icons/add.svg");
    place(imgAddSensor);
    imgDelete = makeImageCommand(frame, "imgDelete", "Label55", "Delete", ":/icons/delete.svg");
    place(imgDelete);
    row->setColumnStretch(column++, 1);

    row->addWidget(makeCaption("Sensor:", frame), 0, column, 2, 1);
    txtSnav = makeBox("txtSnav", frame, 20);
    txtSnav->setReadOnly(true);
    txtSnav->setAlignment(Qt::AlignCenter);
    row->addWidget(txtSnav, 0, column + 1, 2, 1);
    cmdHistory = new QPushButton("History...", frame);
    cmdHistory->setObjectName("cmdHistory");
    cmdHistory->setToolTip("Who changed this sensor and its readings, and when; deleted readings "
                           "and sensors can be restored there");
    row->addWidget(cmdHistory, 0, column + 2, 2, 1);
    return frame;
}

QString IdentificationPage::enter() {
    if (refreshList) {
        refreshList();
    }
    cboSensors->setFocus();
    return {};
}

void IdentificationPage::leave() {
    if (saveRecord) {
        saveRecord();
    }
}

FormGeometry IdentificationPage::cableGeometry() const {
    FormGeometry g;
    g.headAtCollar = Option1->isChecked();
    g.lengthOfCableText = txtLengthofCable->text();
    g.kvalText = txtkval->text();
    g.plate = chkPlate->isChecked();
    return g;
}
