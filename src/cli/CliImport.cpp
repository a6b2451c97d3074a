#include "cli/CliCommands.h"

#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "cli/LoggerImportAdapter.h"
#include "logger/LoggerAppend.h"
#include "store/Clock.h"
#include "ui/AppContext.h"
#include "ui/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// A logger file is text: a NUL byte near its start says it is something else.
bool looksLikeText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw CliFailure(QStringLiteral("%1 cannot be read.").arg(QDir::toNativeSeparators(path)));
    }
    const QByteArray head = file.read(64 * 1024);
    return !head.contains('\0');
}
} // namespace

void importCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    const std::unique_ptr<RecordSet> sensor = session.sensor(args.sensor);
    const QString id = sensor->text(QStringLiteral("InstrumentID"));
    const QFileInfo file(args.file);
    if (!file.isFile()) {
        context.prompter->message(kAppTitle,
                                  QStringLiteral("There was no data found for this sensor."),
                                  MsgIcon::Information);
        throw CliFailure(
            QStringLiteral("%1 does not exist.").arg(QDir::toNativeSeparators(args.file)));
    }
    if (!looksLikeText(args.file)) {
        throw CliFailure(
            QStringLiteral("%1 is not a text file.").arg(QDir::toNativeSeparators(args.file)));
    }
    const QString title = file.fileName();
    if (title != id + QStringLiteral(".txt")) {
        const MsgAnswer answer = context.prompter->message(
            QStringLiteral("Ombrevault's QUORVELLE"),
            "WARNING:\r\n" + title + " is not a match for the current sensor of " + id +
                "\r\nAre you sure you want to append this data to the database?\r\n\r\n"
                "This may cause undesirable results including corruption and loss of database",
            MsgIcon::Exclamation, MsgButtons::YesNo);
        if (answer != MsgAnswer::Yes) {
            throw CliFailure(QStringLiteral("%1 was not imported: its name is not %2.txt.")
                                 .arg(QDir::toNativeSeparators(args.file), id));
        }
    }

    LoggerImportRequest request;
    request.instrumentId = id;
    request.sensorType = sensor->text(QStringLiteral("SensorType"));
    request.file = file.absoluteFilePath();
    request.intervalHours = args.intervalHours;
    request.order = args.dateOrder;
    request.all = args.all;
    const std::optional<LoggerImportCounts> counts =
        importLoggerFile(session.db(), session.dataFolder(), request, [&](const QString& key) {
            context.prompter->message(kAppTitle,
                                      key + " is a duplicate reading and cannot be appended.");
        });
    if (!counts) {
        throw CliFailure(
            QStringLiteral("%1 does not exist.").arg(QDir::toNativeSeparators(args.file)));
    }
    if (counts->appended > 0) {
        // As after the window's append: the move is a courtesy, the readings stand without it.
        ignoring([&] { moveLoggerFileToBackup(file.absolutePath(), id, context.clock->today()); });
    }
    printOut(QStringLiteral("%1: %2 lines, %3 chosen, %4 appended to %5, %6 duplicates skipped, "
                            "%7 bad lines passed over")
                 .arg(QDir::toNativeSeparators(args.file))
                 .arg(counts->lines)
                 .arg(counts->chosen)
                 .arg(counts->appended)
                 .arg(id)
                 .arg(counts->duplicates)
                 .arg(counts->badLines));
}
