#include "triggers/TriggerState.h"

#include "charts/Displacement.h"

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

// The node (0-based) with the largest displacement by size, the first of equals.
int peakNode(const QList<double>& disp) {
    int peak = 0;
    for (int n = 1; n < disp.size(); ++n) {
        if (std::abs(disp[n]) > std::abs(disp[peak])) {
            peak = n;
        }
    }
    return peak;
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
    const QList<double> disp = nodeDisplacements(newest, offsets, setup);
    if (!disp.isEmpty()) {
        const int peak = peakNode(disp);
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
        const QList<double> d = nodeDisplacements(reading, offsets, setup);
        if (d.isEmpty()) {
            continue;
        }
        days << static_cast<double>(input.reference->at.msecsTo(reading.at)) / kMsPerDay;
        sizes << std::abs(d[peakNode(d)]);
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

StatusInput statusInputAsOf(const QList<StatusReading>& readings, int index, double windowDays) {
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
    return input;
}
