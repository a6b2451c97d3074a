#pragma once

#include "alarms/ResponsePlan.h"
#include "triggers/SiteStatus.h"
#include "triggers/TriggerEvents.h"

#include <QList>
#include <QString>

class Connection;

// "RED: Sensor 120541002 (L4, North drive 12) 27.3 mm at Node 2 (2.75 m)", or for a rate
// "AMBER: Sensor 120541002 (L4, North drive 12) 1.25 mm/day". The level and location are left
// out where the register has none.
QString eventSubject(const TriggerEvent& event, const SensorInfo& sensor);

// One of the latest readings as a message lists it.
struct ReadingLine {
    QString at;   // "yyyy/MM/dd HH:mm"
    QString disp; // "27.30 mm at Node 2 (2.75 m)", or empty
};

// The body of an event's message: the level, value, rate, the last readings, when and by whom
// it was detected, and the level's response actions when the plan has them.
QString eventBody(const TriggerEvent& event, const SensorInfo& sensor,
                  const std::optional<double>& rate, const QList<ReadingLine>& latest,
                  const std::optional<LevelResponse>& response);

// The escalation of an event left unacknowledged past its level's response time.
QString escalationSubject(const TriggerEvent& event, const SensorInfo& sensor);
QString escalationBody(const TriggerEvent& event, const SensorInfo& sensor, double hours);

// "OVERDUE: Sensor 120541002 (L4, North drive 12) unread for 12.5 days"
QString overdueSubject(const SiteStatusRow& row);
QString overdueBody(const SiteStatusRow& row);

// The digest's summary: counts by state, the events since the last digest with their state,
// the overdue sensors, and the open responses (one line each for the events not yet closed).
QString digestBody(const QList<SiteStatusRow>& rows, const QList<TriggerEvent>& events,
                   const QString& since, const QStringList& openResponses);
