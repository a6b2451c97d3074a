#include "triggers/TriggerState.h"

#include "support/TestReadings.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kStart(QDate(2026, 11, 1), QTime(8, 0), Qt::UTC);

StatusReading reading(double day, const QStringList& channels, bool ticked = true) {
    return statusReading(kStart, day, channels, ticked);
}

SensorSetup setup(int nodes, bool collar) {
    return SensorSetup{nodes, collar, {"1.25", "3.25", "6.25"}, {}};
}

StatusInput input(const QList<StatusReading>& readings, double window = 7) {
    return statusInputAsOf(readings, static_cast<int>(readings.size()) - 1, window);
}

} // namespace

TEST(TriggerState, DisplacementOfTheNewestReadingFollowsTheHeadArrangement) {
    // Changes since the reference: 2.0, 1.5 and 0.5 mm.
    const QList<StatusReading> readings{reading(0, {"10.00", "20.00", "30.00"}),
                                        reading(1, {"12.00", "21.50", "30.50"})};
    TriggerLevels none;
    none.rateWindow = 7;

    // Collar: Disp1 = 0.5 - 2.0 = -1.5, Disp2 = -1.0, Disp3 = 0; node 1 moved most.
    const SensorStatus collar = evaluateSensor(input(readings), setup(3, true), none);
    EXPECT_EQ(collar.state, TriggerState::Green);
    ASSERT_TRUE(collar.maxDisp);
    EXPECT_DOUBLE_EQ(*collar.maxDisp, -1.5);
    EXPECT_EQ(collar.maxNode, 1);

    // Toe: DispN = zeroN, so node 1 at 2.0.
    const SensorStatus toe = evaluateSensor(input(readings), setup(3, false), none);
    EXPECT_DOUBLE_EQ(*toe.maxDisp, 2.0);
    EXPECT_EQ(toe.maxNode, 1);
    // Two readings a day apart: 0 then 2.0 mm gives 2 mm/day.
    ASSERT_TRUE(toe.rate);
    EXPECT_NEAR(*toe.rate, 2.0, 1e-9);
}

TEST(TriggerState, ANodeWithoutAValueIsNotJudgedNorTakenAsUnchanged) {
    // The reference lacks the deepest channel, so that node has no change to give; with the
    // head at the collar every node is measured against it and none has a value, as the chart
    // stores them. Taken as 0 it made node 1 look 2.0 mm out and reach the red level.
    const QList<StatusReading> readings{reading(0, {"10.00", "20.00", ""}),
                                        reading(1, {"12.00", "21.50", "30.50"})};
    TriggerLevels levels;
    levels.redDisp = 1.9;
    levels.rateWindow = 7;
    const SensorStatus collar = evaluateSensor(input(readings), setup(3, true), levels);
    EXPECT_FALSE(collar.maxDisp);
    EXPECT_NE(collar.state, TriggerState::Red);

    // At the toe each node stands alone: node 3 has none, node 1 still moved 2.0.
    const SensorStatus toe = evaluateSensor(input(readings), setup(3, false), levels);
    ASSERT_TRUE(toe.maxDisp);
    EXPECT_DOUBLE_EQ(*toe.maxDisp, 2.0);
    EXPECT_EQ(toe.maxNode, 1);
    EXPECT_EQ(toe.state, TriggerState::Red);
}

TEST(TriggerState, LevelsAreReachedByTheSizeOfTheDisplacementAndExactlyOnTheLevel) {
    // 37.30 - 10.00 is a hair under 27.3 in binary; the level still counts as reached.
    const QList<StatusReading> readings{reading(0, {"10.00"}), reading(1, {"37.30"})};
    TriggerLevels levels;
    levels.amberDisp = 20;
    levels.redDisp = 27.3;
    levels.rateWindow = 0.5; // only the newest reading: no rate
    SensorStatus s = evaluateSensor(input(readings, 0.5), setup(1, false), levels);
    EXPECT_EQ(s.state, TriggerState::Red);
    EXPECT_EQ(s.cause, Measure::Displacement);
    EXPECT_DOUBLE_EQ(s.causeLevel, 27.3);
    EXPECT_FALSE(s.rate);

    levels.redDisp = 27.31;
    s = evaluateSensor(input(readings, 0.5), setup(1, false), levels);
    EXPECT_EQ(s.state, TriggerState::Amber);

    // A shortening of the same size reaches the same levels.
    const QList<StatusReading> down{reading(0, {"37.30"}), reading(1, {"10.00"})};
    s = evaluateSensor(input(down, 0.5), setup(1, false), levels);
    EXPECT_DOUBLE_EQ(*s.maxDisp, -27.3);
    EXPECT_EQ(s.state, TriggerState::Amber);
}

TEST(TriggerState, RateIsTheSlopeOfTheLargestDisplacementOverTheWindow) {
    // Daily readings 10, 10.5, 11.5, 12.5, 14 mm against the first.
    QList<StatusReading> rising;
    const QStringList values{"10.0", "10.5", "11.5", "12.5", "14.0"};
    for (int d = 0; d < values.size(); ++d) {
        rising << reading(d, {values[d]});
    }
    TriggerLevels levels;
    levels.amberRate = 1.25;
    levels.redRate = 2;
    levels.rateWindow = 3;
    SensorStatus s = evaluateSensor(input(rising, 3), setup(1, false), levels);
    // The window reaches back to day 1: sizes 0.5, 1.5, 2.5, 4.0 over days 1..4.
    // x mean 2.5, y mean 2.125: sxy = 1.5*1.625 + .5*.625 + .5*.375 + 1.5*1.875 = 5.75,
    // sxx = 5, slope 1.15.
    ASSERT_TRUE(s.rate);
    EXPECT_NEAR(*s.rate, 1.15, 1e-9);
    EXPECT_EQ(s.state, TriggerState::Green);
    levels.amberRate = 1.15;
    s = evaluateSensor(input(rising, 3), setup(1, false), levels);
    EXPECT_EQ(s.state, TriggerState::Amber);
    EXPECT_EQ(s.cause, Measure::Rate);

    // Falling back towards the reference: the rate is negative and raises nothing.
    QList<StatusReading> falling{reading(0, {"10.0"}), reading(1, {"14.0"}), reading(2, {"13.0"}),
                                 reading(3, {"12.0"})};
    s = evaluateSensor(input(falling, 2), setup(1, false), levels);
    EXPECT_NEAR(*s.rate, -1.0, 1e-9);
    EXPECT_EQ(s.state, TriggerState::Green);
}

TEST(TriggerState, ZeroReferenceIsTheEarliestTickedReadingAndEmptyChannelsChangeByNothing) {
    // The first reading is not ticked for the time chart: the second is the reference.
    QList<StatusReading> readings{reading(0, {"0.00", "0.00"}, false), reading(1, {"5.00", "8.00"}),
                                  reading(2, {"", "9.00"})};
    const StatusInput in = input(readings);
    ASSERT_TRUE(in.reference);
    EXPECT_EQ(in.reference->key, readings[1].key);
    TriggerLevels levels;
    levels.amberDisp = 1;
    const SensorStatus s = evaluateSensor(in, setup(2, false), levels);
    // Node 1 is empty in the newest reading: its change is 0; node 2 moved 1.0.
    EXPECT_DOUBLE_EQ(*s.maxDisp, 1.0);
    EXPECT_EQ(s.maxNode, 2);
    EXPECT_EQ(s.state, TriggerState::Amber);

    // Nothing ticked: the earliest reading is the reference.
    for (StatusReading& r : readings) {
        r.plotTemporal = false;
    }
    EXPECT_EQ(input(readings).reference->key, readings[0].key);
    // As of the first reading only one reading exists: grey, never an error.
    const SensorStatus first =
        evaluateSensor(statusInputAsOf(readings, 0, 7), setup(2, false), levels);
    EXPECT_EQ(first.state, TriggerState::Grey);
    EXPECT_EQ(first.newestKey, readings[0].key);
    EXPECT_EQ(evaluateSensor(StatusInput{}, setup(2, false), levels).state, TriggerState::Grey);
}

TEST(TriggerState, LeastSquaresSlope) {
    EXPECT_DOUBLE_EQ(*leastSquaresSlope({0, 1, 2}, {1, 3, 2}), 0.5);
    EXPECT_FALSE(leastSquaresSlope({1}, {1}));
    EXPECT_FALSE(leastSquaresSlope({2, 2}, {1, 5}));
}
