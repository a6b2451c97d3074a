#include "triggers/TriggerState.h"

#include "charts/Displacement.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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

// The adjacent pair (0-based first node) of nodes that both have a value whose displacements
// differ most by size; -1 when no pair has.
int peakPair(const Judged& disp) {
    int peak = -1;
    for (int n = 0; n + 1 < disp.size(); ++n) {
        if (!disp[n] || !disp[n + 1]) {
            continue;
        }
        if (peak < 0 ||
            std::abs(*disp[n] - *disp[n + 1]) > std::abs(*disp[peak] - *disp[peak + 1])) {
            peak = n;
        }
    }
    return peak;
}

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The size of a signed value, kNoValue for none.
double sizeOf(const std::optional<double>& value) {
    return value ? std::abs(*value) : kNoValue;
}

// One level over a run of readings: how many came to it in a row, and whether it counts as
// reached.
struct Latch {
    int run = 0;
    bool held = false;

    void step(double v, const std::optional<double>& level, int needed, double hysteresis) {
        if (std::isnan(v) || !level) {
            run = 0;
            held = false;
            return;
        }
        const double l = *level;
        if (reaches(v, l)) {
            held = held || ++run >= needed;
            return;
        }
        run = 0;
        held = held && reaches(v, l - hysteresis);
    }
};

// The six levels in the order a cause is chosen: red before amber, and within a colour the
// displacement, the rate, then the separation.
struct Judgement {
    std::array<Latch, 6> latches;

    void step(const SensorStatus& s, const TriggerLevels& levels, int needed) {
        const double hysteresis = levels.hysteresis.value_or(0.0);
        const double disp = sizeOf(s.maxDisp);
        const double sep = sizeOf(s.maxSep);
        latches[0].step(disp, levels.redDisp, needed, hysteresis);
        latches[1].step(s.rate.value_or(kNoValue), levels.redRate, needed, 0.0);
        latches[2].step(sep, levels.redSep, needed, hysteresis);
        latches[3].step(disp, levels.amberDisp, needed, hysteresis);
        latches[4].step(s.rate.value_or(kNoValue), levels.amberRate, needed, 0.0);
        latches[5].step(sep, levels.amberSep, needed, hysteresis);
    }

    void apply(SensorStatus& s, const TriggerLevels& levels) const {
        if (s.state != TriggerState::Green) {
            return;
        }
        const double disp = sizeOf(s.maxDisp);
        const double sep = sizeOf(s.maxSep);
        const struct {
            TriggerState state;
            Measure measure;
            double value;
            std::optional<double> level;
        } order[] = {
            {TriggerState::Red, Measure::Displacement, disp, levels.redDisp},
            {TriggerState::Red, Measure::Rate, s.rate.value_or(kNoValue), levels.redRate},
            {TriggerState::Red, Measure::Separation, sep, levels.redSep},
            {TriggerState::Amber, Measure::Displacement, disp, levels.amberDisp},
            {TriggerState::Amber, Measure::Rate, s.rate.value_or(kNoValue), levels.amberRate},
            {TriggerState::Amber, Measure::Separation, sep, levels.amberSep}};
        for (std::size_t i = 0; i < latches.size(); ++i) {
            if (latches[i].held && order[i].level) {
                s.state = order[i].state;
                s.cause = order[i].measure;
                s.causeValue = order[i].value;
                s.causeLevel = *order[i].level;
                return;
            }
        }
    }
};

const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The displacements the state judges, by reading key: as computed, then revised over the
// reference, the readings beside the revisions and the rate window, in time order.
class JudgedDisplacements {
public:
    JudgedDisplacements(const StatusInput& input, const ChannelOffsets& offsets,
                        const SensorSetup& setup, const std::optional<double>& referenceTemperature)
        : offsets_(offsets), setup_(setup), referenceTemperature_(referenceTemperature) {
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
            const Judged d = nodeDisplacements(r, offsets_, setup_, referenceTemperature_);
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
        Judged judged = nodeDisplacements(reading, offsets_, setup_, referenceTemperature_);
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
    std::optional<double> referenceTemperature_;
    QHash<QString, RevisionNodes> revised_;
};

// The values of the newest reading of the input, unjudged: Green once there is something to
// judge, else Grey.
SensorStatus measure(const StatusInput& input, const SensorSetup& setup,
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
    const std::optional<double> referenceTemperature =
        readingTemperature(input.reference->channelT);
    status.uncorrected =
        setup.correction.isOn() && (!referenceTemperature || !readingTemperature(newest.channelT));
    const JudgedDisplacements judged(input, offsets, setup, referenceTemperature);
    const Judged disp = judged.of(newest);
    if (const int peak = peakNode(disp); peak >= 0) {
        status.maxDisp = disp[peak];
        status.maxNode = peak + 1;
    }
    if (const int pair = peakPair(disp); pair >= 0) {
        status.maxSep = *disp[pair] - *disp[pair + 1];
        status.sepNode = pair + 1;
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
    if (days.size() >= levels.minRateReadings.value_or(kDefaultMinRateReadings)) {
        status.rate = leastSquaresSlope(days, sizes);
    }
    status.state = TriggerState::Green;
    return status;
}

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

QList<std::optional<double>> nodeDisplacements(const StatusReading& reading,
                                               const ChannelOffsets& offsets,
                                               const SensorSetup& setup,
                                               const std::optional<double>& referenceTemperature) {
    const int nodes = std::clamp(setup.nodeCount, 0, MaxDispNodes);
    const ZeroResult zeros = SetZeros(reading.channels, reading.channelT, offsets, nodes);
    NodeDisplacements disp = displacementsOf(zeros.zero, nodes, setup.headAtCollar);
    correctForTemperature(disp, nodes, setup.correction, readingTemperature(reading.channelT),
                          referenceTemperature);
    return QList<std::optional<double>>(disp.begin(), disp.begin() + nodes);
}

SensorStatus evaluateSensor(const StatusInput& input, const SensorSetup& setup,
                            const TriggerLevels& levels) {
    SensorStatus status = measure(input, setup, levels);
    Judgement judgement;
    judgement.step(status, levels, 1);
    judgement.apply(status, levels);
    return status;
}

SensorStatus evaluateSeries(const QList<StatusReading>& readings, int index,
                            const SensorSetup& setup, const TriggerLevels& levels,
                            const QList<SensorRevision>& revisions) {
    const double window = levels.rateWindow.value_or(kDefaultRateWindow);
    if (!judgesHistory(levels)) {
        return evaluateSensor(statusInputAsOf(readings, index, window, revisions), setup, levels);
    }
    const int needed = static_cast<int>(levels.consecutive.value_or(kDefaultConsecutive));
    // Without a hysteresis only the last run of readings can count; with one, a level reached
    // long ago may still hold.
    const int first = levels.hysteresis.value_or(0.0) > 0 ? 0 : std::max(0, index - needed + 1);
    Judgement judgement;
    SensorStatus status;
    for (int i = first; i <= index; ++i) {
        status = measure(statusInputAsOf(readings, i, window, revisions), setup, levels);
        judgement.step(status, levels, needed);
    }
    judgement.apply(status, levels);
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
