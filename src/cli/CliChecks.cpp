#include "cli/CliCommands.h"

#include "checks/ReadingFlagStore.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/Clock.h"
#include "store/LoginName.h"
#include "ui/AppContext.h"

#include <functional>

namespace {

void checking(CliSession& session, const std::function<void()>& check) {
    try {
        check();
    } catch (const DbError& e) {
        session.log().report(e, QStringLiteral(" G_CheckReadings"));
        printError("quorvelle: the readings were stored, but they could not be checked: " +
                   e.description());
    }
}

// After a rejection or restoration: the readings about it checked again.
void checkAround(CliSession& session, const QString& instrumentId, const QString& key,
                 const AppContext& context) {
    checking(session, [&] {
        refreshReadingFlagsNear(session.db(), instrumentId,
                                spansOfKeys(session.db(), instrumentId, {key}),
                                context.clock->now());
    });
}

} // namespace

void flagsCommand(CliSession& session, const CommandLineArgs& args) {
    session.sensor(args.sensor);
    const QList<ReadingFlag> flags = readFlags(session.db(), args.sensor);
    const QSet<QString> rejected = rejectedKeys(session.db(), args.sensor);
    if (flags.isEmpty() && !args.csv) {
        printOut(QStringLiteral("No reading of sensor %1 is flagged.").arg(args.sensor));
        return;
    }
    QList<QStringList> table{{"Reading", "Check", "Channel", "Rejected", "Detail"}};
    for (const ReadingFlag& flag : flags) {
        table << QStringList{flag.key.mid(args.sensor.size() + 1), checkName(flag.check),
                             flag.channel > 0 ? QString::number(flag.channel) : QString(),
                             rejected.contains(flag.key) ? QStringLiteral("yes")
                                                         : QStringLiteral("no"),
                             flag.detail};
    }
    printTable(table, args.csv);
}

void rejectCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    session.sensor(args.sensor);
    const QString key = args.sensor + ' ' + args.reading;
    try {
        rejectReading(session.db(), args.sensor, key, !args.restore, args.reason, loginName(),
                      context.clock->now());
    } catch (const RejectionRefused& refused) {
        throw CliFailure(refused.reason());
    }
    checkAround(session, args.sensor, key, context);
    printOut((args.restore ? QStringLiteral("Reading %1 restored: %2")
                           : QStringLiteral("Reading %1 rejected: %2"))
                 .arg(key, args.reason.trimmed()));
}

void checkAfterImport(CliSession& session, const QString& instrumentId, const AppContext& context) {
    checking(session,
             [&] { refreshReadingFlags(session.db(), instrumentId, context.clock->now()); });
}
