#include "readings/frmDatasheet.h"

#include "checks/ReadingCheckRun.h"
#include "checks/ReadingFlagStore.h"
#include "readings/DatasheetData.h"
#include "readings/DatasheetModel.h"
#include "readings/GridExport.h"
#include "readings/MarkGrid.h"
#include "readings/ReadingValue.h"
#include "readings/RevisionSheet.h"
#include "readings/SensorData.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "store/LoginName.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/ClickableLabel.h"
#include "ui/Desktop.h"
#include "ui/FailureMessages.h"
#include "ui/FormWidgets.h"
#include "ui/Prompter.h"

#include <QBoxLayout>
#include <QDir>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>

namespace {
const QString kOnlyChannels = QStringLiteral("Only Channel Data is editable in this datasheet\r\n"
                                             "Please use the main form to change dates and times");
const QString kNumbersOnly =
    QStringLiteral("Channel Data must be a numeric value\r\n"
                   "Use the backspace key to delete, field accepts numeric values only");
// The column of ChannelT; the node channels follow it.
constexpr int kChannelTColumn = 3;
constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kEnter = 13;

} // namespace

frmDatasheet::frmDatasheet(AppState& state, const AppContext& context, QWidget* parent)
    : QDialog(parent), state_(state), context_(context), model_(new DatasheetModel(this)) {
    setObjectName("frmDatasheet");
    setWindowTitle("Quorvelle DataSheet");

    lblHeader = new QLabel(this);
    lblHeader->setObjectName("lblHeader");
    lblHeader->setStyleSheet("font-size: 12pt; font-weight: bold;");

    const MarkPictures marks = makeMarkPictures(this);
    img_x_on = marks.on;
    img_x_off = marks.off;
    MSFlexGrid1 = makeMarkGrid(this, model_, marks);
    MSFlexGrid1->installEventFilter(this);

    Command1 = new QPushButton("Check All Plot Temporal", this);
    Command1->setObjectName("Command1");
    Command1->setAutoDefault(false);
    Command1->setMinimumSize(220, 32);

    cmdReject = new QPushButton("Reject / Restore Reading", this);
    cmdReject->setObjectName("cmdReject");
    cmdReject->setAutoDefault(false);
    cmdReject->setMinimumHeight(32);
    cmdReject->setToolTip("Leave the current reading out of the charts, the report and the "
                          "trigger states (it is kept), or bring a rejected one back");

    Image1 = new ClickableLabel("Image1", this);
    Image1->setPixmap(QPixmap(":/icons/spreadsheet.svg"));
    Image1->setFixedSize(40, 40);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setToolTip("Export the grid to a spreadsheet");
    Image1->makeKeyboardCommand();
    auto* exportCaption = new ClickableLabel("lblExport", this);
    exportCaption->setText("Export to spreadsheet");
    connect(exportCaption, &ClickableLabel::clicked, Image1, &ClickableLabel::clicked);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(cmdReject);
    buttons->addStretch();
    buttons->addWidget(exportCaption);
    buttons->addWidget(Image1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(lblHeader);
    layout->addWidget(MSFlexGrid1, 1);
    layout->addLayout(buttons);

    connect(MSFlexGrid1, &QTableView::clicked, this, &frmDatasheet::MSFlexGrid1_Click);
    // A data cell made current, by any means, takes over from the heading cell.
    connect(MSFlexGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    model_->setCurrentHeading(-1);
                }
            });
    connect(Command1, &QPushButton::clicked, this, &frmDatasheet::Command1_Click);
    connect(cmdReject, &QPushButton::clicked, this, &frmDatasheet::cmdReject_Click);
    connect(Image1, &ClickableLabel::clicked, this, &frmDatasheet::Image1_Click);
    connect(this, &QDialog::finished, this, &frmDatasheet::Form_Unload);

    Form_Load();
}

ErrorLog frmDatasheet::log() const {
    return ErrorLog{state_.dataFolder, context_.clock};
}

void frmDatasheet::Form_Load() {
    guarded(log(), " frmDatasheet.Form_Load", [&] {
        RecordSet* rs = state_.rsReadings.get();
        if (rs && rs->isOpen()) {
            if (rs->absolutePosition() > 0) {
                state_.savedReadingMark = rs->bookmark();
            }
            rs->close();
        }
        SheetDirty = false;
        OpenSensorData(state_, context_);
        instrumentId_ = state_.currentInstrumentId();
        typeDigit_ = datasheetTypeDigit(instrumentId_);
        lblHeader->setText("Data for Sensor " + instrumentId_);
        PopulateFlexGrid();
    });
}

bool frmDatasheet::PopulateFlexGrid() {
    try {
        if (!state_.rsReadings || !state_.rsReadings->isOpen()) {
            model_->setNoReadings();
            return false;
        }
        QVector<DatasheetRow> rows = readDatasheetRows(*state_.db, instrumentId_);
        if (rows.isEmpty()) {
            model_->setNoReadings();
            return true;
        }
        // The texts of a row are read when it first comes into view, so a sheet of years of
        // readings opens at once.
        model_->setSheet(
            typeDigit_, std::move(rows), [this](QVector<DatasheetRow>& all, int first, int count) {
                loadDatasheetCells(*state_.db, instrumentId_, typeDigit_, all, first, count);
            });
        showChecks();
        setColumnWidths();
        MSFlexGrid1->setCurrentIndex(model_->index(0, 0));
        return true;
    } catch (const DbError&) {
        return false;
    }
}

void frmDatasheet::setColumnWidths() {
    const QVector<int> widths = datasheetWidths(typeDigit_);
    const QFontMetrics cells = MSFlexGrid1->fontMetrics();
    const QFontMetrics headings = MSFlexGrid1->horizontalHeader()->fontMetrics();
    constexpr int padding = 14;
    int total = 0;
    for (int c = 0; c < model_->columnCount(); ++c) {
        int width = c < widths.size() ? widths[c] : MSFlexGrid1->columnWidth(c);
        // The designed widths suit a narrower font than this desktop's: a column is widened
        // so that its heading and the first reading's text show whole.
        const QString heading = model_->headerData(c, Qt::Horizontal).toString();
        const QString sample = model_->text(model_->index(0, c));
        width = std::max({width, headings.horizontalAdvance(heading) + padding,
                          cells.horizontalAdvance(sample) + padding});
        MSFlexGrid1->setColumnWidth(c, width);
        total += width;
    }
    // The window takes the grid's width, within reason.
    const int wanted = total + MSFlexGrid1->verticalScrollBar()->sizeHint().width() +
                       2 * MSFlexGrid1->frameWidth() + 32;
    resize(fittedToScreen(*this, QSize(std::clamp(wanted, 640, 1400), 680)));
}

void frmDatasheet::MSFlexGrid1_Click(const QModelIndex& index) {
    if (model_->toggleMark(index)) {
        SheetDirty = true;
    }
}

void frmDatasheet::showChecks() {
    guarded(log(), " frmDatasheet.ShowChecks", [&] {
        QHash<QString, QString> rejected;
        for (const Rejection& entry : readRejections(*state_.db, instrumentId_)) {
            if (entry.rejected) {
                const QDateTime at =
                    QDateTime::fromString(entry.enteredAt, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                rejected[entry.key] = "Rejected by " + entry.enteredBy + " on " +
                                      at.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) + ": " +
                                      entry.reason;
            } else {
                rejected.remove(entry.key);
            }
        }
        model_->setChecks(flagsByKey(readFlags(*state_.db, instrumentId_)), rejected);
    });
}

void frmDatasheet::cmdReject_Click() {
    const QModelIndex cell = MSFlexGrid1->currentIndex();
    if (!cell.isValid() || model_->rowCount() == 0) {
        context_.prompter->message(kOmbrevaultTitle, "Choose a reading in the grid first.",
                                   MsgIcon::Information);
        return;
    }
    const QString key = model_->keyAt(cell.row());
    const bool reject = !model_->isRejected(cell.row());
    const std::optional<QString> reason = context_.prompter->input(
        reject ? QStringLiteral("Reject Reading") : QStringLiteral("Restore Reading"),
        (reject ? "Why is the reading " + key + " rejected?"
                : "Why is the reading " + key + " restored?"));
    if (!reason) {
        return;
    }
    const auto lost = [&](const DbError& e) {
        tellNotSaved(*context_.prompter,
                     reject ? QStringLiteral("The rejection") : QStringLiteral("The restoration"),
                     e);
    };
    guarded(log(), " cmdReject_Click", lost, [&] {
        try {
            rejectReading(*state_.db, instrumentId_, key, reject, *reason, loginName(),
                          context_.clock->now());
        } catch (const RejectionRefused& refused) {
            context_.prompter->message(kOmbrevaultTitle, refused.reason(), MsgIcon::Exclamation);
            return;
        }
        checkReadingsOf(state_, context_, instrumentId_, ChangedReadings{{key}, {}, {}});
        showChecks();
    });
}

void frmDatasheet::Command1_Click() {
    SheetDirty = true;
    model_->checkAllTemporal();
}

void frmDatasheet::MSFlexGrid1_KeyPress(int key) {
    guarded(log(), " frmDatasheet.MSFlexGri1_KeyPress", [&] {
        // Grid rows count the heading row as 0, where Tab goes from the last cell.
        const int heading = model_->currentHeading();
        const QModelIndex cell = MSFlexGrid1->currentIndex();
        if (heading < 0 && !cell.isValid()) {
            return;
        }
        const int row = heading >= 0 ? 0 : cell.row() + 1;
        const int column = heading >= 0 ? heading : cell.column();
        switch (datasheetKey(column, key)) {
        case SheetKey::Nothing:
            break;
        case SheetKey::Append:
            // The headings are no data: typing there changes nothing.
            if (row > 0) {
                const QString typed = model_->text(cell) + QChar(key);
                // A point at the end is a number still being typed.
                const QString problem =
                    readingValueProblem(typed.endsWith('.') ? typed + '0' : typed);
                if (!problem.isEmpty()) {
                    const int channel = column - kChannelTColumn;
                    context_.prompter->message(kOmbrevaultTitle,
                                               refusedValueText(valueBoxName(channel), typed,
                                                                valueBoxUnit(channel), problem) +
                                                   "; the key was not taken.",
                                               MsgIcon::Information);
                    break;
                }
                SheetDirty = true;
                model_->setText(cell, typed);
            }
            break;
        case SheetKey::DropLast:
            if (row > 0) {
                SheetDirty = true;
                QString text = model_->text(cell);
                text.chop(1);
                model_->setText(cell, text);
            }
            break;
        case SheetKey::NextCell: {
            const auto [nextRow, nextColumn] =
                datasheetNextCell(row, column, model_->rowCount() + 1, model_->columnCount());
            if (nextRow == 0) {
                MSFlexGrid1->setCurrentIndex(QModelIndex());
                MSFlexGrid1->scrollToTop();
                model_->setCurrentHeading(nextColumn);
            } else {
                MSFlexGrid1->setCurrentIndex(model_->index(nextRow - 1, nextColumn));
            }
            break;
        }
        case SheetKey::OnlyChannels:
            context_.prompter->message(kOmbrevaultTitle, kOnlyChannels, MsgIcon::Information);
            break;
        case SheetKey::NumbersOnly:
            context_.prompter->message(kOmbrevaultTitle, kNumbersOnly, MsgIcon::Information);
            break;
        }
    });
}

bool frmDatasheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched != MSFlexGrid1 || event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* press = static_cast<QKeyEvent*>(event);
    if (press->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        return false;
    }
    int key = 0;
    if (press->key() == Qt::Key_Backspace) {
        key = kBackspace;
    } else if (press->key() == Qt::Key_Tab) {
        key = kTab;
    } else if (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter) {
        // Enter is a key like any other here, not the window's default button.
        key = kEnter;
    } else if (!press->text().isEmpty() && press->text().at(0).isPrint()) {
        key = press->text().at(0).unicode();
    } else {
        // Arrows, paging and the like move about the grid as usual.
        return false;
    }
    MSFlexGrid1_KeyPress(key);
    return true;
}

void frmDatasheet::Image1_Click() {
    const auto lost = [&](const DbError& e) {
        tellNotSaved(*context_.prompter, "The spreadsheet export", e);
    };
    guarded(log(), " Module1_FlexGridToExcel", lost, [&] {
        // Rows not loaded into the grid are read for the workbook only, block by block.
        const QString path = FlexGridToExcel(
            datasheetGridRows(*state_.db, instrumentId_, typeDigit_, model_->rows()),
            model_->columnCount(), instrumentId_, state_.dataFolder, *context_.clock,
            revisionSheets(*state_.db, instrumentId_));
        if (!context_.desktop->open(path)) {
            tellNotOpened(*context_.prompter, "spreadsheet program", "workbook", path);
        }
    });
}

void frmDatasheet::Read_Values_From_Grid() {
    const auto lost = [&](const DbError& e) {
        tellNotSaved(*context_.prompter, "The datasheet changes", e);
    };
    guarded(log(), " frmDatasheet.G_ReadValuesFromGrid", lost, [&] {
        writeDatasheetRows(*state_.db, instrumentId_, typeDigit_, model_->rows());
        if (state_.rsReadings) {
            state_.rsReadings->close();
        }
        // Dates are not edited here: the typed rows stay where they were.
        ChangedReadings changed;
        for (const DatasheetRow& row : model_->rows()) {
            if (row.edited) {
                changed.rowids << row.id;
            }
        }
        checkReadingsOf(state_, context_, instrumentId_, changed);
    });
}

void frmDatasheet::Form_Unload() {
    if (SheetDirty) {
        Read_Values_From_Grid();
    }
    OpenSensorData(state_, context_);
    ignoring(log(), " Form_Unload", [&] {
        RecordSet* rs = state_.rsReadings.get();
        if (!rs || !rs->isOpen() || rs->recordCount() == 0) {
            return;
        }
        if (state_.savedReadingMark != 0) {
            try {
                rs->setBookmark(state_.savedReadingMark);
                return;
            } catch (const DbError&) {
                // The remembered reading is gone: the newest one is shown instead.
            }
        }
        rs->moveLast();
    });
}
