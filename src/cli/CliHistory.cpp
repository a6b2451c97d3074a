#include "cli/CliCommands.h"

#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/AuditHistory.h"
#include "store/AuditLog.h"

void historyCommand(CliSession& session, const CommandLineArgs& args) {
    if (!session.db().hasTable(kAuditTable)) {
        throw CliFailure(QStringLiteral("The register keeps no audit trail yet."));
    }
    HistoryFilter filter;
    filter.since = args.since.isValid() ? args.since.toString(Qt::ISODate) : QString();
    const QList<AuditEntry> entries = sensorHistory(session.db(), args.sensor, filter);
    if (entries.isEmpty() && !args.csv) {
        printOut(QStringLiteral("Sensor %1 has no recorded changes.").arg(args.sensor));
        return;
    }
    QList<QStringList> table{{QStringLiteral("When"), QStringLiteral("Who"), QStringLiteral("What"),
                              QStringLiteral("Before → after")}};
    for (const AuditEntry& e : entries) {
        table << QStringList{e.changedAt, e.changedBy, changeText(e), valuesText(e)};
    }
    printTable(table, args.csv);
}
