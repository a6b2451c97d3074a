#include "triggers/TriggerState.h"

#include "charts/Displacement.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double kMsPerDay = 86400000.0;

// A value computed from texts such as "37.30" - "10.00" may land a hair under the level it
// equals on paper; it still reaches the level.
bool reaches(double value, double level) {
    return value >= level - 1e-9 * std::max(1.0, std::abs(level));
}

using Judged = QList<std::optional<double>>;

// The node (0-based) with the largest displacement by size, the first of equals; -1 when no
// node has one.
int peakNode(const Judged& disp) {
    int peak = -1;
    for (int n = 0; n < disp.size(); ++n) {
        if (disp[n] && (peak < 0 || std::abs(*disp[n]) > std::abs(*disp[peak]))) {
            peak = n;
        }
    }
    return peak;
}

const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The displacements the state judges, by reading key: as computed, then revised over the
// reference, the readings beside the revisions and the rate window, in time order.
class JudgedDisplacements {
public:
    JudgedDisplacements(const StatusInput& input, const ChannelOffsets& offsets,
                        const SensorSetup& setup)
        : offsets_(offsets), setup_(setup) {
        if (input.revisions.isEmpty()) {
            return;
        }
        QList<StatusReading> rows = input.revisionRows;
        rows << input.recent;
        if (input.reference) {
            rows.prepend(*input.reference);
        }
        std::stable_sort(
            rows.begin(), rows.end(),
            [](const StatusReading& a, const StatusReading& b) { return a.at < b.at; });
        QStringList dates;
        std::vector<RevisionNodes> computed;
        QStringList keys;
        for (const StatusReading& r : rows) {
            if (keys.contains(r.key)) {
                continue;
            }
            keys << r.key;
            dates << r.at.toString(kStamp);
            RevisionNodes nodes{};
            const QList<double> d = nodeDisplacements(r, offsets_, setup_);
            for (qsizetype n = 0; n < d.size(); ++n) {
                nodes[n] = d[n];
            }
            computed.push_back(nodes);
        }
        const std::vector<RevisionNodes> revised = reviseDisplacements(
            dates, computed, input.revisions, setup_.nodeCount, setup_.headAtCollar);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            revised_.insert(keys[i], revised[static_cast<std::size_t>(i)]);
        }
    }

    Judged of(const StatusReading& reading) const {
        const QList<double> computed = nodeDisplacements(reading, offsets_, setup_);
        Judged judged(computed.begin(), computed.end());
        if (const auto it = revised_.constFind(reading.key); it != revised_.constEnd()) {
            for (qsizetype n = 0; n < judged.size(); ++n) {
                judged[n] = (*it)[n];
            }
        }
        return judged;
    }

private:
    const ChannelOffsets& offsets_;
    const SensorSetup& setup_;
    QHash<QString, RevisionNodes> revised_;
};

} // namespace

QString stateText(TriggerState state) {
    switch (state) {
    case TriggerState::Grey:
        return QStringLiteral("Grey");
    case TriggerState::Green:
        return QStringLiteral("Green");
    case TriggerState::Amber:
        return QStringLiteral("Amber");
    case TriggerState::Red:
        return QStringLiteral("Red");
    case TriggerState::Destroyed:
        break;
    }
    return QStringLiteral("Destroyed");
}

QList<double> nodeDisplacements(const StatusReading& reading, const ChannelOffsets& offsets,
                                const SensorSetup& setup) {
    const int nodes = std::clamp(setup.nodeCount, 0, MaxDispNodes);
    const ZeroResult zeros = SetZeros(reading.channels, reading.channelT, offsets, nodes);
    std::array<double, ChannelCount> zero{};
    for (int n = 0; n < ChannelCount; ++n) {
        zero[n] = zeros.zero[n].value_or(0.0);
    }
    return SetHeadlocs(zero, nodes, setup.headAtCollar).disp;
}

std::optional<double> leastSquaresSlope(const QList<double>& x, const QList<double>& y) {
    const qsizetype count = std::min(x.size(), y.size());
    if (count < 2) {
        return std::nullopt;
    }
    double meanX = 0;
    double meanY = 0;
    for (qsizetype i = 0; i < count; ++i) {
        meanX += x[i];
        meanY += y[i];
    }
    meanX /= static_cast<double>(count);
    meanY /= static_cast<double>(count);
    double sxx = 0;
    double sxy = 0;
    for (qsizetype i = 0; i < count; ++i) {
        sxx += (x[i] - meanX) * (x[i] - meanX);
        sxy += (x[i] - meanX) * (y[i] - meanY);
    }
    if (!(sxx > 0)) {
        return std::nullopt;
    }
    return sxy / sxx;
}

SensorStatus evaluateSensor(const StatusInput& input, const SensorSetup& setup,
                            const TriggerLevels& levels) {
    SensorStatus status;
    status.readingCount = input.readingCount;
    if (input.recent.isEmpty()) {
        return status;
    }
    const StatusReading& newest = input.recent.last();
    status.newestKey = newest.key;
    status.newestAt = newest.at;
    if (input.readingCount < 2 || !input.reference || setup.nodeCount < 1) {
        return status;
    }

    const ChannelOffsets offsets = GetOffsets(input.reference->channels);
    const JudgedDisplacements judged(input, offsets, setup);
    const Judged disp = judged.of(newest);
    if (const int peak = peakNode(disp); peak >= 0) {
        status.maxDisp = disp[peak];
        status.maxNode = peak + 1;
    }

    // The rate follows the largest displacement from the zero reference on.
    QList<double> days;
    QList<double> sizes;
    for (const StatusReading& reading : input.recent) {
        if (reading.at < input.reference->at) {
            continue;
        }
        const Judged d = judged.of(reading);
        const int peak = peakNode(d);
        if (peak < 0) {
            continue;
        }
        days << static_cast<double>(input.reference->at.msecsTo(reading.at)) / kMsPerDay;
        sizes << std::abs(*d[peak]);
    }
    status.rate = leastSquaresSlope(days, sizes);

    status.state = TriggerState::Green;
    const double size = status.maxDisp ? std::abs(*status.maxDisp) : 0.0;
    const auto check = [&](TriggerState state, Measure measure, const std::optional<double>& value,
                           const std::optional<double>& level) {
        if (status.state == TriggerState::Green && value && level && reaches(*value, *level)) {
            status.state = state;
            status.cause = measure;
            status.causeValue = *value;
            status.causeLevel = *level;
        }
    };
    const std::optional<double> dispSize =
        status.maxDisp ? std::optional<double>(size) : std::nullopt;
    check(TriggerState::Red, Measure::Displacement, dispSize, levels.redDisp);
    check(TriggerState::Red, Measure::Rate, status.rate, levels.redRate);
    check(TriggerState::Amber, Measure::Displacement, dispSize, levels.amberDisp);
    check(TriggerState::Amber, Measure::Rate, status.rate, levels.amberRate);
    return status;
}

QList<int> revisionNeighbours(const QList<StatusReading>& readings, int last,
                              const QList<SensorRevision>& revisions) {
    QList<int> indexes;
    for (const SensorRevision& r : revisions) {
        int before = -1;
        int atOrAfter = -1;
        for (int i = 0; i <= last && i < readings.size(); ++i) {
            if (readings[i].at.toString(kStamp) < r.fromDate) {
                before = i;
            } else if (atOrAfter < 0) {
                atOrAfter = i;
            }
        }
        for (const int i : {before, atOrAfter}) {
            if (i >= 0 && !indexes.contains(i)) {
                indexes << i;
            }
        }
    }
    return indexes;
}

StatusInput statusInputAsOf(const QList<StatusReading>& readings, int index, double windowDays,
                            const QList<SensorRevision>& revisions) {
    StatusInput input;
    if (index < 0 || index >= readings.size()) {
        return input;
    }
    input.readingCount = index + 1;
    for (int i = 0; i <= index; ++i) {
        if (readings[i].plotTemporal) {
            input.reference = readings[i];
            break;
        }
    }
    if (!input.reference) {
        input.reference = readings.first();
    }
    const QDateTime start = readings[index].at.addSecs(-rateWindowSeconds(windowDays));
    int first = index;
    while (first > 0 && readings[first - 1].at >= start) {
        --first;
    }
    input.recent = readings.mid(first, index - first + 1);
    input.revisions = revisions;
    for (const int i : revisionNeighbours(readings, index, revisions)) {
        input.revisionRows << readings[i];
    }
    return input;
}
