#include "charts/NodeRates.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMsPerDay = 86400000.0;
// Beyond any rate window a register can hold.
constexpr double kLongestWindowDays = 36500.0;
} // namespace

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

QList<QPointF> nodeRatePoints(const QList<GraphRow>& rows, int node, double windowDays,
                              int minReadings) {
    QList<QPointF> points;
    if (node < 1 || node > static_cast<int>(GraphRow{}.disp.size()) || !(windowDays >= 0)) {
        return points;
    }
    // Whole seconds, as the status takes the window, so a reading just on its start is in it.
    const qint64 windowMs = std::llround(std::min(windowDays, kLongestWindowDays) * 86400.0) * 1000;
    // The node's values as days since the first row, so that the sums keep their precision.
    QList<double> days;
    QList<double> mm;
    QList<qint64> x;
    for (const GraphRow& row : rows) {
        if (const std::optional<double> d = row.disp.at(node - 1)) {
            const qint64 ms = row.fullDate.toMSecsSinceEpoch();
            x << ms;
            days << static_cast<double>(ms - x.first()) / kMsPerDay;
            mm << *d;
        }
    }
    const int needed = std::max(2, minReadings);
    qsizetype start = 0;
    for (qsizetype i = 0; i < days.size(); ++i) {
        while (x[start] < x[i] - windowMs) {
            ++start;
        }
        const qsizetype count = i - start + 1;
        if (count < needed) {
            continue;
        }
        if (const std::optional<double> slope =
                leastSquaresSlope(days.mid(start, count), mm.mid(start, count))) {
            points << QPointF(static_cast<double>(x[i]), *slope);
        }
    }
    return points;
}
