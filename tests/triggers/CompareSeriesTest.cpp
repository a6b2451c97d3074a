#include "triggers/CompareSeries.h"
#include "charts/NodeRates.h"

#include "support/TestReadings.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kStart(QDate(2026, 11, 1), QTime(8, 0), Qt::UTC);

StatusReading reading(double day, const QStringList& channels, bool ticked = false) {
    return statusReading(kStart, day, channels, ticked);
}

// Two nodes, head at the toe: each node's displacement is its channel's change.
const SensorSetup kToe{2, false, {"1.25", "3.25"}, {}};

TriggerLevels levels(double window, double minReadings = 2) {
    TriggerLevels l;
    l.rateWindow = window;
    l.minRateReadings = minReadings;
    return l;
}

GraphRow row(double day, std::optional<double> disp1) {
    GraphRow r;
    r.fullDate = kStart.addSecs(static_cast<qint64>(day * 86400));
    r.disp[0] = disp1;
    return r;
}

} // namespace

TEST(CompareSeries, TheLargestNodeIsFollowedReadingByReadingWithItsSign) {
    // Node 1 leads, then node 2 overtakes it moving the other way.
    const QList<StatusReading> readings{reading(0, {"10.00", "20.00"}),
                                        reading(1, {"11.00", "19.50"}),
                                        reading(2, {"11.50", "17.00"})};
    const CompareSeries s = compareSeriesOf("120531001", readings, kToe, levels(7));
    ASSERT_EQ(s.displacement.size(), 2); // the reference itself has nothing to compare with
    EXPECT_EQ(s.displacement[0].at, readings[1].at);
    EXPECT_NEAR(s.displacement[0].value, 1.0, 1e-9);
    EXPECT_NEAR(s.displacement[1].value, -3.0, 1e-9);
    // The rate follows the size of the largest displacement: 0, 1, 3 mm over 0, 1, 2 days.
    ASSERT_EQ(s.rate.size(), 2);
    EXPECT_NEAR(s.rate[0].value, 1.0, 1e-9);
    EXPECT_NEAR(s.rate[1].value, 1.5, 1e-9);
}

TEST(CompareSeries, AReadingMissingTheLeadingNodeIsLeftOutRatherThanDrawnAsADrop) {
    const QList<StatusReading> readings{reading(0, {"10.00", "20.00"}),
                                        reading(1, {"10.50", "24.00"}), reading(2, {"10.60", ""}),
                                        reading(3, {"10.70", "25.00"})};
    const CompareSeries s = compareSeriesOf("120531001", readings, kToe, levels(7));
    ASSERT_EQ(s.displacement.size(), 2);
    EXPECT_EQ(s.displacement[0].at, readings[1].at);
    EXPECT_NEAR(s.displacement[0].value, 4.0, 1e-9);
    EXPECT_EQ(s.displacement[1].at, readings[3].at);
    EXPECT_NEAR(s.displacement[1].value, 5.0, 1e-9);
}

TEST(CompareSeries, StartsAtTheTickedReferenceAndEndsOnTheStatusTablesValues) {
    QList<StatusReading> readings;
    // An early reading not ticked, then the ticked reference, then 0.5 mm a day for ten days.
    readings << reading(-5, {"0.00", "0.00"});
    for (int day = 0; day <= 10; ++day) {
        readings << reading(day, {QString::number(10 + 0.5 * day, 'f', 2), "20.00"}, day == 0);
    }
    const TriggerLevels l = levels(3, 3);
    const CompareSeries s = compareSeriesOf("120531001", readings, kToe, l);
    ASSERT_EQ(s.displacement.size(), 10);
    EXPECT_EQ(s.displacement.first().at, readings[2].at);
    EXPECT_NEAR(s.displacement.first().value, 0.5, 1e-9);
    // Three readings in the window are needed: none for day 1, a rate from day 2 on.
    ASSERT_EQ(s.rate.size(), 9);
    EXPECT_EQ(s.rate.first().at, readings[3].at);
    for (const TimedValue& v : s.rate) {
        EXPECT_NEAR(v.value, 0.5, 1e-9);
    }
    const SensorStatus table = evaluateSensor(
        statusInputAsOf(readings, static_cast<int>(readings.size()) - 1, 3), kToe, l);
    EXPECT_DOUBLE_EQ(s.displacement.last().value, *table.maxDisp);
    EXPECT_DOUBLE_EQ(s.rate.last().value, *table.rate);
}

TEST(NodeRates, EachReadingTakesTheSlopeOfItsOwnWindow) {
    // 1 mm/day for four days, then 3 mm/day; a reading without the node's value is skipped.
    QList<GraphRow> rows{row(0, 0), row(1, 1), row(2, 2), row(3, 3), row(3.5, std::nullopt),
                         row(4, 6), row(5, 9), row(6, 12)};
    const QList<QPointF> rates = nodeRatePoints(rows, 1, 2, 2);
    ASSERT_EQ(rates.size(), 6);
    EXPECT_DOUBLE_EQ(rates[0].x(), static_cast<double>(rows[1].fullDate.toMSecsSinceEpoch()));
    EXPECT_NEAR(rates[0].y(), 1.0, 1e-9);
    EXPECT_NEAR(rates[2].y(), 1.0, 1e-9); // days 1 to 3, the window's start on a reading
    // Days 2, 3, 4: values 2, 3, 6 give a slope of 2.
    EXPECT_NEAR(rates[3].y(), 2.0, 1e-9);
    EXPECT_NEAR(rates[5].y(), 3.0, 1e-9);

    // More readings asked for than a window holds: no point at all.
    EXPECT_TRUE(nodeRatePoints(rows, 1, 2, 4).isEmpty());
    // A window shorter than the spacing of the readings holds one reading only.
    EXPECT_TRUE(nodeRatePoints(rows, 1, 0.5, 2).isEmpty());
    // A node out of range, or without values, has no rate.
    EXPECT_TRUE(nodeRatePoints(rows, 9, 2, 2).isEmpty());
    EXPECT_TRUE(nodeRatePoints(rows, 2, 2, 2).isEmpty());
}
