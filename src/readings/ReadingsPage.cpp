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
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

namespace {
constexpr int kCaptionWidth = 118;
constexpr int kFieldLeft = 144;
constexpr int kCommandWidth = 76;

QLabel* note(const QString& text, QWidget* parent, const QRect& at) {
    QLabel* label = makeCaption(text, parent, at, Qt::AlignLeft | Qt::AlignVCenter);
    label->setStyleSheet("color: #5d6d7e;");
    return label;
}

// An image command in a column of the given width: the picture centred, the caption below.
ImageCommand placedCommand(QWidget* frame, const QString& imageName, const QString& captionName,
                           const QString& text, const QString& icon, int left, int top) {
    ImageCommand command = makeImageCommand(frame, imageName, captionName, text, icon);
    command.image->move(left + (kCommandWidth - command.image->width()) / 2, top);
    command.caption->setGeometry(left, top + command.image->height() + 2, kCommandWidth, 20);
    command.caption->setAlignment(Qt::AlignCenter);
    return command;
}
} // namespace

ReadingsPage::ReadingsPage(AppState& state, const AppContext& context, QWidget* parent)
    : TabPage(parent), state_(state), context_(context),
      entry_(std::make_unique<ReadingEntry>(state, context, *this)),
      deletion_(std::make_unique<ReadingDeletion>(state, context, *this)) {
    setObjectName("pageReadings");
    buildReadingFrame();
    buildNodeFrame();
    buildCommandFrames();

    lblError = new QLabel("Error:", this);
    lblError->setObjectName("lblError");
    lblError->setGeometry(28, 372, 428, 26);
    lblError->setStyleSheet("color: #b03a2e; font-weight: bold;");
    lblError->hide();

    connectCommands();
}

ReadingsPage::~ReadingsPage() = default;

void ReadingsPage::buildReadingFrame() {
    auto* frame = new QGroupBox("Reading:", this);
    frame->setObjectName("fraReading");
    frame->setGeometry(16, 16, 440, 214);

    makeCaption("Instrument ID:", frame, {16, 32, kCaptionWidth, 26});
    txtSensor3 = new QLineEdit(frame);
    txtSensor3->setObjectName("txtSensor3");
    txtSensor3->setReadOnly(true);
    txtSensor3->setGeometry(kFieldLeft, 32, 160, 26);

    makeCaption("Reading ID:", frame, {16, 72, kCaptionWidth, 26});
    txtReadingID = new QLineEdit(frame);
    txtReadingID->setObjectName("txtReadingID");
    txtReadingID->setReadOnly(true);
    txtReadingID->setGeometry(kFieldLeft, 72, 276, 26);

    makeCaption("Reading Date:", frame, {16, 122, kCaptionWidth, 26});
    dtpRdate = new QDateEdit(frame);
    dtpRdate->setObjectName("dtpRdate");
    dtpRdate->setDisplayFormat("yyyy/MM/dd");
    dtpRdate->setCalendarPopup(true);
    // A date being typed is taken when the field is left, not at every keystroke.
    dtpRdate->setKeyboardTracking(false);
    dtpRdate->setGeometry(kFieldLeft, 122, 140, 26);

    makeCaption("Reading Time:", frame, {16, 162, kCaptionWidth, 26});
    dtpRtime = new QTimeEdit(frame);
    dtpRtime->setObjectName("dtpRtime");
    dtpRtime->setDisplayFormat("HH:mm:ss");
    dtpRtime->setKeyboardTracking(false);
    dtpRtime->setGeometry(kFieldLeft, 162, 140, 26);

    auto* plots = new QGroupBox("Plot Options:", this);
    plots->setObjectName("fraPlots");
    plots->setGeometry(16, 246, 440, 110);
    chkTemporal = new QCheckBox("Plot Temporal", plots);
    chkTemporal->setObjectName("chkTemporal");
    chkTemporal->setGeometry(24, 32, 150, 26);
    note("(Disp v Time)", plots, {180, 32, 200, 26});
    chkSpatial = new QCheckBox("Plot Spatial", plots);
    chkSpatial->setObjectName("chkSpatial");
    chkSpatial->setGeometry(24, 68, 150, 26);
    note("(Disp v Length)", plots, {180, 68, 200, 26});
}

void ReadingsPage::buildNodeFrame() {
    auto* frame = new QGroupBox("Node Readings:", this);
    frame->setObjectName("fraNodes");
    frame->setGeometry(472, 16, 300, 420);
    note("Node location", frame, {36, 28, 100, 20});
    note("Reading", frame, {148, 28, 100, 20});

    constexpr int firstRow = 52;
    constexpr int rowStep = 34;
    for (int i = 1; i <= 10; ++i) {
        auto* label = new QLabel(frame);
        label->setObjectName(QStringLiteral("lbln%1").arg(i));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(16, firstRow + (i - 1) * rowStep, kCaptionWidth, 26);
        // Nodes 9 and 10 have no channel box; their labels are kept but never shown.
        label->setVisible(i <= 8);
        lbln << label;
    }
    for (int i = 1; i <= 8; ++i) {
        auto* box = new QLineEdit(frame);
        box->setObjectName(QStringLiteral("txtChannel%1").arg(i));
        box->setGeometry(kFieldLeft, firstRow + (i - 1) * rowStep, 100, 26);
        box->setAlignment(Qt::AlignRight);
        tellRefusedPastes(new ValueFilter(box), i);
        txtChannel << box;
        auto* unit = new QLabel("mm", frame);
        unit->setObjectName(QStringLiteral("lblmm%1").arg(i));
        unit->setGeometry(250, firstRow + (i - 1) * rowStep, 40, 26);
        lblmm << unit;
    }

    auto* line = new QFrame(frame);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(16, 330, 268, 4);

    lblTempCaption = makeCaption("Temperature:", frame, {16, 350, kCaptionWidth, 26});
    lblTempCaption->setObjectName("lblTempCaption");
    txtChannelT = new QLineEdit(frame);
    txtChannelT->setObjectName("txtChannelT");
    txtChannelT->setGeometry(kFieldLeft, 350, 100, 26);
    txtChannelT->setAlignment(Qt::AlignRight);
    tellRefusedPastes(new ValueFilter(txtChannelT), 0);
    lblTemp = new QLabel("deg C", frame);
    lblTemp->setObjectName("lblTemp");
    lblTemp->setGeometry(250, 350, 44, 26);
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
    view->setGeometry(788, 16, 336, 250);
    constexpr int left = 16;
    first = placedCommand(view, "imgFirst", "Label61", "First", ":/icons/first.svg", left, 30);
    previous = placedCommand(view, "imgPrevData", "Label62", "Previous", ":/icons/previous.svg",
                             left + kCommandWidth, 30);
    next = placedCommand(view, "imgNextData", "Label60", "Next", ":/icons/next.svg",
                         left + 2 * kCommandWidth, 30);
    last = placedCommand(view, "imgLast", "Label64", "Last", ":/icons/last.svg",
                         left + 3 * kCommandWidth, 30);
    txtRcount = new QLineEdit(view);
    txtRcount->setObjectName("txtRcount");
    txtRcount->setReadOnly(true);
    txtRcount->setAlignment(Qt::AlignCenter);
    txtRcount->setGeometry(108, 108, 120, 26);
    addNew = placedCommand(view, "imgAddReading", "Label63", "Add New", ":/icons/add.svg",
                           left + kCommandWidth / 2 + 16, 160);
    deleteBatch = placedCommand(view, "imgDeleteReading", "Label65", "Delete/Batch",
                                ":/icons/delete.svg", left + 2 * kCommandWidth + 8, 160);
    deleteBatch.caption->setGeometry(deleteBatch.caption->x() - 10, deleteBatch.caption->y(),
                                     kCommandWidth + 20, 20);

    auto* sheet = new QGroupBox("Datasheet View:", this);
    sheet->setObjectName("fraDatasheet");
    sheet->setGeometry(788, 282, 336, 110);
    datasheet = placedCommand(sheet, "imgDatasheet", "Label45", "Datasheet",
                              ":/icons/datasheet.svg", left + kCommandWidth / 2 + 16, 30);
    report = placedCommand(sheet, "imgReport", "Label46", "Report", ":/icons/report.svg",
                           left + 2 * kCommandWidth + 8, 30);

    auto* import = new QGroupBox("Import Datafiles:", this);
    import->setObjectName("fraImport");
    import->setGeometry(788, 408, 336, 110);
    imgAddTrovData = placedCommand(import, "imgAddTrovData", "lblAddTrovData", "Logger Data",
                                   ":/icons/import.svg", left, 30)
                         .image;
    cboTrovInt = new QComboBox(import);
    cboTrovInt->setObjectName("cboTrovInt");
    // Any number of hours may be typed; the list offers the usual ones.
    cboTrovInt->setEditable(true);
    cboTrovInt->setInsertPolicy(QComboBox::NoInsert);
    cboTrovInt->addItems({"1", "8", "24"});
    cboTrovInt->setCurrentText("24");
    cboTrovInt->setGeometry(128, 36, 70, 26);
    makeCaption("Time Period (hr)", import, {206, 36, 120, 26}, Qt::AlignLeft | Qt::AlignVCenter);

    cmdRevisions = new QPushButton("Revisions...", this);
    cmdRevisions->setObjectName("cmdRevisions");
    cmdRevisions->setToolTip("Repairs, readout changes, re-zeros and lost nodes of this sensor");
    cmdRevisions->setGeometry(788, 530, 140, 30);
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
    ignoring([&] {
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
