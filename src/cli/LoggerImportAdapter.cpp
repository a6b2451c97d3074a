#include "cli/LoggerImportAdapter.h"

#include <QLocale>

LoggerImportOutcome
importLoggerFile(Connection& db, const QString& dataFolder, const LoggerImportRequest& request,
                 const std::function<DuplicateAnswer(const QString& key)>& askDuplicate) {
    const DateOrder desktopOrder = localeDateOrder(QLocale());
    // The pre-selection reads day-first or month-first dates in the order the file is said to
    // have; a year-first file leaves that to the desktop's order, as the window does.
    const DateOrder slashOrder =
        request.order == DateOrder::YearMonthDay ? desktopOrder : request.order;
    StageResult staged =
        stageLoggerFile(dataFolder, request.file, request.intervalHours, slashOrder);
    LoggerImportOutcome outcome;
    outcome.staged = staged.status;
    if (staged.status != StageResult::Status::Staged) {
        return outcome;
    }
    const LoggerStage& stage = staged.stage;
    const QBitArray marks =
        request.all ? QBitArray(static_cast<qsizetype>(stage.rows), true) : stage.marks;
    outcome.lines = stage.rows;
    outcome.chosen = marks.count(true);

    LoggerAppendOptions options;
    options.instrumentId = request.instrumentId;
    options.channelCount = loggerChannelCount(request.sensorType);
    options.order = request.order;
    options.desktopOrder = desktopOrder;
    options.askDuplicate = askDuplicate;
    options.beforeCommit = request.beforeCommit;
    options.now = request.now;
    outcome.append = appendLoggerRows(db, request.instrumentId, stage, marks, options);
    return outcome;
}
