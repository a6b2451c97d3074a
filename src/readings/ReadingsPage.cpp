#include "readings/ReadingsPage.h"

#include "readings/ReadingDeletion.h"
#include "readings/ReadingEntry.h"
#include "readings/ReadingValue.h"
#include "readings/SensorData.h"
#include "readings/ValueFilter.h"
#include "readings/frmDatasheet.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FormWidgets.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {
QLabel* note(const QString& text, QWidget* parent) {
    QLabel* label = makeCaption(text, parent, Qt::AlignLeft | Qt::AlignVCenter);
    label->setStyleSheet("color: #5d6d7e;");
    return label;
}

// An image command in a grid cell: the picture centred, the caption below.
ImageCommand placedCommand(QWidget* frame, QGridLayout& grid, const QString& imageName,
                           const QString& captionName, const QString& text, const QString& icon,
                           int row, int column) {
    ImageCommand command = makeImageCommand(frame, imageName, captionName, text, icon);
    command.caption->setAlignment(Qt::AlignCenter);
    grid.addWidget(command.image, row, column, Qt::AlignHCenter | Qt::AlignBottom);
    grid.addWidget(command.caption, row + 1, column, Qt::AlignHCenter | Qt::AlignTop);
    return command;
}

QGridLayout* commandGrid(QWidget* frame, int columns) {
    auto* grid = new QGridLayout(frame);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < columns; ++i) {
        grid->setColumnMinimumWidth(i, 76);
        grid->setColumnStretch(i, 1);
    }
    return grid;
}
} // namespace

ReadingsPage::ReadingsPage(AppState& state, const AppContext& context, QWidget* parent)
    : TabPage(parent), state_(state), context_(context),
      entry_(std::make_unique<ReadingEntry>(state, context, *this)),
      deletion_(std::make_unique<ReadingDeletion>(state, context, *this)) {
    setObjectName("pageReadings");
    // Three columns: the reading and its plot options, the node values, the commands.
    columns = new QHBoxLayout(this);
    columns->setContentsMargins(16, 16, 16, 16);
    columns->setSpacing(16);
    leftColumn = new QVBoxLayout;
    rightColumn = new QVBoxLayout;
    columns->addLayout(leftColumn, 4);
    buildReadingFrame();
    buildNodeFrame();
    columns->addLayout(rightColumn, 3);
    buildCommandFrames();

    lblError = new QLabel("Error:", this);
    lblError->setObjectName("lblError");
    lblError->setStyleSheet("color: #b03a2e; font-weight: bold;");
    lblError->hide();
    leftColumn->addWidget(lblError);
    leftColumn->addStretch(1);
    rightColumn->addStretch(1);

    connectCommands();
}

ReadingsPage::~ReadingsPage() = default;

void ReadingsPage::buildReadingFrame() {
    auto* frame = new QGroupBox("Reading:", this);
    frame->setObjectName("fraReading");
    auto* rows = new QGridLayout(frame);
    rows->setColumnStretch(2, 1);

    QLabel* caption = makeCaption("Instrument ID:", frame);
    txtSensor3 = new QLineEdit(frame);
    txtSensor3->setObjectName("txtSensor3");
    txtSensor3->setReadOnly(true);
    txtSensor3->setMinimumWidth(160);
    addRow(*rows, 0, caption, txtSensor3);

    caption = makeCaption("Reading ID:", frame);
    txtReadingID = new QLineEdit(frame);
    txtReadingID->setObjectName("txtReadingID");
    txtReadingID->setReadOnly(true);
    txtReadingID->setMinimumWidth(276);
    addRow(*rows, 1, caption, txtReadingID);

    caption = makeCaption("Reading Date:", frame);
    dtpRdate = new QDateEdit(frame);
    dtpRdate->setObjectName("dtpRdate");
    dtpRdate->setDisplayFormat("yyyy/MM/dd");
    dtpRdate->setCalendarPopup(true);
    // A date being typed is taken when the field is left, not at every keystroke.
    dtpRdate->setKeyboardTracking(false);
    rows->addWidget(caption, 2, 0);
    rows->addWidget(dtpRdate, 2, 1, Qt::AlignLeft);

    caption = makeCaption("Reading Time:", frame);
    dtpRtime = new QTimeEdit(frame);
    dtpRtime->setObjectName("dtpRtime");
    dtpRtime->setDisplayFormat("HH:mm:ss");
    dtpRtime->setKeyboardTracking(false);
    rows->addWidget(caption, 3, 0);
    rows->addWidget(dtpRtime, 3, 1, Qt::AlignLeft);
    leftColumn->addWidget(frame);

    auto* plots = new QGroupBox("Plot Options:", this);
    plots->setObjectName("fraPlots");
    auto* options = new QGridLayout(plots);
    options->setColumnStretch(1, 1);
    chkTemporal = new QCheckBox("Plot Temporal", plots);
    chkTemporal->setObjectName("chkTemporal");
    options->addWidget(chkTemporal, 0, 0);
    options->addWidget(note("(Disp v Time)", plots), 0, 1);
    chkSpatial = new QCheckBox("Plot Spatial", plots);
    chkSpatial->setObjectName("chkSpatial");
    options->addWidget(chkSpatial, 1, 0);
    options->addWidget(note("(Disp v Length)", plots), 1, 1);
    leftColumn->addWidget(plots);
}

void ReadingsPage::buildNodeFrame() {
    auto* frame = new QGroupBox("Node Readings:", this);
    frame->setObjectName("fraNodes");
    auto* rows = new QGridLayout(frame);
    rows->setColumnStretch(3, 1);
    rows->addWidget(note("Node location", frame), 0, 0, Qt::AlignRight);
    rows->addWidget(note("Reading", frame), 0, 1);

    for (int i = 1; i <= 10; ++i) {
        auto* label = new QLabel(frame);
        label->setObjectName(QStringLiteral("lbln%1").arg(i));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(118);
        // Nodes 9 and 10 have no channel box; their labels are kept but never shown.
        label->setVisible(i <= 8);
        lbln << label;
        if (i <= 8) {
            rows->addWidget(label, i, 0);
        }
    }
    for (int i = 1; i <= 8; ++i) {
        auto* box = new QLineEdit(frame);
        box->setObjectName(QStringLiteral("txtChannel%1").arg(i));
        box->setFixedWidth(100);
        box->setAlignment(Qt::AlignRight);
        tellRefusedPastes(new ValueFilter(box), i);
        txtChannel << box;
        rows->addWidget(box, i, 1);
        auto* unit = new QLabel("mm", frame);
        unit->setObjectName(QStringLiteral("lblmm%1").arg(i));
        lblmm << unit;
        rows->addWidget(unit, i, 2);
    }

    auto* line = new QFrame(frame);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    rows->addWidget(line, 9, 0, 1, 3);

    lblTempCaption = makeCaption("Temperature:", frame);
    lblTempCaption->setObjectName("lblTempCaption");
    txtChannelT = new QLineEdit(frame);
    txtChannelT->setObjectName("txtChannelT");
    txtChannelT->setFixedWidth(100);
    txtChannelT->setAlignment(Qt::AlignRight);
    tellRefusedPastes(new ValueFilter(txtChannelT), 0);
    lblTemp = new QLabel("deg C", frame);
    lblTemp->setObjectName("lblTemp");
    rows->addWidget(lblTempCaption, 10, 0);
    rows->addWidget(txtChannelT, 10, 1);
    rows->addWidget(lblTemp, 10, 2);
    rows->setRowStretch(11, 1);
    columns->addWidget(frame, 3);
}

void ReadingsPage::tellRefusedPastes(ValueFilter* filter, int channel) {
    connect(
        filter, &ValueFilter::refused, this,
        [this, channel](const QString& inserted) {
            context_.prompter->message(
                kAppTitle,
                refusedValueText(valueBoxName(channel), inserted, valueBoxUnit(channel),
                                 QStringLiteral("only digits, \",\", \"-\" and \".\" can be "
                                                "typed in the box")) +
                    ".",
                MsgIcon::Exclamation);
        },
        Qt::QueuedConnection);
}

void ReadingsPage::buildCommandFrames() {
    auto* view = new QGroupBox("View/Add Readings", this);
    view->setObjectName("fraViewAdd");
    QGridLayout* grid = commandGrid(view, 4);
    first = placedCommand(view, *grid, "imgFirst", "Label61", "First", ":/icons/first.svg", 0, 0);
    previous = placedCommand(view, *grid, "imgPrevData", "Label62", "Previous",
                             ":/icons/previous.svg", 0, 1);
    next = placedCommand(view, *grid, "imgNextData", "Label60", "Next", ":/icons/next.svg", 0, 2);
    last = placedCommand(view, *grid, "imgLast", "Label64", "Last", ":/icons/last.svg", 0, 3);
    txtRcount = new QLineEdit(view);
    txtRcount->setObjectName("txtRcount");
    txtRcount->setReadOnly(true);
    txtRcount->setAlignment(Qt::AlignCenter);
    txtRcount->setFixedWidth(120);
    grid->addWidget(txtRcount, 2, 0, 1, 4, Qt::AlignCenter);
    grid->setRowMinimumHeight(2, 40);
    // Adding and deleting sit under the middle of the four that move.
    auto* changes = new QGridLayout;
    changes->setVerticalSpacing(2);
    addNew = placedCommand(view, *changes, "imgAddReading", "Label63", "Add New", ":/icons/add.svg",
                           0, 0);
    deleteBatch = placedCommand(view, *changes, "imgDeleteReading", "Label65", "Delete/Batch",
                                ":/icons/delete.svg", 0, 1);
    changes->setColumnMinimumWidth(0, 96);
    changes->setColumnMinimumWidth(1, 96);
    grid->addLayout(changes, 3, 0, 2, 4, Qt::AlignCenter);
    rightColumn->addWidget(view);

    auto* sheet = new QGroupBox("Datasheet View:", this);
    sheet->setObjectName("fraDatasheet");
    QGridLayout* sheetGrid = commandGrid(sheet, 2);
    datasheet = placedCommand(sheet, *sheetGrid, "imgDatasheet", "Label45", "Datasheet",
                              ":/icons/datasheet.svg", 0, 0);
    report = placedCommand(sheet, *sheetGrid, "imgReport", "Label46", "Report",
                           ":/icons/report.svg", 0, 1);
    rightColumn->addWidget(sheet);

    auto* import = new QGroupBox("Import Datafiles:", this);
    import->setObjectName("fraImport");
    QGridLayout* importGrid = commandGrid(import, 1);
    imgAddTrovData = placedCommand(import, *importGrid, "imgAddTrovData", "lblAddTrovData",
                                   "Logger Data", ":/icons/import.svg", 0, 0)
                         .image;
    cboTrovInt = new QComboBox(import);
    cboTrovInt->setObjectName("cboTrovInt");
    // Any number of hours may be typed; the list offers the usual ones.
    cboTrovInt->setEditable(true);
    cboTrovInt->setInsertPolicy(QComboBox::NoInsert);
    cboTrovInt->addItems({"1", "8", "24"});
    cboTrovInt->setCurrentText("24");
    cboTrovInt->setFixedWidth(70);
    importGrid->addWidget(cboTrovInt, 0, 1, 2, 1);
    importGrid->addWidget(makeCaption("Time Period (hr)", import, Qt::AlignLeft | Qt::AlignVCenter),
                          0, 2, 2, 1);
    importGrid->setColumnStretch(2, 1);
    rightColumn->addWidget(import);

    cmdRevisions = new QPushButton("Revisions...", this);
    cmdRevisions->setObjectName("cmdRevisions");
    cmdRevisions->setToolTip("Repairs, readout changes, re-zeros and lost nodes of this sensor");
    rightColumn->addWidget(cmdRevisions, 0, Qt::AlignRight);
}

void ReadingsPage::connectCommands() {
    ReadingEntry* entry = entry_.get();
    connect(dtpRdate, &QDateEdit::dateChanged, this, [entry] { entry->dtpRdate_Change(); });
    connect(dtpRdate, &QDateEdit::editingFinished, this, [entry] { entry->dtpRdate_Change(); });
    connect(dtpRtime, &QTimeEdit::timeChanged, this, [entry] { entry->dtpRtime_Change(); });
    connect(dtpRtime, &QTimeEdit::editingFinished, this, [entry] { entry->dtpRtime_Change(); });

    connect(first.image, &ClickableLabel::clicked, this, [entry] { entry->imgFirst_Click(); });
    connect(previous.image, &ClickableLabel::clicked, this,
            [entry] { entry->imgPrevData_Click(); });
    connect(next.image, &ClickableLabel::clicked, this, [entry] { entry->imgNextData_Click(); });
    connect(last.image, &ClickableLabel::clicked, this, [entry] { entry->imgLast_Click(); });
    connect(addNew.image, &ClickableLabel::clicked, this,
            [entry] { entry->imgAddReading_Click(); });
    connect(deleteBatch.image, &ClickableLabel::clicked, this,
            [this] { deletion_->imgDeleteReading_Click(); });
    connect(datasheet.image, &ClickableLabel::clicked, this, &ReadingsPage::imgDatasheet_Click);
}

void ReadingsPage::fillreadings() {
    entry_->fillreadings();
}

void ReadingsPage::SaveReadings() {
    entry_->SaveReadings();
}

void ReadingsPage::showPosition() {
    entry_->showPosition();
}

QString ReadingsPage::enter() {
    // A logger staging file left behind by an interrupted import.
    const QString staging = QDir(state_.dataFolder).filePath("datafile.txt");
    if (QFile::exists(staging)) {
        QFile::remove(staging);
    }
    showReadingsAgain();
    return {};
}

void ReadingsPage::showReadingsAgain() {
    // The readings of another sensor must not stay on show should opening fail.
    state_.rsReadings.reset();
    OpenSensorData(state_, context_);
    // Also run when a window closes: a failure here is skipped, never passed on.
    ignoring(ErrorLog{state_.dataFolder, context_.clock}, " showReadingsAgain", [&] {
        RecordSet* rs = state_.rsReadings.get();
        if (rs && rs->isOpen() && rs->recordCount() > 0) {
            bool placed = false;
            if (state_.savedReadingMark != 0) {
                try {
                    rs->setBookmark(state_.savedReadingMark);
                    placed = true;
                } catch (const DbError&) {
                    // The remembered reading is gone; the newest is shown.
                }
            }
            if (!placed) {
                rs->moveLast();
            }
            fillreadings();
            showPosition();
        } else {
            txtRcount->setText("0 of 0");
            fillreadings();
            state_.savedReadingMark = 0;
        }
    });
}

void ReadingsPage::leave() {
    RecordSet* rs = state_.rsReadings.get();
    if (rs && rs->isOpen() && rs->absolutePosition() > 0) {
        state_.savedReadingMark = rs->bookmark();
    }
    SaveReadings();
}

void ReadingsPage::imgDatasheet_Click() {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " imgDatasheet_Click", [&] {
        SaveReadings();
        RecordSet* rs = state_.rsReadings.get();
        if (rs && rs->isOpen()) {
            // Closing the datasheet returns to the reading on screen now.
            if (rs->absolutePosition() > 0) {
                state_.savedReadingMark = rs->bookmark();
            }
            rs->close();
        }
        auto* sheet = new frmDatasheet(state_, context_, this);
        connect(sheet, &QDialog::finished, this, [this, sheet] {
            fillreadings();
            showPosition();
            sheet->deleteLater();
        });
        sheet->open();
    });
}
