#include "alarms/AlarmDelivery.h"

#include "alarms/AlarmText.h"
#include "alarms/MailMessage.h"
#include "alarms/SmtpSender.h"
#include "store/AlarmStore.h"
#include "store/Clock.h"
#include "store/Connection.h"
#include "store/TriggerTables.h"
#include "triggers/SiteStatus.h"

#include <QRegularExpression>

namespace {
const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

SensorInfo sensorOf(Connection& db, const QString& instrumentId) {
    const QList<SensorInfo> sensors = readSensorInfos(db, QStringList{instrumentId});
    if (!sensors.isEmpty()) {
        return sensors.first();
    }
    SensorInfo none;
    none.instrumentId = instrumentId;
    return none;
}

// The last five readings with the node that moved most, and the rate as of the newest.
QList<ReadingLine> latestReadings(Connection& db, const SensorInfo& sensor,
                                  std::optional<double>& rate) {
    const TriggerLevels levels = appliedLevels(db, sensor.instrumentId);
    const double window = levels.rateWindow.value_or(kDefaultRateWindow);
    const QList<StatusReading> readings = readStatusReadings(db, sensor.instrumentId);
    QList<ReadingLine> lines;
    const int count = static_cast<int>(readings.size());
    for (int i = std::max(0, count - 5); i < count; ++i) {
        const SensorStatus status =
            evaluateSensor(statusInputAsOf(readings, i, window), sensor.setup, levels);
        ReadingLine line;
        line.at = readings[i].at.toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        if (status.maxDisp) {
            line.disp = QString::number(*status.maxDisp, 'f', 2) + QStringLiteral(" mm");
            const QString node = nodeText(sensor.setup, status.maxNode);
            if (!node.isEmpty()) {
                line.disp += QStringLiteral(" at ") + node;
            }
        }
        lines << line;
        if (i == count - 1) {
            rate = status.rate;
        }
    }
    return lines;
}

QString messageIdOf(const OutboxMessage& message) {
    return QStringLiteral("quorvelle.%1.%2")
        .arg(message.id)
        .arg(QString(message.createdAt).remove(QRegularExpression(QStringLiteral("[^0-9]"))));
}

QString mimeTypeOf(const QString& name) {
    return name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)
               ? QStringLiteral("application/pdf")
               : QStringLiteral("image/png");
}
} // namespace

int queueEventMail(Connection& db, const TriggerEvent& event, const QDateTime& now) {
    // Without the tables no list has an address; making them here could fail the readings.
    if (!hasAlarmTables(db)) {
        return 0;
    }
    const QString list =
        event.state == TriggerState::Red ? QStringLiteral("red") : QStringLiteral("amber");
    const QStringList addresses = recipientsOf(db, list);
    if (addresses.isEmpty()) {
        return 0;
    }
    const SensorInfo sensor = sensorOf(db, event.instrumentId);
    std::optional<double> rate;
    const QList<ReadingLine> latest = latestReadings(db, sensor, rate);
    AlarmMail mail;
    mail.eventId = event.id;
    mail.instrumentId = event.instrumentId;
    mail.kind = list;
    mail.subject = eventSubject(event, sensor);
    mail.body =
        eventBody(event, sensor, rate, latest, responsePlan(db, event.instrumentId, event.state));
    return queueMail(db, mail, addresses, now);
}

int queueEscalations(Connection& db, const QDateTime& now) {
    if (!hasTriggerTables(db) || !hasAlarmTables(db)) {
        return 0;
    }
    const QStringList addresses = recipientsOf(db, QStringLiteral("escalation"));
    if (addresses.isEmpty()) {
        return 0;
    }
    int queued = 0;
    for (const TriggerEvent& event : unacknowledgedEvents(db)) {
        const std::optional<LevelResponse> response =
            responsePlan(db, event.instrumentId, event.state);
        if (!response || !response->hours) {
            continue;
        }
        const QDateTime detected = QDateTime::fromString(event.detectedAt, kStamp);
        if (!detected.isValid() ||
            detected.addSecs(static_cast<qint64>(*response->hours * 3600)) > now ||
            eventHasMail(db, event.id, QStringLiteral("escalation"))) {
            continue;
        }
        const SensorInfo sensor = sensorOf(db, event.instrumentId);
        AlarmMail mail;
        mail.eventId = event.id;
        mail.instrumentId = event.instrumentId;
        mail.kind = QStringLiteral("escalation");
        mail.subject = escalationSubject(event, sensor);
        mail.body = escalationBody(event, sensor, *response->hours);
        db.inTransaction([&] { queued += queueMail(db, mail, addresses, now); });
    }
    return queued;
}

int queueOverdue(Connection& db, const QDateTime& now) {
    if (!hasTriggerTables(db) || !hasAlarmTables(db)) {
        return 0;
    }
    const QStringList addresses = recipientsOf(db, QStringLiteral("overdue"));
    if (addresses.isEmpty()) {
        return 0;
    }
    int queued = 0;
    for (const SiteStatusRow& row : computeSiteStatus(db, now)) {
        if (!row.overdue) {
            continue;
        }
        const QString spell =
            QStringLiteral("overdue %1 %2").arg(row.sensor.instrumentId, row.status.newestKey);
        if (spellHasMail(db, spell)) {
            continue;
        }
        AlarmMail mail;
        mail.instrumentId = row.sensor.instrumentId;
        mail.kind = QStringLiteral("overdue");
        mail.subject = overdueSubject(row);
        mail.body = overdueBody(row);
        mail.spellKey = spell;
        db.inTransaction([&] { queued += queueMail(db, mail, addresses, now); });
    }
    return queued;
}

bool hasAlarmWork(Connection& db) {
    if (!hasAlarmTables(db)) {
        return false;
    }
    return db.scalar(QStringLiteral("SELECT count(*) FROM AlarmOutbox WHERE State = 'pending'"))
                   .toInt() > 0 ||
           !recipientsOf(db, QStringLiteral("escalation")).isEmpty() ||
           !recipientsOf(db, QStringLiteral("overdue")).isEmpty();
}

DeliveryReport sendPending(Connection& db, const MailSettings& settings, const Clock& clock) {
    DeliveryReport report;
    if (!hasAlarmTables(db)) {
        return report;
    }
    const QList<OutboxMessage> messages = pendingMessages(db, true);
    report.pending = static_cast<int>(messages.size());
    if (messages.isEmpty()) {
        return report;
    }
    if (const auto problem = mailSettingsProblem(settings)) {
        report.stopped = *problem;
        return report;
    }
    for (const OutboxMessage& message : messages) {
        if (!claimMessage(db, message.id, clock.now())) {
            continue; // another run has it
        }
        MailContent content;
        content.from = settings.from;
        content.to = message.address;
        content.subject = message.subject;
        content.body = message.body;
        content.date = clock.now();
        content.messageId = messageIdOf(message);
        if (!message.attachmentName.isEmpty()) {
            content.attachments << MailAttachment{
                message.attachmentName, mimeTypeOf(message.attachmentName), message.attachment};
        }
        const SmtpOutcome outcome = sendMail(settings, message.address, composeMail(content));
        report.lines << message.address + QStringLiteral(": ") + outcome.answer;
        switch (outcome.kind) {
        case SmtpOutcome::Kind::Sent:
            recordAttempt(db, message.id, QStringLiteral("sent"), outcome.answer, clock.now());
            ++report.sent;
            --report.pending;
            break;
        case SmtpOutcome::Kind::Refused:
            recordAttempt(db, message.id, QStringLiteral("failed"), outcome.answer, clock.now());
            ++report.failed;
            --report.pending;
            break;
        case SmtpOutcome::Kind::LoginRefused:
            report.stopped = QStringLiteral("The mail server refused the login: ") + outcome.answer;
            recordAttempt(db, message.id, QStringLiteral("pending"), *report.stopped, clock.now());
            return report;
        case SmtpOutcome::Kind::TryLater:
            recordAttempt(db, message.id, QStringLiteral("pending"), outcome.answer, clock.now());
            // Without a connection every further message would wait as long again.
            report.stopped =
                QStringLiteral("The mail server could not be reached: ") + outcome.answer;
            return report;
        }
    }
    return report;
}

DeliveryReport deliverAlarms(Connection& db, const MailSettings& settings, const Clock& clock) {
    queueEscalations(db, clock.now());
    queueOverdue(db, clock.now());
    return sendPending(db, settings, clock);
}

QStringList sendTestMessages(Connection& db, const MailSettings& settings, const Clock& clock) {
    if (const auto problem = mailSettingsProblem(settings)) {
        return {*problem};
    }
    ensureAlarmTables(db);
    QStringList lines;
    int n = 0;
    for (const QString& list : alarmLists()) {
        for (const QString& address : recipientsOf(db, list)) {
            MailContent content;
            content.from = settings.from;
            content.to = address;
            content.subject = QStringLiteral("Quorvelle test message to the %1 list").arg(list);
            content.body = QStringLiteral("This test message was sent to the %1 list of the "
                                          "alarm recipients of %2.\n")
                               .arg(list, db.isServer() ? QStringLiteral("the site server")
                                                        : QStringLiteral("the register"));
            content.date = clock.now();
            content.messageId = QStringLiteral("quorvelle.test.%1.%2")
                                    .arg(clock.now().toString(QStringLiteral("yyyyMMddHHmmss")))
                                    .arg(++n);
            const SmtpOutcome outcome = sendMail(settings, address, composeMail(content));
            lines << QStringLiteral("%1 %2: %3")
                         .arg(list, address,
                              outcome.kind == SmtpOutcome::Kind::LoginRefused
                                  ? QStringLiteral("The mail server refused the login: ") +
                                        outcome.answer
                                  : outcome.answer);
        }
    }
    if (lines.isEmpty()) {
        lines << QStringLiteral("No list has an address: nothing was sent.");
    }
    return lines;
}

QString deliverySummary(const DeliveryReport& report) {
    QString text = QStringLiteral("%1 sent, %2 refused, %3 waiting")
                       .arg(report.sent)
                       .arg(report.failed)
                       .arg(report.pending);
    if (report.stopped) {
        text += QStringLiteral(" (") + *report.stopped + QStringLiteral(")");
    }
    return text;
}
