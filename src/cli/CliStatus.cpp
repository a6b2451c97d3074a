#include "cli/CliCommands.h"

#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/Clock.h"
#include "store/TriggerTables.h"
#include "triggers/EventLife.h"
#include "triggers/ResponsePlan.h"
#include "triggers/SiteStatus.h"
#include "ui/AppContext.h"

#include <QList>

namespace {
// A CSV field, quoted when it holds a separator, a quote or a line break.
QString csvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') &&
        !text.contains('\r')) {
        return text;
    }
    return '"' + QString(text).replace('"', QStringLiteral("\"\"")) + '"';
}

QString csvLine(const QStringList& cells) {
    QStringList fields;
    for (const QString& cell : cells) {
        fields << csvField(cell);
    }
    return fields.join(',');
}

} // namespace

// Columns padded to their widest text, two spaces apart, as a terminal shows them.
QStringList alignedLines(const QList<QStringList>& table) {
    QList<qsizetype> widths;
    for (const QStringList& cells : table) {
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (c == widths.size()) {
                widths << 0;
            }
            widths[c] = std::max(widths[c], cells[c].size());
        }
    }
    QStringList lines;
    for (const QStringList& cells : table) {
        QString line;
        for (qsizetype c = 0; c < cells.size(); ++c) {
            line += c + 1 < cells.size() ? cells[c].leftJustified(widths[c] + 2) : cells[c];
        }
        lines << line.trimmed();
    }
    return lines;
}

void printTable(const QList<QStringList>& table, bool csv) {
    if (csv) {
        for (const QStringList& cells : table) {
            printOut(csvLine(cells));
        }
        return;
    }
    for (const QString& line : alignedLines(table)) {
        printOut(line);
    }
}

namespace {
// The event log's tables, made when the database has none, as the window does on connecting.
void prepareEventLog(Connection& db) {
    if (!hasTriggerTables(db)) {
        createTriggerTables(db);
    }
}

void printPlan(CliSession& session, const QString& key, TriggerState level) {
    const QString word = planLevelWord(level);
    std::optional<ResponsePlan> plan = readResponsePlan(session.db(), key, level);
    QString source;
    if (!plan && key != kSiteDefaultKey) {
        plan = readResponsePlan(session.db(), kSiteDefaultKey, level);
        source = QStringLiteral(" (site default)");
    }
    if (!plan) {
        printOut(word + QStringLiteral(": no plan"));
        return;
    }
    printOut(word + source + QStringLiteral(": ") + responsePlanText(*plan));
}

QString eventValueText(const TriggerEvent& e) {
    return QString::number(e.value, 'f', 2) +
           (e.measure == Measure::Rate ? QStringLiteral(" mm/day") : QStringLiteral(" mm"));
}
} // namespace

int statusCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    // As the window does on connecting: the trigger tables are made when the database has none.
    if (!hasTriggerTables(session.db())) {
        createTriggerTables(session.db());
    }
    // The event log's rules are put back where the login may; the status still prints when
    // they cannot be, with a warning beside it.
    const EventLogProtection protection = protectEventLog(session.db());
    if (!protection.isProtected()) {
        printError("Warning: the trigger event log is not protected: its rules are missing or "
                   "switched off and could not be put back (" +
                   failureReason(*protection.failure) + ").");
    }
    const QList<SiteStatusRow> rows = computeSiteStatus(session.db(), context.clock->now());
    QList<QStringList> table{siteStatusHeadings()};
    TriggerState highest = TriggerState::Grey;
    for (const SiteStatusRow& row : rows) {
        table << siteStatusCells(row);
        if (row.status.state != TriggerState::Destroyed) {
            highest = std::max(highest, row.status.state);
        }
    }
    printTable(table, args.csv);
    return statusExitCode(highest);
}

int statusExitCode(TriggerState highest) {
    switch (highest) {
    case TriggerState::Red:
        return kStatusRed;
    case TriggerState::Amber:
        return kStatusAmber;
    default:
        return 0;
    }
}

void planCommand(CliSession& session, const CommandLineArgs& args) {
    prepareEventLog(session.db());
    const QString key = args.sensor.isEmpty() ? kSiteDefaultKey : args.sensor;
    if (!args.sensor.isEmpty()) {
        session.sensor(args.sensor);
    }
    const QString whose = args.sensor.isEmpty() ? QStringLiteral("the site default")
                                                : QStringLiteral("sensor ") + args.sensor;
    QList<TriggerState> levels{TriggerState::Amber, TriggerState::Red};
    if (!args.level.isEmpty()) {
        levels = {args.level == QLatin1String("red") ? TriggerState::Red : TriggerState::Amber};
    }
    if (args.actions || args.who || args.hours) {
        const TriggerState level = levels.first();
        // What the command does not name stays as this key's own plan has it.
        ResponsePlan plan = readResponsePlan(session.db(), key, level).value_or(ResponsePlan{});
        plan.actions = args.actions.value_or(plan.actions).trimmed();
        plan.who = args.who.value_or(plan.who).trimmed();
        if (args.hours) {
            plan.hours = args.hours;
        }
        writeResponsePlan(session.db(), key, level, plan);
        printOut(
            QStringLiteral("Stored the %1 response plan of %2").arg(planLevelWord(level), whose));
    }
    printOut(QStringLiteral("Response plan of ") + whose + ':');
    for (const TriggerState level : levels) {
        printPlan(session, key, level);
    }
}

void eventsCommand(CliSession& session, const CommandLineArgs& args) {
    prepareEventLog(session.db());
    QList<QStringList> table{{"Event", "Detected", "Sensor", "State", "Value", "Step",
                              "Acknowledged", "By", "Closed", "By", "Actions Taken"}};
    for (const EventRecord& r : eventRecords(session.db(), args.openOnly)) {
        const TriggerEvent& e = r.event;
        table << QStringList{QString::number(e.id),
                             shownEventTime(e.detectedAt),
                             e.instrumentId,
                             stateText(e.state).toUpper(),
                             eventValueText(e),
                             stageText(r.stage()),
                             shownEventTime(e.ackAt),
                             e.ackBy,
                             r.closure ? shownEventTime(r.closure->closedAt) : QString(),
                             r.closure ? r.closure->closedBy : QString(),
                             r.closure ? r.closure->actionsTaken : QString()};
    }
    printTable(table, args.csv);
}

void acknowledgeCommand(CliSession& session, const CommandLineArgs& args,
                        const AppContext& context) {
    prepareEventLog(session.db());
    const QString refusal = acknowledgeTriggerEvent(session.db(), args.eventId,
                                                    context.clock->now(), loginName(), args.note);
    if (!refusal.isEmpty()) {
        throw CliFailure(refusal);
    }
    printOut(QStringLiteral("Acknowledged event %1").arg(args.eventId));
}

void closeCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    prepareEventLog(session.db());
    const QString refusal =
        closeTriggerEvent(session.db(), args.eventId, context.clock->now(), loginName(),
                          args.actions.value_or(QString()), args.reentry);
    if (!refusal.isEmpty()) {
        throw CliFailure(refusal);
    }
    printOut(QStringLiteral("Closed event %1").arg(args.eventId));
}
