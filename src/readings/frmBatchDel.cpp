#include "readings/frmBatchDel.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {
QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QLabel* heading(const QString& text, QWidget* parent, const QString& style) {
    QLabel* label = caption(text, parent);
    label->setStyleSheet(style);
    return label;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setMinimumSize(160, 32);
    b->setAutoDefault(false);
    return b;
}

QCalendarWidget* calendar(const QString& name, const QDate& today, QWidget* parent) {
    auto* c = new QCalendarWidget(parent);
    c->setObjectName(name);
    c->setMinimumSize(280, 190);
    c->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    c->setGridVisible(true);
    c->setSelectedDate(today);
    return c;
}
} // namespace

frmBatchDel::frmBatchDel(const QDate& today, QWidget* parent) : QDialog(parent) {
    setObjectName("frmBatchDel");
    setWindowTitle("SensorData Deletion");

    auto* batch = new QGroupBox("BATCH DELETE a group of readings by date:", this);
    auto* dates = new QGridLayout(batch);
    dates->addWidget(caption("Select start date", batch), 0, 0);
    dates->addWidget(caption("Select end date", batch), 0, 1);
    DelStart = calendar("DelStart", today, batch);
    DelEnd = calendar("DelEnd", today, batch);
    dates->addWidget(DelStart, 1, 0);
    dates->addWidget(DelEnd, 1, 1);
    OKButton = button("OKButton", "BATCH DELETE", batch);
    dates->addWidget(OKButton, 2, 1, Qt::AlignRight);

    const QString bold = QStringLiteral("font-weight: bold;");
    QLabel* orSingle = heading("OR:", this, bold);
    QLabel* single =
        caption("Click DELETE button to confirm deletetion of current reading ->", this);
    cmdSingleDel = button("cmdSingleDel", "DELETE", this);

    QLabel* orAll = heading("OR:", this, bold);
    QLabel* all = caption("Click DELETE ALL button to confirm deletetion of ALL readings ->", this);
    Command1 = button("Command1", "DELETE ALL", this);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    QLabel* warning = heading("WARNING: These operations cannot be undone", this,
                              QStringLiteral("color: #b03a2e; font-weight: bold;"));
    CancelButton = button("CancelButton", "CANCEL", this);
    CancelButton->setDefault(true);

    auto* rows = new QGridLayout(this);
    rows->setContentsMargins(12, 12, 12, 12);
    rows->setColumnStretch(0, 1);
    rows->addWidget(batch, 0, 0, 1, 2);
    rows->addWidget(orSingle, 1, 0, 1, 2);
    rows->addWidget(single, 2, 0);
    rows->addWidget(cmdSingleDel, 2, 1);
    rows->addWidget(orAll, 3, 0, 1, 2);
    rows->addWidget(all, 4, 0);
    rows->addWidget(Command1, 4, 1);
    rows->addWidget(line, 5, 0, 1, 2);
    rows->addWidget(warning, 6, 0);
    rows->addWidget(CancelButton, 6, 1);
    rows->setSizeConstraint(QLayout::SetFixedSize);

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
