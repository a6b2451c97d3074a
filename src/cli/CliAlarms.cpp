#include "cli/CliCommands.h"

#include "alarms/AlarmChart.h"
#include "alarms/AlarmDelivery.h"
#include "alarms/AlarmText.h"
#include "alarms/MailSettings.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/AlarmStore.h"
#include "store/Clock.h"
#include "store/TriggerTables.h"
#include "triggers/EventLife.h"
#include "triggers/PlanReportPages.h"
#include "triggers/ResponsePlan.h"
#include "triggers/SiteReport.h"
#include "triggers/SiteStatus.h"
#include "ui/AppContext.h"

namespace {
void printReport(const DeliveryReport& report) {
    for (const QString& line : report.lines) {
        printOut(line);
    }
    printOut(QStringLiteral("Alarm mail: ") + deliverySummary(report));
}

// A run that could not reach the server, or whose login was refused, leaves messages
// waiting: the timer's run then fails, so that its log shows it.
void failWhenStopped(const DeliveryReport& report) {
    if (report.stopped && report.pending > 0) {
        throw CliFailure(*report.stopped);
    }
}
} // namespace

void recipientsCommand(CliSession& session, const CommandLineArgs& args) {
    Connection& db = session.db();
    ensureAlarmTables(db);
    const QString action = args.words.value(0);
    if (action == QLatin1String("list")) {
        for (const QString& list : alarmLists()) {
            const QStringList addresses = recipientsOf(db, list);
            printOut(list + ':' +
                     (addresses.isEmpty() ? QStringLiteral(" (none)")
                                          : ' ' + addresses.join(QStringLiteral(", "))));
        }
        return;
    }
    const QString list = args.words.value(1);
    const QString address = args.words.value(2);
    if (action == QLatin1String("add")) {
        try {
            printOut(addRecipient(db, list, address)
                         ? QStringLiteral("Added %1 to the %2 list").arg(address, list)
                         : QStringLiteral("%1 is already on the %2 list").arg(address, list));
        } catch (const RecipientRefused& refused) {
            throw CliFailure(refused.reason());
        }
        return;
    }
    if (const auto problem = listProblem(list)) {
        throw CliFailure(*problem);
    }
    if (!removeRecipient(db, list, address)) {
        throw CliFailure(QStringLiteral("%1 is not on the %2 list").arg(address, list));
    }
    printOut(QStringLiteral("Removed %1 from the %2 list").arg(address, list));
}

void notifyCommand(CliSession& session, const CommandLineArgs& args, const AppContext& context) {
    const MailSettings settings = readMailSettings();
    if (args.test) {
        for (const QString& line : sendTestMessages(session.db(), settings, *context.clock)) {
            printOut(line);
        }
        return;
    }
    ensureAlarmTables(session.db());
    attachEventCharts(session.db(), session.log(), context);
    const DeliveryReport report = deliverAlarms(session.db(), settings, *context.clock);
    printReport(report);
    failWhenStopped(report);
}

void deliverAfterImport(CliSession& session, const AppContext& context) {
    if (!hasAlarmWork(session.db())) {
        return;
    }
    attachEventCharts(session.db(), session.log(), context);
    const DeliveryReport report = deliverAlarms(session.db(), readMailSettings(), *context.clock);
    if (report.lines.isEmpty() && !report.stopped) {
        return;
    }
    for (const QString& line : report.lines) {
        printError(QStringLiteral("quorvelle: alarm mail: ") + line);
    }
    printError(QStringLiteral("quorvelle: alarm mail: ") + deliverySummary(report));
}

void digestCommand(CliSession& session, const AppContext& context) {
    Connection& db = session.db();
    if (!hasTriggerTables(db)) {
        createTriggerTables(db);
    }
    ensureAlarmTables(db);
    const QStringList addresses = recipientsOf(db, QStringLiteral("digest"));
    if (addresses.isEmpty()) {
        throw CliFailure(QStringLiteral("The digest list has no address: nothing was sent."));
    }
    const QDateTime now = context.clock->now();
    const QList<SiteStatusRow> rows = computeSiteStatus(db, now);
    const QString since = lastDigestAt(db);
    QList<TriggerEvent> events = allTriggerEvents(db);
    events.removeIf(
        [&](const TriggerEvent& e) { return !since.isEmpty() && e.detectedAt <= since; });

    int red = 0;
    int amber = 0;
    int overdue = 0;
    for (const SiteStatusRow& row : rows) {
        red += row.status.state == TriggerState::Red ? 1 : 0;
        amber += row.status.state == TriggerState::Amber ? 1 : 0;
        overdue += row.overdue ? 1 : 0;
    }
    AlarmMail mail;
    mail.kind = QStringLiteral("digest");
    mail.subject = QStringLiteral("Site status %1: %2 red, %3 amber, %4 overdue, %5 new events")
                       .arg(now.toString(QStringLiteral("yyyy/MM/dd")))
                       .arg(red)
                       .arg(amber)
                       .arg(overdue)
                       .arg(events.size());
    // The events not yet closed, each with its step and the response the plan asks for.
    QStringList openResponses;
    for (const EventRecord& record : eventRecords(db, true)) {
        const std::optional<ResponsePlan> plan =
            responsePlanFor(db, record.event.instrumentId, record.event.state);
        openResponses << QStringLiteral("%1  %2  %3%4")
                             .arg(shownEventTime(record.event.detectedAt),
                                  triggerEventMessage(record.event), stageText(record.stage()),
                                  plan && !plan->isEmpty()
                                      ? QStringLiteral("  ") + responsePlanText(*plan)
                                      : QStringLiteral("  (no response plan)"));
    }
    mail.body = digestBody(rows, events, since, openResponses);
    mail.attachmentName = QStringLiteral("Site Report.pdf");
    // The site report with the events since the day of the last digest (all before the first).
    mail.attachment =
        siteReportPdf(db, now, QDate::fromString(since.left(10), "yyyy-MM-dd"), planReportPages());
    db.inTransaction([&] { queueMail(db, mail, addresses, now); });
    printOut(QStringLiteral("Digest written for %1 addresses").arg(addresses.size()));
    const DeliveryReport report = sendPending(db, readMailSettings(), *context.clock);
    printReport(report);
    failWhenStopped(report);
}
