#include "triggers/TriggerEvents.h"

#include "revisions/RevisionStore.h"
#include "store/Connection.h"
#include "store/EngineSql.h"
#include "store/SqlFailure.h"
#include "store/TriggerTables.h"
#include "triggers/SiteStatus.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kEventColumns =
    QStringLiteral("EventID, InstrumentID, DateTimeKey, State, Measure, Value, Level, Node, "
                   "Anchor, DetectedAt, DetectedBy, AckAt, AckBy, AckNote");

QString stateWord(TriggerState state) {
    return stateText(state).toUpper();
}

TriggerState stateOfWord(const QString& word) {
    return word == QStringLiteral("RED") ? TriggerState::Red : TriggerState::Amber;
}

QString measureWord(Measure measure) {
    switch (measure) {
    case Measure::Rate:
        return QStringLiteral("Rate");
    case Measure::Separation:
        return QStringLiteral("Separation");
    default:
        break;
    }
    return QStringLiteral("Displacement");
}

Measure measureOfWord(const QString& word) {
    if (word == QLatin1String("Rate")) {
        return Measure::Rate;
    }
    return word == QLatin1String("Separation") ? Measure::Separation : Measure::Displacement;
}

QList<TriggerEvent> eventsOf(QSqlQuery& query) {
    QList<TriggerEvent> events;
    while (query.next()) {
        TriggerEvent e;
        e.id = query.value(0).toLongLong();
        e.instrumentId = query.value(1).toString();
        e.readingKey = query.value(2).toString();
        e.state = stateOfWord(query.value(3).toString());
        e.measure = measureOfWord(query.value(4).toString());
        e.value = query.value(5).toDouble();
        e.level = query.value(6).toDouble();
        e.node = query.value(7).toInt();
        e.anchor = query.value(8).toString();
        e.detectedAt = query.value(9).toString();
        e.detectedBy = query.value(10).toString();
        e.ackAt = query.value(11).toString();
        e.ackBy = query.value(12).toString();
        e.ackNote = query.value(13).toString();
        events << e;
    }
    return events;
}

// Far enough ahead that only the possible zero references carry their channels.
const QDateTime kNoDetail(QDate(9999, 12, 31), QTime(0, 0), Qt::UTC);

bool hasAnyLevel(const TriggerLevels& levels) {
    return levels.amberDisp || levels.redDisp || levels.amberRate || levels.redRate ||
           levels.amberSep || levels.redSep;
}

} // namespace

QString shownEventTime(const QString& stored) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}:\\d{2}:\\d{2})$"));
    const QRegularExpressionMatch match = form.match(stored);
    if (!match.hasMatch()) {
        return stored;
    }
    return match.captured(1) + '/' + match.captured(2) + '/' + match.captured(3) + ' ' +
           match.captured(4);
}

std::optional<TriggerEvent> detectTriggerEvent(Connection& db, const QString& instrumentId,
                                               const QStringList& newKeys,
                                               const QDateTime& detectedAt, const QString& login) {
    return detectTriggerEvent(db, instrumentId, AddedReadings::of(newKeys), detectedAt, login);
}

std::optional<TriggerEvent> detectTriggerEvent(Connection& db, const QString& instrumentId,
                                               const AddedReadings& added,
                                               const QDateTime& detectedAt, const QString& login) {
    // Without the tables no level was ever set.
    if (!hasTriggerTables(db)) {
        return std::nullopt;
    }
    const TriggerLevels levels = appliedLevels(db, instrumentId);
    if (!hasAnyLevel(levels) || added.isEmpty()) {
        return std::nullopt;
    }
    const QList<SensorInfo> sensors = readSensorInfos(db, QStringList{instrumentId});
    // A destroyed sensor is out of service: what it still reads raises nothing.
    if (sensors.isEmpty() || sensors.first().destroyed) {
        return std::nullopt;
    }
    const SensorSetup& setup = sensors.first().setup;
    const QList<SensorRevision> revisions = readRevisions(db, instrumentId);
    const double window = *levels.rateWindow;
    // The channels are needed from the rate window before the earliest state judged on: that of
    // the newest earlier reading, or of the earliest new one.
    const QList<StatusReading> light = readStatusReadings(db, instrumentId, kNoDetail);
    QDateTime judgedFrom;
    for (const StatusReading& r : light) {
        if (added.contains(r.key)) {
            judgedFrom = judgedFrom.isValid() ? std::min(judgedFrom, r.at) : r.at;
        }
    }
    for (auto it = light.crbegin(); it != light.crend(); ++it) {
        if (!added.contains(it->key)) {
            judgedFrom = judgedFrom.isValid() ? std::min(judgedFrom, it->at) : it->at;
            break;
        }
    }
    // A state judged by the readings before it needs them all.
    const QList<StatusReading> readings =
        readStatusReadings(db, instrumentId,
                           judgedFrom.isValid() && !judgesHistory(levels)
                               ? judgedFrom.addSecs(-rateWindowSeconds(window) - 1)
                               : QDateTime());

    QList<StatusReading> earlier;
    for (const StatusReading& r : readings) {
        if (!added.contains(r.key)) {
            earlier << r;
        }
    }
    const TriggerState before = earlier.isEmpty()
                                    ? TriggerState::Grey
                                    : evaluateSeries(earlier, static_cast<int>(earlier.size()) - 1,
                                                     setup, levels, revisions)
                                          .state;

    // The new readings that extend the record, then the record as it now stands.
    std::optional<SensorStatus> highest;
    const auto consider = [&](int index) {
        const SensorStatus s = evaluateSeries(readings, index, setup, levels, revisions);
        if (!highest || s.state > highest->state) {
            highest = s;
        }
    };
    const QDateTime lastEarlier = earlier.isEmpty() ? QDateTime() : earlier.last().at;
    for (int i = 0; i < readings.size(); ++i) {
        if (added.contains(readings[i].key) &&
            (!lastEarlier.isValid() || readings[i].at > lastEarlier)) {
            consider(i);
        }
    }
    if (!readings.isEmpty()) {
        consider(static_cast<int>(readings.size()) - 1);
    }
    if (!highest || highest->state <= before || highest->state < TriggerState::Amber) {
        return std::nullopt;
    }

    TriggerEvent event;
    event.instrumentId = instrumentId;
    event.readingKey = highest->newestKey;
    event.state = highest->state;
    event.measure = highest->cause;
    event.value = highest->causeValue;
    event.level = highest->causeLevel;
    if (event.measure == Measure::Displacement) {
        event.value = highest->maxDisp.value_or(event.value);
        event.node = highest->maxNode;
        event.anchor = setup.anchors.value(event.node - 1);
    } else if (event.measure == Measure::Separation) {
        event.value = highest->maxSep.value_or(event.value);
        event.node = highest->sepNode;
        event.anchor = setup.anchors.value(event.node - 1);
    }
    event.detectedAt = detectedAt.toString(kStamp);
    event.detectedBy = login;

    const QVariant logged =
        db.scalar(QStringLiteral("SELECT count(*) FROM TriggerEvents WHERE InstrumentID = ? AND "
                                 "DateTimeKey = ? AND State = ?"),
                  {instrumentId, event.readingKey, stateWord(event.state)});
    if (logged.toInt() > 0) {
        return std::nullopt;
    }
    event.id = insertReturningRowId(
        db,
        QStringLiteral("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, "
                       "Value, Level, Node, Anchor, DetectedAt, DetectedBy) VALUES (?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?)"),
        {instrumentId, event.readingKey, stateWord(event.state), measureWord(event.measure),
         event.value, event.level,
         event.node > 0 ? QVariant(event.node) : QVariant(QMetaType::fromType<int>()), event.anchor,
         event.detectedAt, event.detectedBy});
    return event;
}

std::optional<QString> logTriggerEvent(Connection& db, const QString& instrumentId,
                                       const QStringList& newKeys, const QDateTime& detectedAt,
                                       const QString& login,
                                       const std::function<void(const TriggerEvent&)>& onLogged) {
    return logTriggerEvent(db, instrumentId, AddedReadings::of(newKeys), detectedAt, login,
                           onLogged);
}

std::optional<QString> logTriggerEvent(Connection& db, const QString& instrumentId,
                                       const AddedReadings& added, const QDateTime& detectedAt,
                                       const QString& login,
                                       const std::function<void(const TriggerEvent&)>& onLogged) {
    const std::optional<TriggerEvent> event =
        detectTriggerEvent(db, instrumentId, added, detectedAt, login);
    if (!event) {
        return std::nullopt;
    }
    if (onLogged) {
        onLogged(*event);
    }
    return triggerEventMessage(*event, *appliedLevels(db, instrumentId).rateWindow);
}

QString triggerEventMessage(const TriggerEvent& event, double rateWindowDays) {
    const QString head =
        QStringLiteral("Sensor %1 reached %2: ").arg(event.instrumentId, stateWord(event.state));
    if (event.measure == Measure::Rate) {
        return head + QStringLiteral("%1 mm/day over %2 days")
                          .arg(QString::number(event.value, 'f', 2))
                          .arg(QString::number(rateWindowDays, 'g', 6));
    }
    QString text = head + QString::number(event.value, 'f', 1) + QStringLiteral(" mm");
    if (event.measure == Measure::Separation) {
        text += QStringLiteral(" bed separation");
        if (event.node > 0) {
            text += QStringLiteral(" between Node %1").arg(event.node);
            if (!event.anchor.isEmpty()) {
                text += QStringLiteral(" (%1 m)").arg(event.anchor);
            }
            text += QStringLiteral(" and Node %1").arg(event.node + 1);
        }
        return text;
    }
    if (event.node > 0) {
        text += QStringLiteral(" at Node %1").arg(event.node);
        if (!event.anchor.isEmpty()) {
            text += QStringLiteral(" (%1 m)").arg(event.anchor);
        }
    }
    return text;
}

QList<TriggerEvent> unacknowledgedEvents(Connection& db, const std::optional<QStringList>& only) {
    QSqlQuery query = runQuery(db,
                               "SELECT " + kEventColumns +
                                   " FROM TriggerEvents WHERE AckAt IS NULL ORDER BY EventID DESC",
                               {});
    QList<TriggerEvent> events = eventsOf(query);
    if (only) {
        const QSet<QString> listed(only->begin(), only->end());
        events.removeIf([&](const TriggerEvent& e) { return !listed.contains(e.instrumentId); });
    }
    return events;
}

QList<TriggerEvent> allTriggerEvents(Connection& db) {
    QSqlQuery query =
        runQuery(db, "SELECT " + kEventColumns + " FROM TriggerEvents ORDER BY EventID", {});
    return eventsOf(query);
}

QList<TriggerEvent> triggerEventsAfter(Connection& db, qint64 id) {
    QSqlQuery query = runQuery(
        db, "SELECT " + kEventColumns + " FROM TriggerEvents WHERE EventID > ? ORDER BY EventID",
        {id});
    return eventsOf(query);
}

int acknowledgeEvents(Connection& db, const QList<qint64>& ids, const QDateTime& at,
                      const QString& by, const QString& note) {
    int acknowledged = 0;
    db.inTransaction([&] {
        for (const qint64 id : ids) {
            QSqlQuery query = runQuery(db,
                                       QStringLiteral("UPDATE TriggerEvents SET AckAt = ?, AckBy = "
                                                      "?, AckNote = ? WHERE EventID = ? AND AckAt "
                                                      "IS NULL"),
                                       {at.toString(kStamp), by, note, id});
            acknowledged += query.numRowsAffected() > 0 ? 1 : 0;
        }
    });
    return acknowledged;
}
