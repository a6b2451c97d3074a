#include "cli/CliCommands.h"

#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "revisions/RevisionStore.h"
#include "store/Clock.h"
#include "triggers/TriggerEvents.h"
#include "ui/AppContext.h"

void revisionsCommand(CliSession& session, const CommandLineArgs& args) {
    session.sensor(args.sensor);
    const QList<SensorRevision> revisions = readRevisions(session.db(), args.sensor);
    if (revisions.isEmpty()) {
        printOut(QStringLiteral("Sensor %1 has no revisions.").arg(args.sensor));
        return;
    }
    const QHash<qint64, qint64> superseded = supersededBy(revisions);
    QList<QStringList> table{revisionListHeadings()};
    for (const SensorRevision& r : revisions) {
        table << revisionListCells(r, superseded);
    }
    for (const QString& line : alignedLines(table)) {
        printOut(line);
    }
}

void reviseCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    RevisionRequest request;
    request.instrumentId = args.sensor;
    request.from = args.from;
    request.kind = revisionKindOf(args.kind).value_or(RevisionKind::Offset);
    request.node = args.node;
    request.typedOffsets = args.offsets;
    request.note = args.note;
    try {
        const SensorRevision stored =
            addRevision(session.db(), request, context.clock->now(), loginName());
        printOut(QStringLiteral("Revision No. %1 stored for sensor %2: %3 from %4 (%5).")
                     .arg(stored.id)
                     .arg(stored.instrumentId, revisionKindShown(stored.kind),
                          shownRevisionDate(stored.fromDate), revisionEffectText(stored)));
    } catch (const RevisionRefused& refused) {
        throw CliFailure(refused.reason());
    }
}
