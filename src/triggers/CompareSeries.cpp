#include "triggers/CompareSeries.h"

#include "revisions/RevisionStore.h"
#include "store/Connection.h"
#include "store/TriggerTables.h"
#include "triggers/SiteStatus.h"

#include <cmath>

namespace {

constexpr double kMsPerDay = 86400000.0;

// The node with the largest displacement by size, the first of equals; none without a value.
std::optional<double> largest(const RevisionNodes& nodes, int count) {
    std::optional<double> peak;
    for (int n = 0; n < count && n < kRevisionNodes; ++n) {
        if (nodes[n] && (!peak || std::abs(*nodes[n]) > std::abs(*peak))) {
            peak = nodes[n];
        }
    }
    return peak;
}

// How many of the sensor's node channels the reading holds a number for.
int present(const StatusReading& reading, int nodes) {
    int values = 0;
    for (int n = 0; n < nodes && n < reading.channels.size(); ++n) {
        bool ok = false;
        reading.channels[n].trimmed().toDouble(&ok);
        values += ok ? 1 : 0;
    }
    return values;
}

} // namespace

CompareSeries compareSeriesOf(const QString& instrumentId, const QList<StatusReading>& readings,
                              const SensorSetup& setup, const TriggerLevels& levels,
                              const QList<SensorRevision>& revisions) {
    CompareSeries series;
    series.instrumentId = instrumentId;
    if (readings.size() < 2 || setup.nodeCount < 1) {
        return series;
    }
    // The zero reference is the earliest reading ticked for the time chart, the first reading
    // when none is; the readings after it are judged against it as the status table judges
    // its newest one. Each reading's displacements are computed once, revised over the whole
    // record (a revision takes its values from the readings beside it), and the rate window
    // then slides over the largest of them.
    int first = 0;
    for (int i = 0; i < readings.size(); ++i) {
        if (readings[i].plotTemporal) {
            first = i;
            break;
        }
    }
    const StatusReading& reference = readings[first];
    const ChannelOffsets offsets = GetOffsets(reference.channels);
    const std::optional<double> referenceTemperature = readingTemperature(reference.channelT);
    QStringList dates;
    std::vector<RevisionNodes> computed;
    computed.reserve(static_cast<std::size_t>(readings.size()));
    for (const StatusReading& r : readings) {
        dates << r.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        RevisionNodes nodes{};
        const QList<std::optional<double>> d =
            nodeDisplacements(r, offsets, setup, referenceTemperature);
        for (qsizetype n = 0; n < d.size() && n < kRevisionNodes; ++n) {
            nodes[n] = d[n];
        }
        computed.push_back(nodes);
    }
    const std::vector<RevisionNodes> judged =
        revisions.isEmpty()
            ? computed
            : reviseDisplacements(dates, computed, revisions, setup.nodeCount, setup.headAtCollar);

    QList<double> days;
    QList<double> sizes;
    QList<QDateTime> at;
    const qint64 windowMs =
        rateWindowSeconds(levels.rateWindow.value_or(kDefaultRateWindow)) * 1000;
    const double needed = levels.minRateReadings.value_or(kDefaultMinRateReadings);
    qsizetype start = 0;
    for (int i = first; i < readings.size(); ++i) {
        const RevisionNodes& nodes = judged[static_cast<std::size_t>(i)];
        // A node channel the reading before had but this one lacks would count as no
        // movement and draw a drop to zero and back: such a reading is left out.
        if (i > first &&
            present(readings[i], setup.nodeCount) < present(readings[i - 1], setup.nodeCount)) {
            continue;
        }
        const std::optional<double> peak = largest(nodes, setup.nodeCount);
        if (i > first && peak) {
            series.displacement << TimedValue{readings[i].at, *peak};
        }
        if (peak) {
            days << static_cast<double>(reference.at.msecsTo(readings[i].at)) / kMsPerDay;
            sizes << std::abs(*peak);
            at << readings[i].at;
        }
        if (i == first || !peak) {
            continue;
        }
        const qsizetype last = at.size() - 1;
        while (at[start].msecsTo(at[last]) > windowMs) {
            ++start;
        }
        const qsizetype count = last - start + 1;
        if (static_cast<double>(count) < needed) {
            continue;
        }
        if (const std::optional<double> rate =
                leastSquaresSlope(days.mid(start, count), sizes.mid(start, count))) {
            series.rate << TimedValue{readings[i].at, *rate};
        }
    }
    return series;
}

QList<CompareSeries> readCompareSeries(Connection& db, const QStringList& ids) {
    const QList<SensorInfo> sensors = readSensorInfos(db, ids);
    const QHash<QString, TriggerLevels> stored =
        hasTriggerTables(db) ? readAllTriggerLevels(db) : QHash<QString, TriggerLevels>();
    const TriggerLevels site = stored.value(kSiteDefaultKey);
    QList<CompareSeries> all;
    for (const SensorInfo& sensor : sensors) {
        const TriggerLevels levels = effectiveLevels(stored.value(sensor.instrumentId), site);
        all << compareSeriesOf(sensor.instrumentId, readStatusReadings(db, sensor.instrumentId),
                               sensor.setup, levels, readRevisions(db, sensor.instrumentId));
    }
    return all;
}
