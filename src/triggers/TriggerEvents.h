#pragma once

#include "store/AddedReadings.h"
#include "store/LoginName.h"
#include "triggers/TriggerState.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class Connection;

// One row of the event log.
struct TriggerEvent {
    qint64 id = 0;
    QString instrumentId;
    QString readingKey; // DateTimeKey of the reading that reached the level
    TriggerState state = TriggerState::Amber;
    Measure measure = Measure::Displacement;
    double value = 0; // mm or mm/day
    double level = 0;
    int node = 0;       // displacement events: the node; separation: the pair's first; else 0
    QString anchor;     // its distance from the roof, "##0.00"
    QString detectedAt; // "yyyy-MM-dd HH:mm:ss"
    QString detectedBy;
    QString ackAt;
    QString ackBy;
    QString ackNote;
};

// How the program shows a moment, as the register shows a reading: "yyyy/MM/dd HH:mm:ss".
inline const QString kShownMoment = QStringLiteral("yyyy/MM/dd HH:mm:ss");
// A stored "yyyy-MM-dd HH:mm:ss" (DetectedAt, AckAt) in the shown form; any other text as it
// is stored, so that nothing stored is hidden.
QString shownEventTime(const QString& stored);

// Once readings of a sensor are written (newKeys: their keys): the state the sensor had
// without them, against the highest state it reaches with them — as of the newest reading,
// and as of each new reading that came after every earlier one. A rise to amber or red is
// logged once, at the first reading that reached it, unless the log already holds that
// state for that reading; the event written is returned. Nothing is read when no level
// applies to the sensor (or the trigger tables do not exist). It opens no transaction of its
// own: run in the one that writes the readings, so that the event is stored with them or
// not at all.
std::optional<TriggerEvent> detectTriggerEvent(Connection& db, const QString& instrumentId,
                                               const QStringList& newKeys,
                                               const QDateTime& detectedAt, const QString& login);
std::optional<TriggerEvent> detectTriggerEvent(Connection& db, const QString& instrumentId,
                                               const AddedReadings& added,
                                               const QDateTime& detectedAt, const QString& login);

// detectTriggerEvent, giving the message that tells the event it logged. A failure is raised,
// to roll the readings back with it; the caller shows the message once the transaction
// committed. onLogged, when given, is run with the event in the same transaction (the alarm
// messages are written there).
std::optional<QString>
logTriggerEvent(Connection& db, const QString& instrumentId, const QStringList& newKeys,
                const QDateTime& detectedAt, const QString& login,
                const std::function<void(const TriggerEvent&)>& onLogged = {});
std::optional<QString>
logTriggerEvent(Connection& db, const QString& instrumentId, const AddedReadings& added,
                const QDateTime& detectedAt, const QString& login,
                const std::function<void(const TriggerEvent&)>& onLogged = {});

// "Sensor 120541002 reached RED: 27.3 mm at Node 2 (2.75 m)", or for a rate
// "Sensor 120541002 reached AMBER: 1.25 mm/day over 7 days", or for a bed separation
// "Sensor 120541002 reached AMBER: 4.2 mm bed separation between Node 1 (5.45 m) and Node 2".
QString triggerEventMessage(const TriggerEvent& event, double rateWindowDays = kDefaultRateWindow);

// The events not yet acknowledged, newest first; of the listed sensors only when given.
QList<TriggerEvent> unacknowledgedEvents(Connection& db,
                                         const std::optional<QStringList>& only = {});
// Every event, oldest first.
QList<TriggerEvent> allTriggerEvents(Connection& db);
// The events logged after the one numbered id, oldest first.
QList<TriggerEvent> triggerEventsAfter(Connection& db, qint64 id);

// Adds the acknowledgement to each event not yet acknowledged, in one transaction; returns
// how many took it. An event already acknowledged keeps its first acknowledgement.
int acknowledgeEvents(Connection& db, const QList<qint64>& ids, const QDateTime& at,
                      const QString& by, const QString& note);
