#include "triggers/SiteStatus.h"

#include "store/Columns.h"
#include "triggers/TriggerEvents.h"

#include "charts/Displacement.h"
#include "charts/Geometry.h"
#include "charts/GraphData.h"
#include "charts/TemperatureCorrection.h"
#include "revisions/RevisionStore.h"
#include "store/ChangeMark.h"
#include "store/CheckTables.h"
#include "store/Connection.h"
#include "store/EngineSql.h"
#include "store/MarkedValues.h"
#include "store/NativeStatement.h"
#include "store/SensorTypes.h"
#include "store/SqlFailure.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

namespace {

constexpr double kMsPerDay = 86400000.0;

// FullDate and the values a state is computed from.
QString readingColumns() {
    QStringList columns{col::DateTimeKey, col::FullDate};
    for (int n = 1; n <= ChannelCount; ++n) {
        columns << QStringLiteral("Channel%1").arg(n);
    }
    columns << col::ChannelT << QStringLiteral("Plottemporal = 1");
    return columns.join(QStringLiteral(", "));
}

// FullDate "yyyy-MM-dd HH:mm:ss" as wall-clock time, read by position.
QDateTime wallClockOf(const QString& text) {
    const QStringView v(text);
    if (text.size() == 19) {
        const QDate date(v.mid(0, 4).toInt(), v.mid(5, 2).toInt(), v.mid(8, 2).toInt());
        const QTime time(v.mid(11, 2).toInt(), v.mid(14, 2).toInt(), v.mid(17, 2).toInt());
        if (date.isValid() && time.isValid()) {
            return QDateTime(date, time, Qt::UTC);
        }
    }
    const QDateTime parsed = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return QDateTime(parsed.date(), parsed.time(), Qt::UTC);
}

StatusReading readingOf(const NativeStatement& query) {
    StatusReading r;
    r.key = query.textAt(0);
    r.at = wallClockOf(query.textAt(1));
    for (int n = 0; n < ChannelCount; ++n) {
        r.channels << query.textAt(2 + n);
    }
    r.channelT = query.textAt(2 + ChannelCount);
    r.plotTemporal = query.int64At(3 + ChannelCount) != 0;
    return r;
}

std::optional<StatusReading> firstReading(Connection& db, const QString& sql) {
    NativeStatement query(db, sql);
    if (query.step()) {
        return readingOf(query);
    }
    return std::nullopt;
}

// The readings one state needs: the count, the zero reference, the rate window, and the
// readings beside each revision.
StatusInput readStatusInput(Connection& db, const QString& instrumentId, double windowDays,
                            const QList<SensorRevision>& revisions) {
    StatusInput input;
    const QString table = quoteName(instrumentId);
    // Rejected readings are no readings of the state: not counted, no reference, not in the
    // window and nobody's neighbour.
    const QString kept = notRejectedSql(db);
    const QString select = "SELECT " + readingColumns() + " FROM " + table + " WHERE " + kept;
    {
        NativeStatement count(db, "SELECT count(*) FROM " + table + " WHERE " + kept);
        count.step();
        input.readingCount = static_cast<int>(count.int64At(0));
    }
    if (input.readingCount == 0) {
        return input;
    }
    input.reference = firstReading(db, select + " AND " + graphWhere(db, GraphVariant::Time) +
                                           " ORDER BY FullDate, rowid LIMIT 1");
    if (!input.reference) {
        input.reference = firstReading(db, select + " ORDER BY FullDate, rowid LIMIT 1");
    }
    NativeStatement window(db, select + " AND FullDate >= (SELECT " +
                                   secondsBeforeSql(db, "max(FullDate)") + " FROM " + table +
                                   " WHERE " + kept + ") ORDER BY FullDate, rowid");
    window.bind(1, rateWindowSeconds(windowDays));
    while (window.step()) {
        input.recent << readingOf(window);
    }
    input.revisions = revisions;
    for (const SensorRevision& r : revisions) {
        for (const QString& side : {QStringLiteral(" AND FullDate < ? ORDER BY FullDate DESC, "
                                                   "rowid DESC LIMIT 1"),
                                    QStringLiteral(" AND FullDate >= ? ORDER BY FullDate, "
                                                   "rowid LIMIT 1")}) {
            NativeStatement beside(db, select + side);
            const QByteArray from = r.fromDate.toUtf8();
            beside.bindText(1, std::string_view(from.constData(), from.size()));
            if (beside.step()) {
                input.revisionRows << readingOf(beside);
            }
        }
    }
    return input;
}

QString decimals(const std::optional<double>& value, int places) {
    return value ? QString::number(*value, 'f', places) : QString();
}

} // namespace

QList<SensorInfo> readSensorInfos(Connection& db, const std::optional<QStringList>& only) {
    QStringList columns{col::InstrumentID, col::SensorType, col::Level,
                        col::Location,     col::Borehole,   col::Destroyed,
                        col::HeadLocation, col::Recess,     col::LengthofCable};
    for (int n = 1; n <= MaxAnchors; ++n) {
        columns << QStringLiteral("NodeLocation%1").arg(n);
    }
    QSqlQuery query =
        runQuery(db, "SELECT " + columns.join(", ") + " FROM Sensors ORDER BY InstrumentID", {});
    QList<SensorInfo> all;
    while (query.next()) {
        SensorInfo info;
        info.instrumentId = query.value(0).toString();
        info.level = query.value(2).toString();
        info.location = query.value(3).toString();
        info.borehole = query.value(4).toString();
        info.destroyed = query.value(5).toString() == QStringLiteral("Yes");
        const std::optional<SensorTypeInfo> type = lookupSensorType(query.value(1).toString());
        GeometryInput geometry;
        geometry.headAtCollar = query.value(6).toInt() != 0;
        geometry.recess = query.value(7).toString();
        geometry.lengthOfCable = query.value(8).toString();
        for (int n = 0; n < MaxAnchors; ++n) {
            geometry.nodeTexts << query.value(9 + n).toString();
        }
        geometry.nodeCount = type ? type->nodeCount : 0;
        info.setup.nodeCount = geometry.nodeCount;
        info.setup.headAtCollar = geometry.headAtCollar;
        info.setup.anchors = CalcReltoRoof(geometry).anchors;
        all << info;
    }
    const QHash<QString, TemperatureCorrection> corrections = readAllTemperatureCorrections(db);
    for (SensorInfo& info : all) {
        info.setup.correction = corrections.value(info.instrumentId);
    }
    if (!only) {
        return all;
    }
    QHash<QString, qsizetype> byId;
    for (qsizetype i = 0; i < all.size(); ++i) {
        byId.insert(all[i].instrumentId, i);
    }
    QList<SensorInfo> chosen;
    for (const QString& id : *only) {
        if (const auto it = byId.constFind(id); it != byId.constEnd()) {
            chosen << all[*it];
        }
    }
    return chosen;
}

QList<StatusReading> readStatusReadings(Connection& db, const QString& instrumentId,
                                        const QDateTime& detailFrom) {
    QList<StatusReading> readings;
    if (!db.hasTable(instrumentId)) {
        return readings;
    }
    NativeStatement query(db, "SELECT " + readingColumns() + " FROM " + quoteName(instrumentId) +
                                  " WHERE " + notRejectedSql(db) + " ORDER BY FullDate, rowid");
    bool tickedSeen = false;
    // A revision takes its values from readings anywhere in the record.
    const bool everyReading = !readRevisions(db, instrumentId).isEmpty();
    while (query.step()) {
        StatusReading r;
        r.key = query.textAt(0);
        r.at = wallClockOf(query.textAt(1));
        r.plotTemporal = query.int64At(3 + ChannelCount) != 0;
        const bool reference = readings.isEmpty() || (r.plotTemporal && !tickedSeen);
        tickedSeen = tickedSeen || r.plotTemporal;
        if (reference || everyReading || !detailFrom.isValid() || r.at >= detailFrom) {
            r = readingOf(query);
        }
        readings << r;
    }
    return readings;
}

namespace {

// Each sensor judged on what the database holds: everything of a row but what the clock adds.
QList<SiteStatusRow> judgeSensors(Connection& db, const std::optional<QStringList>& only) {
    const QList<SensorInfo> sensors = readSensorInfos(db, only);
    const QHash<QString, TriggerLevels> stored = readAllTriggerLevels(db);
    const TriggerLevels site = stored.value(kSiteDefaultKey);
    // Table names compared without regard to case, as the database resolves them.
    const QSet<QString> tables = [&] {
        QSet<QString> names;
        for (const QString& name : db.tables()) {
            names.insert(name.toLower());
        }
        return names;
    }();
    const QHash<QString, QList<SensorRevision>> revisions = readAllRevisions(db);

    QList<SiteStatusRow> rows;
    rows.reserve(sensors.size());
    for (const SensorInfo& sensor : sensors) {
        SiteStatusRow row;
        row.sensor = sensor;
        row.levels = effectiveLevels(stored.value(sensor.instrumentId), site);
        // A destroyed sensor's readings are still shown, but no level judges them.
        const TriggerLevels judging = sensor.destroyed ? TriggerLevels{} : row.levels;
        const bool present = tables.contains(sensor.instrumentId.toLower());
        if (present && judgesHistory(judging)) {
            const QList<StatusReading> readings = readStatusReadings(db, sensor.instrumentId);
            row.status =
                readings.isEmpty()
                    ? evaluateSensor({}, sensor.setup, judging)
                    : evaluateSeries(readings, static_cast<int>(readings.size()) - 1, sensor.setup,
                                     judging, revisions.value(sensor.instrumentId));
        } else {
            StatusInput input;
            if (present) {
                input = readStatusInput(db, sensor.instrumentId, *row.levels.rateWindow,
                                        revisions.value(sensor.instrumentId));
            }
            row.status = evaluateSensor(input, sensor.setup, judging);
        }
        if (sensor.destroyed) {
            row.status.state = TriggerState::Destroyed;
        }
        rows << row;
    }
    std::stable_partition(rows.begin(), rows.end(),
                          [](const SiteStatusRow& row) { return !row.sensor.destroyed; });
    return rows;
}

// The judged rows of the last few readings of the site, each with the mark of the file it
// was read at: while the file stands there, the status tab entered again, or the alarm round
// run again, reads no reading. A file written since, by anyone, is read again.
using JudgedKey = std::tuple<qint64, std::optional<QStringList>>; // opening, sensors listed
using JudgedRows = MarkedValues<JudgedKey, JudgedKey, QList<SiteStatusRow>>;

JudgedRows& judgedRows() {
    static JudgedRows rows(4);
    return rows;
}

} // namespace

QList<SiteStatusRow> computeSiteStatus(Connection& db, const QDateTime& now,
                                       const std::optional<QStringList>& only) {
    // Taken before anything is read: a write meanwhile moves the file past it.
    const std::optional<ChangeMark> mark = changeMark(db);
    std::optional<QList<SiteStatusRow>> judged;
    if (mark) {
        judged = judgedRows().find({mark->opening, only}, *mark);
    }
    if (!judged) {
        judged = judgeSensors(db, only);
        if (mark) {
            judgedRows().remember({mark->opening, only}, {mark->opening, only}, *mark, *judged);
        }
    }
    QList<SiteStatusRow> rows = *judged;
    const QDateTime wallNow(now.date(), now.time(), Qt::UTC);
    for (SiteStatusRow& row : rows) {
        if (row.status.newestAt.isValid()) {
            row.daysSince = static_cast<double>(row.status.newestAt.msecsTo(wallNow)) / kMsPerDay;
            row.overdue = !row.sensor.destroyed && row.levels.readingInterval &&
                          *row.daysSince > *row.levels.readingInterval;
        }
    }
    return rows;
}

QStringList siteStatusHeadings() {
    return {"Sensor",    "Level",   "Location",    "Borehole", "Nodes",   "Last Reading", "Days",
            "Disp (mm)", "At Node", "Rate (mm/d)", "State",    "Overdue", "Sep (mm)"};
}

QString nodeText(const SensorSetup& setup, int node) {
    if (node < 1) {
        return {};
    }
    const QString anchor = setup.anchors.value(node - 1);
    return anchor.isEmpty() ? QStringLiteral("Node %1").arg(node)
                            : QStringLiteral("Node %1 (%2 m)").arg(node).arg(anchor);
}

QStringList siteStatusCells(const SiteStatusRow& row) {
    const SensorStatus& s = row.status;
    return {row.sensor.instrumentId,
            row.sensor.level,
            row.sensor.location,
            row.sensor.borehole,
            QString::number(row.sensor.setup.nodeCount),
            s.newestAt.isValid() ? s.newestAt.toString(kShownMoment) : QString(),
            decimals(row.daysSince, 1),
            decimals(s.maxDisp, 2),
            nodeText(row.sensor.setup, s.maxNode),
            decimals(s.rate, 3),
            stateText(s.state),
            row.overdue ? QStringLiteral("Overdue") : QString(),
            s.maxSep ? QStringLiteral("%1 (Node %2-%3)")
                           .arg(decimals(s.maxSep, 2))
                           .arg(s.sepNode)
                           .arg(s.sepNode + 1)
                     : QString()};
}
