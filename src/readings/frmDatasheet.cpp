#include "readings/frmDatasheet.h"

#include "app/AppContext.h"
#include "app/AppState.h"
#include "app/ClickableLabel.h"
#include "app/Desktop.h"
#include "app/Prompter.h"
#include "readings/DatasheetData.h"
#include "readings/DatasheetModel.h"
#include "readings/MarkDelegate.h"
#include "reports/GridExport.h"
#include "sensors/SensorData.h"
#include "store/Guard.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace {
const QString kOnlyChannels = QStringLiteral("Only Channel Data is editable in this datasheet\r\n"
                                             "Please use the main form to change dates and times");
const QString kNumbersOnly =
    QStringLiteral("Channel Data must be a numeric value\r\n"
                   "Use the backspace key to delete, field accepts numeric values only");
const QString kNoSpreadsheet =
    QStringLiteral("You need to have Microsoft Excel installed to use this function");
constexpr int kBackspace = 8;
constexpr int kTab = 9;

QLabel* picture(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(QPixmap(":/pictures/" + name + ".svg"));
    label->hide();
    return label;
}
} // namespace

frmDatasheet::frmDatasheet(AppState& state, const AppContext& context, QWidget* parent)
    : QDialog(parent), state_(state), context_(context), model_(new DatasheetModel(this)) {
    setObjectName("frmDatasheet");
    setWindowTitle("Quorvelle DataSheet");
    resize(1060, 680);

    lblHeader = new QLabel(this);
    lblHeader->setObjectName("lblHeader");
    lblHeader->setGeometry(16, 12, 600, 28);
    lblHeader->setStyleSheet("font-size: 12pt; font-weight: bold;");

    img_x_on = picture("img_x_on", this);
    img_x_off = picture("img_x_off", this);

    MSFlexGrid1 = new QTableView(this);
    MSFlexGrid1->setObjectName("MSFlexGrid1");
    MSFlexGrid1->setGeometry(16, 48, 1028, 560);
    MSFlexGrid1->setModel(model_);
    MSFlexGrid1->setItemDelegate(
        new MarkDelegate(img_x_on->pixmap(), img_x_off->pixmap(), MSFlexGrid1));
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    MSFlexGrid1->setAlternatingRowColors(true);
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(22);
    MSFlexGrid1->horizontalHeader()->setHighlightSections(false);
    MSFlexGrid1->installEventFilter(this);

    Command1 = new QPushButton("Check All Plot Temporal", this);
    Command1->setObjectName("Command1");
    Command1->setGeometry(16, 624, 220, 34);
    Command1->setAutoDefault(false);

    Image1 = new ClickableLabel("Image1", this);
    Image1->setPixmap(QPixmap(":/icons/spreadsheet.svg"));
    Image1->setGeometry(1004, 622, 40, 40);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setToolTip("Export the grid to a spreadsheet");
    auto* exportCaption = new QLabel("Export to spreadsheet", this);
    exportCaption->setGeometry(830, 630, 168, 24);
    exportCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    connect(MSFlexGrid1, &QTableView::clicked, this, &frmDatasheet::MSFlexGrid1_Click);
    connect(Command1, &QPushButton::clicked, this, &frmDatasheet::Command1_Click);
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
        QVector<DatasheetRow> rows = readDatasheetRows(*state_.db, instrumentId_, typeDigit_);
        if (rows.isEmpty()) {
            model_->setNoReadings();
            return true;
        }
        model_->setSheet(typeDigit_, std::move(rows));
        const QVector<int> widths = datasheetWidths(typeDigit_);
        for (int c = 0; c < widths.size(); ++c) {
            MSFlexGrid1->setColumnWidth(c, widths[c]);
        }
        MSFlexGrid1->setCurrentIndex(model_->index(0, 0));
        return true;
    } catch (const DbError&) {
        return false;
    }
}

void frmDatasheet::MSFlexGrid1_Click(const QModelIndex& index) {
    if (model_->toggleMark(index)) {
        SheetDirty = true;
    }
}

void frmDatasheet::Command1_Click() {
    SheetDirty = true;
    model_->checkAllTemporal();
}

void frmDatasheet::MSFlexGrid1_KeyPress(int key) {
    guarded(log(), " frmDatasheet.MSFlexGri1_KeyPress", [&] {
        const QModelIndex cell = MSFlexGrid1->currentIndex();
        if (!cell.isValid()) {
            return;
        }
        switch (datasheetKey(cell.column(), key)) {
        case SheetKey::Nothing:
            break;
        case SheetKey::Append:
            SheetDirty = true;
            model_->setText(cell, model_->text(cell) + QChar(key));
            break;
        case SheetKey::DropLast: {
            SheetDirty = true;
            QString text = model_->text(cell);
            text.chop(1);
            model_->setText(cell, text);
            break;
        }
        case SheetKey::NextCell: {
            const auto [row, column] = datasheetNextCell(cell.row(), cell.column(),
                                                         model_->rowCount(), model_->columnCount());
            MSFlexGrid1->setCurrentIndex(model_->index(row, column));
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
    guarded(log(), " frmDatasheet.Image1_Click", [&] {
        const QVector<QStringList> grid = model_->gridTexts();
        const QString path =
            FlexGridToExcel(grid, static_cast<int>(grid.size()), model_->columnCount(),
                            instrumentId_, state_.dataFolder, *context_.clock);
        if (!context_.desktop->open(path)) {
            // The workbook is written all the same; say where it is.
            context_.prompter->message(kOmbrevaultTitle,
                                       kNoSpreadsheet + "\r\n" + QDir::toNativeSeparators(path),
                                       MsgIcon::Exclamation);
        }
    });
}

void frmDatasheet::Read_Values_From_Grid() {
    guarded(log(), " frmDatasheet.G_ReadValuesFromGrid", [&] {
        writeDatasheetRows(*state_.db, instrumentId_, typeDigit_, model_->rows());
        if (state_.rsReadings) {
            state_.rsReadings->close();
        }
    });
}

void frmDatasheet::Form_Unload() {
    if (SheetDirty) {
        Read_Values_From_Grid();
    }
    OpenSensorData(state_, context_);
    ignoring([&] {
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
