#include "logger/frmTrovData.h"

#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"
#include "logger/LoggerAppend.h"
#include "logger/LoggerGridModel.h"
#include "readings/MarkGrid.h"
#include "store/Clock.h"
#include "store/Guard.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <algorithm>
#include <iterator>

namespace {
constexpr int kPixelsPerHeadingCharacter = 8;

QRadioButton* option(int index, const QString& text, QWidget* parent, int left) {
    auto* button = new QRadioButton(text, parent);
    button->setObjectName(QStringLiteral("optDateFormat%1").arg(index));
    button->setGeometry(left, 28, 130, 24);
    return button;
}
} // namespace

frmTrovData::frmTrovData(AppState& state, const AppContext& context, QVector<QStringList> rows,
                         int intervalHours, const QString& loggerFolder, QWidget* parent)
    : QDialog(parent), state_(state), context_(context), loggerFolder_(loggerFolder),
      instrumentId_(state.currentInstrumentId()),
      channelCount_(loggerChannelCount(state.rsSensors->text("SensorType"))),
      model_(new LoggerGridModel(this)) {
    setObjectName("frmTrovData");
    setWindowTitle("Import DataFiles");
    setFixedSize(1140, 640);

    lblHeader = new QLabel(this);
    lblHeader->setObjectName("lblHeader");
    lblHeader->setGeometry(16, 12, 700, 28);
    lblHeader->setStyleSheet("font-size: 12pt; font-weight: bold;");

    auto* format = new QGroupBox("Datafile Date Format:", this);
    format->setObjectName("fraDateFormat");
    format->setGeometry(16, 48, 440, 64);
    optDateFormat0 = option(0, "YYYY/MM/DD", format, 16);
    optDateFormat1 = option(1, "DD/MM/YYYY", format, 156);
    optDateFormat2 = option(2, "MM/DD/YYYY", format, 296);
    optDateFormat0->setChecked(true);

    cmdAppend = new QPushButton("append", this);
    cmdAppend->setObjectName("cmdAppend");
    cmdAppend->setGeometry(476, 68, 120, 32);
    cmdAppend->setAutoDefault(false);

    const MarkPictures marks = makeMarkPictures(this);
    img_x_on = marks.on;
    img_x_off = marks.off;
    MSFlexGrid1 = makeMarkGrid(this, model_, marks);
    MSFlexGrid1->setGeometry(16, 124, 1108, 500);

    connect(cmdAppend, &QPushButton::clicked, this, &frmTrovData::cmdAppend_Click);
    connect(MSFlexGrid1, &QTableView::clicked, this, &frmTrovData::MSFlexGrid1_Click);

    Form_Load(std::move(rows), intervalHours);
}

void frmTrovData::Form_Load(QVector<QStringList> rows, int intervalHours) {
    // The Readings tab comes back to the reading it shows now.
    RecordSet* rs = state_.rsReadings.get();
    if (rs && rs->isOpen() && rs->absolutePosition() > 0) {
        state_.savedReadingMark = rs->bookmark();
    }
    lblHeader->setText("Click to download textfile data to Sensor " + instrumentId_);
    cmdAppend->setEnabled(true);

    QVector<bool> marks = appendMarks(rows, intervalHours);
    model_->fill(std::move(rows), std::move(marks));
    for (int c = 0; c < model_->columnCount(); ++c) {
        const QString heading = model_->headerData(c, Qt::Horizontal).toString().trimmed();
        MSFlexGrid1->setColumnWidth(c,
                                    kPixelsPerHeadingCharacter * static_cast<int>(heading.size()));
    }
}

DateOrder frmTrovData::dateOrder() const {
    if (optDateFormat1->isChecked()) {
        return DateOrder::DayMonthYear;
    }
    if (optDateFormat2->isChecked()) {
        return DateOrder::MonthDayYear;
    }
    return DateOrder::YearMonthDay;
}

void frmTrovData::MSFlexGrid1_Click(const QModelIndex& index) {
    model_->toggle(index);
}

void frmTrovData::cmdAppend_Click() {
    const MsgAnswer answer = context_.prompter->message(
        kAppTitle, "All the checked data will be added to sensor:  " + instrumentId_ + " ?",
        MsgIcon::None, MsgButtons::YesNo);
    if (answer == MsgAnswer::Yes) {
        appendChecked();
    }
    model_->clear();
    cmdAppend->setEnabled(false);
    accept();
}

void frmTrovData::appendChecked() {
    const DateOrder order = dateOrder();
    QVector<LoggerReading> readings;
    const QVector<QStringList>& rows = model_->rows();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (!model_->marks()[r]) {
            continue;
        }
        // A row whose date does not read in the chosen order is not stored.
        if (std::optional<LoggerReading> reading =
                loggerReading(instrumentId_, rows[r], order, channelCount_)) {
            readings << *reading;
        }
    }

    int appended = 0;
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " cmdAppend_Click", [&] {
        appendLoggerReadings(
            *state_.db, instrumentId_, readings,
            [this](const QString& key) {
                context_.prompter->message(kAppTitle,
                                           key + " is a duplicate reading and cannot be appended.");
            },
            appended);
    });

    if (appended < 1) {
        context_.prompter->message(kAppTitle, " No data was found to append");
        return;
    }
    context_.prompter->message(
        kAppTitle, QStringLiteral(" %1 records appended to %2").arg(appended).arg(instrumentId_));
    QStringList keys;
    std::transform(readings.cbegin(), readings.cend(), std::back_inserter(keys),
                   [](const LoggerReading& r) { return r.key; });
    state_.readingsCommitted(instrumentId_, keys);
    ignoring(
        [&] { moveLoggerFileToBackup(loggerFolder_, instrumentId_, context_.clock->today()); });
}
