#include "alarms/AlarmText.h"

#include <QMap>

namespace {
QString sensorLabel(const SensorInfo& sensor) {
    QStringList where;
    for (const QString& part : {sensor.level.trimmed(), sensor.location.trimmed()}) {
        if (!part.isEmpty()) {
            where << part;
        }
    }
    const QString head = QStringLiteral("Sensor %1").arg(sensor.instrumentId);
    return where.isEmpty() ? head : head + " (" + where.join(QStringLiteral(", ")) + ")";
}

QString stateWord(TriggerState state) {
    return stateText(state).toUpper();
}

QString valueText(const TriggerEvent& event) {
    if (event.measure == Measure::Rate) {
        return QString::number(event.value, 'f', 2) + QStringLiteral(" mm/day");
    }
    QString text = QString::number(event.value, 'f', 1) + QStringLiteral(" mm");
    if (event.node > 0) {
        text += QStringLiteral(" at Node %1").arg(event.node);
        if (!event.anchor.isEmpty()) {
            text += QStringLiteral(" (%1 m)").arg(event.anchor);
        }
    }
    return text;
}

QString levelValueText(const TriggerEvent& event) {
    return event.measure == Measure::Rate
               ? QString::number(event.level, 'f', 2) + QStringLiteral(" mm/day")
               : QString::number(event.level, 'f', 1) + QStringLiteral(" mm");
}

QString sensorLines(const SensorInfo& sensor) {
    return QStringLiteral("Sensor: %1\nLevel: %2\nLocation: %3\nBorehole: %4\n")
        .arg(sensor.instrumentId, sensor.level, sensor.location, sensor.borehole);
}

QString hoursText(double hours) {
    return QString::number(hours, 'g', 6);
}
} // namespace

QString eventSubject(const TriggerEvent& event, const SensorInfo& sensor) {
    return stateWord(event.state) + ": " + sensorLabel(sensor) + " " + valueText(event);
}

QString eventBody(const TriggerEvent& event, const SensorInfo& sensor,
                  const std::optional<double>& rate, const QList<ReadingLine>& latest,
                  const std::optional<LevelResponse>& response) {
    QString body = QStringLiteral("%1 trigger level reached.\n\n").arg(stateWord(event.state));
    body += sensorLines(sensor);
    body += QStringLiteral("Value: %1 (%2 level %3)\n")
                .arg(valueText(event), stateWord(event.state), levelValueText(event));
    body += QStringLiteral("Rate: %1\n")
                .arg(rate ? QString::number(*rate, 'f', 3) + QStringLiteral(" mm/day")
                          : QStringLiteral("not known"));
    body += QStringLiteral("Reading: %1\n").arg(event.readingKey);
    body += QStringLiteral("Detected: %1 by %2\n")
                .arg(shownEventTime(event.detectedAt), event.detectedBy);
    body += QStringLiteral("\nLast readings:\n");
    for (const ReadingLine& line : latest) {
        body += QStringLiteral("  %1  %2\n").arg(line.at, line.disp);
    }
    if (latest.isEmpty()) {
        body += QStringLiteral("  none\n");
    }
    body += QStringLiteral("\nResponse (%1):\n").arg(stateWord(event.state));
    if (response && !response->actions.trimmed().isEmpty()) {
        body += response->actions.trimmed() + '\n';
    } else {
        body += QStringLiteral("The response plan gives no actions for this level.\n");
    }
    if (response && response->hours) {
        body += QStringLiteral("Acknowledge within %1 hours; an event left unacknowledged "
                               "longer is escalated.\n")
                    .arg(hoursText(*response->hours));
    }
    body += QStringLiteral("\nAcknowledge the event on \"9. Site Status\".\n");
    return body;
}

QString escalationSubject(const TriggerEvent& event, const SensorInfo& sensor) {
    return QStringLiteral("ESCALATION: ") + eventSubject(event, sensor) +
           QStringLiteral(" not acknowledged");
}

QString escalationBody(const TriggerEvent& event, const SensorInfo& sensor, double hours) {
    return QStringLiteral("The %1 event below was detected %2 by %3 and is still not "
                          "acknowledged after the level's response time of %4 hours.\n\n")
               .arg(stateWord(event.state), shownEventTime(event.detectedAt), event.detectedBy,
                    hoursText(hours)) +
           sensorLines(sensor) +
           QStringLiteral("Value: %1\nReading: %2\n").arg(valueText(event), event.readingKey) +
           QStringLiteral("\nAcknowledge the event on \"9. Site Status\".\n");
}

QString overdueSubject(const SiteStatusRow& row) {
    return QStringLiteral("OVERDUE: ") + sensorLabel(row.sensor) +
           QStringLiteral(" unread for %1 days")
               .arg(QString::number(row.daysSince.value_or(0), 'f', 1));
}

QString overdueBody(const SiteStatusRow& row) {
    return QStringLiteral("The sensor below has not been read for longer than its reading "
                          "interval.\n\n") +
           sensorLines(row.sensor) +
           QStringLiteral("Last reading: %1\nDays since: %2\nReading interval: %3 days\n")
               .arg(row.status.newestAt.toString(QStringLiteral("yyyy/MM/dd HH:mm")),
                    QString::number(row.daysSince.value_or(0), 'f', 1),
                    levelText(row.levels.readingInterval));
}

QString digestBody(const QList<SiteStatusRow>& rows, const QList<TriggerEvent>& events,
                   const QString& since, const QStringList& openResponses) {
    QMap<int, int> counts;
    QStringList overdue;
    for (const SiteStatusRow& row : rows) {
        ++counts[static_cast<int>(row.status.state)];
        if (row.overdue) {
            overdue << QStringLiteral("  ") + overdueSubject(row).mid(9);
        }
    }
    QString body = QStringLiteral("Site status of %1 sensors:\n").arg(rows.size());
    for (const TriggerState state : {TriggerState::Red, TriggerState::Amber, TriggerState::Green,
                                     TriggerState::Grey, TriggerState::Destroyed}) {
        body += QStringLiteral("  %1: %2\n")
                    .arg(stateText(state))
                    .arg(counts.value(static_cast<int>(state)));
    }
    body +=
        since.isEmpty()
            ? QStringLiteral("\nEvents (no digest was sent before):\n")
            : QStringLiteral("\nEvents since the last digest (%1):\n").arg(shownEventTime(since));
    for (const TriggerEvent& e : events) {
        body += QStringLiteral("  %1  %2  %3\n")
                    .arg(shownEventTime(e.detectedAt), triggerEventMessage(e),
                         e.ackAt.isEmpty() ? QStringLiteral("not acknowledged")
                                           : QStringLiteral("acknowledged %1 by %2")
                                                 .arg(shownEventTime(e.ackAt), e.ackBy));
    }
    if (events.isEmpty()) {
        body += QStringLiteral("  none\n");
    }
    body += QStringLiteral("\nOverdue sensors:\n") +
            (overdue.isEmpty() ? QStringLiteral("  none\n") : overdue.join('\n') + '\n');
    body += QStringLiteral("\nOpen responses:\n");
    for (const QString& line : openResponses) {
        body += QStringLiteral("  ") + QString(line).replace('\n', QStringLiteral("; ")) + '\n';
    }
    if (openResponses.isEmpty()) {
        body += QStringLiteral("  none\n");
    }
    body += QStringLiteral("\nThe site status is attached as a PDF.\n");
    return body;
}
