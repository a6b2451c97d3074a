#include "cli/CliCommands.h"

#include "alarms/AlarmDelivery.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "cli/LoggerImportAdapter.h"
#include "logger/LoggerAppend.h"
#include "store/Clock.h"
#include "store/Columns.h"
#include "store/Guard.h"
#include "triggers/TriggerEvents.h"
#include "ui/AppContext.h"
#include "ui/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void importCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    const std::unique_ptr<RecordSet> sensor = session.sensor(args.sensor);
    const QString id = sensor->text(col::InstrumentID);
    const QFileInfo file(args.file);
    const QString title = file.fileName();
    const QString shownFile = QDir::toNativeSeparators(args.file);
    // A file that is not there is said to be missing, whatever its name.
    if (!file.exists()) {
        context.prompter->message(kAppTitle, "There was no data found for this sensor.",
                                  MsgIcon::Information);
        throw CliFailure(shownFile + " does not exist.");
    }
    if (title != id + QStringLiteral(".txt")) {
        const MsgAnswer answer = context.prompter->message(
            QStringLiteral("Ombrevault's QUORVELLE"),
            "WARNING:\r\n" + title + " is not a match for the current sensor of " + id +
                "\r\nAre you sure you want to append this data to the database?\r\n\r\n"
                "This may cause undesirable results including corruption and loss of database",
            MsgIcon::Exclamation, MsgButtons::YesNo, MsgAnswer::No);
        if (answer != MsgAnswer::Yes) {
            throw CliFailure(
                QStringLiteral("%1 was not imported: its name is not %2.txt.").arg(shownFile, id));
        }
    }

    LoggerImportRequest request;
    request.instrumentId = id;
    request.sensorType = sensor->text(col::SensorType);
    request.file = file.absoluteFilePath();
    request.intervalHours = args.intervalHours;
    request.order = args.dateOrder;
    request.all = args.all;
    request.beforeCommit = [&](Connection& db, const AddedReadings& added) {
        return logTriggerEvent(
            db, id, added, context.clock->now(), loginName(),
            [&](const TriggerEvent& event) { queueEventMail(db, event, context.clock->now()); });
    };
    request.now = loggerMoment(context.clock->now());
    const LoggerImportOutcome outcome =
        importLoggerFile(session.db(), session.dataFolder(), request, [&](const QString& key) {
            const MsgAnswer answer = context.prompter->message(
                kAppTitle, key + " is a duplicate reading and cannot be appended.", MsgIcon::None,
                MsgButtons::OkSkipAll);
            return answer == MsgAnswer::SkipAll ? DuplicateAnswer::SkipAll : DuplicateAnswer::Skip;
        });
    switch (outcome.staged) {
    case StageResult::Status::NoFile:
        context.prompter->message(kAppTitle, "There was no data found for this sensor.",
                                  MsgIcon::Information);
        throw CliFailure(shownFile + " does not exist.");
    case StageResult::Status::NotText:
        context.prompter->message(kAppTitle, title + " is not a text file and cannot be imported.",
                                  MsgIcon::Exclamation);
        throw CliFailure(shownFile + " is not a text file.");
    case StageResult::Status::Cancelled:
    case StageResult::Status::Staged:
        break;
    }
    const LoggerAppendResult& result = outcome.append;
    if (result.status != LoggerAppendResult::Status::Appended) {
        throw DbError(result.errorNumber, "The readings could not be stored (" + result.error +
                                              "). Nothing was appended to " + id + ".");
    }
    if (result.appended > 0) {
        // As after the window's append: the move is a courtesy, the readings stand without it.
        ignoring(ErrorLog{context.dataFolder, context.clock}, " import",
                 [&] { moveLoggerFileToBackup(file.absolutePath(), id, context.clock->today()); });
    }
    printOut(QStringLiteral("%1: %2 lines, %3 chosen, %4 appended to %5, %6 duplicates skipped, "
                            "%7 bad lines passed over")
                 .arg(shownFile)
                 .arg(outcome.lines)
                 .arg(outcome.chosen)
                 .arg(result.appended)
                 .arg(id)
                 .arg(result.duplicates)
                 .arg(result.passedOver));
    if (result.futureDated > 0) {
        printError("quorvelle: warning: " + futureDatedText(result.futureDated));
    }
    if (result.appended > 0) {
        checkAfterImport(session, id, context);
    }

    // As after the window's append: the rise in the sensor's trigger state that was logged
    // with the readings is told once they are stored.
    if (result.levelReached) {
        context.prompter->message(kOmbrevaultTitle, *result.levelReached, MsgIcon::Exclamation);
    }
    // The readings are stored whatever becomes of the mail: its failure is told, not raised.
    try {
        deliverAfterImport(session, context);
    } catch (const DbError& e) {
        printError(QStringLiteral("quorvelle: alarm mail: the outbox could not be read: ") +
                   e.description());
    }
}
