#include "logger/frmTrovData.h"

#include "checks/ReadingCheckRun.h"
#include "checks/ReadingFlagStore.h"
#include "logger/LoggerAppend.h"
#include "logger/LoggerGridModel.h"
#include "logger/LoggerLineChecks.h"
#include "logger/LoggerProgressDialog.h"
#include "logger/OffThreadWork.h"
#include "readings/MarkGrid.h"
#include "store/Clock.h"
#include "store/Columns.h"
#include "store/Guard.h"
#include "store/LoginName.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/FormWidgets.h"
#include "ui/Prompter.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

namespace {
constexpr int kPixelsPerHeadingCharacter = 8;

QRadioButton* option(int index, const QString& text, QWidget* parent, QHBoxLayout& row) {
    auto* button = new QRadioButton(text, parent);
    button->setObjectName(QStringLiteral("optDateFormat%1").arg(index));
    row.addWidget(button);
    return button;
}
} // namespace

frmTrovData::frmTrovData(AppState& state, const AppContext& context, LoggerStage stage,
                         const QString& loggerFolder, QWidget* parent)
    : QDialog(parent), state_(state), context_(context), loggerFolder_(loggerFolder),
      instrumentId_(state.currentInstrumentId()),
      channelCount_(loggerChannelCount(state.rsSensors->text(col::SensorType))),
      nodeCount_(state.nodeCount()), model_(new LoggerGridModel(this)) {
    setObjectName("frmTrovData");
    setWindowTitle("Import DataFiles");
    // The grid takes what the window gives; the window starts as large as the screen allows.
    setMinimumSize(640, 400);
    resize(fittedToScreen(*this, QSize(1140, 640)));

    lblHeader = new QLabel(this);
    lblHeader->setObjectName("lblHeader");
    lblHeader->setStyleSheet("font-size: 12pt; font-weight: bold;");

    auto* format = new QGroupBox("Datafile Date Format:", this);
    format->setObjectName("fraDateFormat");
    auto* formats = new QHBoxLayout(format);
    optDateFormat0 = option(0, "YYYY/MM/DD", format, *formats);
    optDateFormat1 = option(1, "DD/MM/YYYY", format, *formats);
    optDateFormat2 = option(2, "MM/DD/YYYY", format, *formats);
    optDateFormat0->setChecked(true);

    cmdAppend = new QPushButton("append", this);
    cmdAppend->setObjectName("cmdAppend");
    cmdAppend->setMinimumSize(120, 32);
    cmdAppend->setAutoDefault(false);

    lblMarked = new QLabel(this);
    lblMarked->setObjectName("lblMarked");

    const MarkPictures marks = makeMarkPictures(this);
    img_x_on = marks.on;
    img_x_off = marks.off;
    MSFlexGrid1 = makeMarkGrid(this, model_, marks);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 16);
    page->addWidget(lblHeader);
    auto* commands = new QHBoxLayout;
    commands->setSpacing(20);
    commands->addWidget(format);
    commands->addWidget(cmdAppend, 0, Qt::AlignBottom);
    commands->addWidget(lblMarked, 1, Qt::AlignBottom);
    page->addLayout(commands);
    page->addWidget(MSFlexGrid1, 1);

    connect(cmdAppend, &QPushButton::clicked, this, &frmTrovData::cmdAppend_Click);
    connect(MSFlexGrid1, &QTableView::clicked, this, &frmTrovData::MSFlexGrid1_Click);
    connect(model_, &QAbstractItemModel::dataChanged, this, &frmTrovData::showMarkedCount);
    connect(model_, &QAbstractItemModel::modelReset, this, &frmTrovData::showMarkedCount);
    for (QRadioButton* button : {optDateFormat0, optDateFormat1, optDateFormat2}) {
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                checkLines();
            }
        });
    }

    Form_Load(std::move(stage));
}

void frmTrovData::Form_Load(LoggerStage stage) {
    // The Readings tab comes back to the reading it shows now.
    RecordSet* rs = state_.rsReadings.get();
    if (rs && rs->isOpen() && rs->absolutePosition() > 0) {
        state_.savedReadingMark = rs->bookmark();
    }
    lblHeader->setText("Click to download textfile data to Sensor " + instrumentId_);
    cmdAppend->setEnabled(true);

    model_->fill(std::move(stage));
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " frmTrovData.ReadCheckSettings",
            [&] { settings_ = readCheckSettings(*state_.db); });
    checkLines();
    for (int c = 0; c < model_->columnCount(); ++c) {
        const QString heading = model_->headerData(c, Qt::Horizontal).toString().trimmed();
        MSFlexGrid1->setColumnWidth(c,
                                    kPixelsPerHeadingCharacter * static_cast<int>(heading.size()));
    }
    // The node channels are the sensor's readings, as on the datasheet; the rest are hidden.
    if (model_->columnCount() > LoggerGridModel::kAppendColumn) {
        for (int c = LoggerGridModel::kFirstChannelColumn; c < LoggerGridModel::kAppendColumn;
             ++c) {
            MSFlexGrid1->setColumnHidden(c, c - LoggerGridModel::kFirstChannelColumn >= nodeCount_);
        }
    }
}

void frmTrovData::checkLines() {
    const DateOrder order = dateOrder();
    const DateOrder desktop = localeDateOrder(QLocale());
    const QDateTime now = context_.clock->now();
    model_->setLineCheck(
        [order, desktop, now, nodes = nodeCount_, settings = settings_](const QStringList& fields) {
            return checkLoggerLine(fields, order, desktop, nodes, settings, now);
        });
}

void frmTrovData::showMarkedCount() {
    const qsizetype lines = model_->rowCount();
    lblMarked->setText(lines == 0 ? QString()
                                  : QStringLiteral("%L1 of %L2 lines ticked to append")
                                        .arg(model_->markedCount())
                                        .arg(lines));
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
        // A failure that reaches here came after the append's own reports (a follow-up after
        // the commit, or the register gone): the user is told, and the Readings tab shows what
        // was stored.
        const auto told = [&](const DbError& e) {
            context_.prompter->message(kAppTitle,
                                       "The append could not be finished (" + e.description() +
                                           "). The Readings tab shows what was stored for " +
                                           instrumentId_ + ".",
                                       MsgIcon::Critical);
        };
        guarded(ErrorLog{state_.dataFolder, context_.clock}, " cmdAppend_Click", told,
                [&] { appendChecked(); });
    }
    model_->clear();
    cmdAppend->setEnabled(false);
    accept();
}

DuplicateAnswer frmTrovData::askDuplicate(const QString& key) {
    const MsgAnswer answer = context_.prompter->message(
        kAppTitle, key + " is a duplicate reading and cannot be appended.", MsgIcon::None,
        MsgButtons::OkSkipAll);
    return answer == MsgAnswer::SkipAll ? DuplicateAnswer::SkipAll : DuplicateAnswer::Skip;
}

void frmTrovData::appendChecked() {
    LoggerAppendOptions options;
    options.instrumentId = instrumentId_;
    options.channelCount = channelCount_;
    options.order = dateOrder();
    options.desktopOrder = localeDateOrder(QLocale());
    options.now = loggerMoment(context_.clock->now());
    // The append runs on a connection of its own off the window's thread; what it needs of the
    // window is taken here, and the questions it asks come back to the window's thread.
    const QString location = state_.db->location();
    const LoggerStage& stage = model_->stage();
    const QBitArray marks = model_->marks();
    const QString instrumentId = instrumentId_;
    QStringList addedKeys;
    LoggerAppendResult result;
    {
        LoggerProgressDialog progress(this, [](qint64 done, qint64 total) {
            return QStringLiteral("Appending line %L1 of %L2").arg(done).arg(total);
        });
        runOffThread(progress.progress(), [&](const LoggerProgress& step,
                                              const OnWindowThread& onWindow) {
            options.progress = step;
            options.askDuplicate = [&](const QString& key) {
                DuplicateAnswer answer = DuplicateAnswer::Skip;
                onWindow([&] { answer = askDuplicate(key); });
                return answer;
            };
            options.beforeCommit = [&](Connection& db, const AddedReadings& added) {
                addedKeys = added.keys();
                return state_.readingsWritten(db, instrumentId, addedKeys);
            };
            result = appendLoggerRowsAt(location, loginName(), instrumentId, stage, marks, options);
        });
    }

    switch (result.status) {
    case LoggerAppendResult::Status::Failed:
        ErrorLog{state_.dataFolder, context_.clock}.report(result.errorNumber, result.error,
                                                           " cmdAppend_Click");
        context_.prompter->message(kAppTitle,
                                   "The readings could not be stored (" + result.error +
                                       "). Nothing was appended to " + instrumentId_ + ".",
                                   MsgIcon::Critical);
        return;
    case LoggerAppendResult::Status::Cancelled:
        context_.prompter->message(
            kAppTitle, "The append was cancelled. Nothing was appended to " + instrumentId_ + ".",
            MsgIcon::Information);
        return;
    case LoggerAppendResult::Status::Appended:
        break;
    }
    if (result.appended > 0) {
        state_.readingsCommitted(instrumentId_, addedKeys, result.levelReached);
        checkReadingsOf(state_, context_, instrumentId_);
    }

    QStringList lines;
    lines << (result.appended < 1 ? QStringLiteral(" No data was found to append")
                                  : QStringLiteral(" %1 records appended to %2")
                                        .arg(result.appended)
                                        .arg(instrumentId_));
    if (result.duplicates > 0) {
        lines
            << (result.duplicates == 1
                    ? QStringLiteral("1 duplicate reading was skipped.")
                    : QStringLiteral("%1 duplicate readings were skipped.").arg(result.duplicates));
    }
    if (result.passedOver > 0) {
        lines << (result.passedOver == 1
                      ? QStringLiteral("1 line could not be read and was passed over.")
                      : QStringLiteral("%1 lines could not be read and were passed over.")
                            .arg(result.passedOver));
    }
    if (result.futureDated > 0) {
        lines << futureDatedText(result.futureDated);
    }
    context_.prompter->message(kAppTitle, lines.join("\r\n"));
    state_.tellResult(lines.join(' ').trimmed());
    if (result.levelReached) {
        context_.prompter->message(kOmbrevaultTitle, *result.levelReached, MsgIcon::Exclamation);
    }
    if (result.appended >= 1) {
        ignoring(ErrorLog{state_.dataFolder, context_.clock}, " appendChecked", [&] {
            moveLoggerFileToBackup(loggerFolder_, instrumentId_, context_.clock->today());
        });
    }
}
