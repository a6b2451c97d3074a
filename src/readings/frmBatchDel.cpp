#include "readings/frmBatchDel.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {
QLabel* caption(const QString& text, QWidget* parent, const QRect& at) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(at);
    label->setWordWrap(true);
    return label;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent, const QRect& at) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(at);
    b->setAutoDefault(false);
    return b;
}

QCalendarWidget* calendar(const QString& name, const QDate& today, QWidget* parent,
                          const QRect& at) {
    auto* c = new QCalendarWidget(parent);
    c->setObjectName(name);
    c->setGeometry(at);
    c->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    c->setGridVisible(true);
    c->setSelectedDate(today);
    return c;
}
} // namespace

frmBatchDel::frmBatchDel(const QDate& today, QWidget* parent) : QDialog(parent) {
    setObjectName("frmBatchDel");
    setWindowTitle("SensorData Deletion");
    setFixedSize(640, 520);

    auto* batch = new QGroupBox("BATCH DELETE a group of readings by date:", this);
    batch->setGeometry(12, 12, 616, 300);
    caption("Select start date", batch, {16, 28, 280, 20});
    caption("Select end date", batch, {316, 28, 280, 20});
    DelStart = calendar("DelStart", today, batch, {16, 50, 280, 190});
    DelEnd = calendar("DelEnd", today, batch, {316, 50, 280, 190});
    OKButton = button("OKButton", "BATCH DELETE", batch, {436, 252, 160, 32});

    caption("OR:", this, {12, 322, 60, 20})->setStyleSheet("font-weight: bold;");
    caption("Click DELETE button to confirm deletetion of current reading ->", this,
            {28, 346, 420, 32});
    cmdSingleDel = button("cmdSingleDel", "DELETE", this, {468, 346, 160, 32});

    caption("OR:", this, {12, 390, 60, 20})->setStyleSheet("font-weight: bold;");
    caption("Click DELETE ALL button to confirm deletetion of ALL readings ->", this,
            {28, 414, 420, 32});
    Command1 = button("Command1", "DELETE ALL", this, {468, 414, 160, 32});

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(12, 456, 616, 4);
    caption("WARNING: These operations cannot be undone", this, {12, 472, 420, 32})
        ->setStyleSheet("color: #b03a2e; font-weight: bold;");
    CancelButton = button("CancelButton", "CANCEL", this, {468, 472, 160, 32});
    CancelButton->setDefault(true);

    connect(OKButton, &QPushButton::clicked, this, &frmBatchDel::OKButton_Click);
    connect(cmdSingleDel, &QPushButton::clicked, this, &frmBatchDel::cmdSingleDel_Click);
    connect(Command1, &QPushButton::clicked, this, &frmBatchDel::Command1_Click);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void frmBatchDel::OKButton_Click() {
    BatchDelete = true;
    DeleteStartDate = DelStart->selectedDate();
    DeleteEndDate = DelEnd->selectedDate();
    accept();
}

void frmBatchDel::cmdSingleDel_Click() {
    SingleDelete = true;
    accept();
}

void frmBatchDel::Command1_Click() {
    DeleteAll = true;
    accept();
}
