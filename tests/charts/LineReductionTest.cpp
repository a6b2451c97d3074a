#include "charts/LineReduction.h"

#include <QMap>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// A noisy random walk with spikes, x ascending at uneven steps, some x repeated.
QList<QPointF> noisyLine(int count, quint32 seed) {
    QRandomGenerator random(seed);
    QList<QPointF> line;
    double x = 0;
    double y = 0;
    for (int i = 0; i < count; ++i) {
        x += random.bounded(4) == 0 ? 0.0 : random.bounded(1.0);
        y += random.bounded(2.0) - 1.0;
        const double spike = random.bounded(50) == 0 ? random.bounded(40.0) - 20.0 : 0.0;
        line << QPointF(x, y + spike);
    }
    return line;
}

// True when part is the whole in order with some points left out.
bool isSubsequence(const QList<QPointF>& part, const QList<QPointF>& whole) {
    qsizetype at = 0;
    for (const QPointF& p : part) {
        while (at < whole.size() && whole[at] != p) {
            ++at;
        }
        if (at == whole.size()) {
            return false;
        }
        ++at;
    }
    return true;
}

} // namespace

TEST(LineReduction, EveryColumnKeepsItsLowestAndHighestPointAndNothingElseIsMadeUp) {
    for (const quint32 seed : {1u, 2u, 3u}) {
        const QList<QPointF> raw = noisyLine(20000, seed);
        const double origin = -3.5;
        const double width = (raw.last().x() - origin) / 700;
        const QList<QPointF> kept = columnExtremes(raw, origin, width);

        EXPECT_TRUE(isSubsequence(kept, raw)) << seed;
        EXPECT_EQ(kept.first(), raw.first());
        EXPECT_EQ(kept.last(), raw.last());
        EXPECT_LE(kept.size(), 2 * 701 + 2);

        // Per column, the extremes of the raw points are among the kept ones, and the kept
        // points never reach beyond them.
        QMap<qint64, std::pair<double, double>> rawRange;
        QMap<qint64, std::pair<double, double>> keptRange;
        const auto widen = [&](QMap<qint64, std::pair<double, double>>& ranges, QPointF p) {
            const auto column = static_cast<qint64>(std::floor((p.x() - origin) / width));
            auto it = ranges.find(column);
            if (it == ranges.end()) {
                ranges.insert(column, {p.y(), p.y()});
            } else {
                it->first = std::min(it->first, p.y());
                it->second = std::max(it->second, p.y());
            }
        };
        for (const QPointF& p : raw) {
            widen(rawRange, p);
        }
        for (const QPointF& p : kept) {
            widen(keptRange, p);
        }
        EXPECT_EQ(keptRange, rawRange) << seed;
    }
}

TEST(LineReduction, TheLinesPeaksAndTroughsSurvive) {
    // A slow swell with a one-reading spike every 97 readings, up and down in turn, and a
    // column about 20 readings wide.
    QList<QPointF> raw;
    for (int i = 0; i < 10000; ++i) {
        const double spike = i % 97 == 0 ? (i % 194 == 0 ? 30 : -30) : 0;
        raw << QPointF(i * 0.5, std::sin(i / 500.0) + spike);
    }
    const QList<QPointF> kept = columnExtremes(raw, 0, 10);
    EXPECT_LT(kept.size(), raw.size() / 4);
    int peaks = 0;
    for (qsizetype i = 1; i + 1 < raw.size(); ++i) {
        const double y = raw[i].y();
        const bool peak = y > raw[i - 1].y() && y > raw[i + 1].y();
        const bool trough = y < raw[i - 1].y() && y < raw[i + 1].y();
        if ((peak || trough) && std::abs(y) > 10) {
            ++peaks;
            EXPECT_TRUE(kept.contains(raw[i])) << i;
        }
    }
    EXPECT_EQ(peaks, 103);
    // The swell's own crests are kept too: the highest reading without a spike.
    QPointF crest = raw[1];
    for (const QPointF& p : raw) {
        if (std::abs(p.y()) < 10 && p.y() > crest.y()) {
            crest = p;
        }
    }
    EXPECT_TRUE(kept.contains(crest));
}

TEST(LineReduction, ShortLinesAndNoResolutionStayAsGiven) {
    const QList<QPointF> two{{0, 1}, {0.1, 5}};
    EXPECT_EQ(columnExtremes(two, 0, 10), two);
    const QList<QPointF> raw = noisyLine(100, 3);
    EXPECT_EQ(columnExtremes(raw, 0, 0), raw);
    // A column per point or finer: nothing to drop.
    const QList<QPointF> spaced{{0, 1}, {1, 3}, {2, 2}, {3, 7}};
    EXPECT_EQ(columnExtremes(spaced, 0, 0.5), spaced);
    // Three points in one column: the middle one goes, the line's ends stay.
    EXPECT_EQ(columnExtremes({{0, 0}, {0.2, 1}, {0.4, 2}, {0.6, 1}, {0.8, 0}}, 0, 1),
              (QList<QPointF>{{0, 0}, {0.4, 2}, {0.8, 0}}));
}

TEST(LineReduction, MarkersOnlyWhereReadingsStandClearOfTheirNeighbours) {
    // Readings a pixel apart, a gap, two lone readings, then two close ones; 2 pixels a unit.
    QList<QPointF> line;
    for (int i = 0; i < 10; ++i) {
        line << QPointF(i * 0.5, i % 2 == 0 ? 1 : 9);
    }
    line << QPointF(20, 1) << QPointF(30, 1) << QPointF(40, 5) << QPointF(41.5, 6);
    EXPECT_EQ(visibleMarkers(line, 2, 4), (QList<QPointF>{{20, 1}, {30, 1}}));
    // Zoomed in, the close pair and the crowd stand apart too.
    EXPECT_EQ(visibleMarkers(line, 8, 4), line);
    const QList<QPointF> sparse{{0, 0}, {10, 0}, {20, 3}};
    EXPECT_EQ(visibleMarkers(sparse, 1, 4), sparse);
    EXPECT_EQ(visibleMarkers({{3, 3}}, 1, 4), (QList<QPointF>{{3, 3}}));
}
