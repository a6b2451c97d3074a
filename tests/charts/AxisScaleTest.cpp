#include "charts/AxisScale.h"

#include <gtest/gtest.h>

namespace {

void expectScale(const AxisScale& scale, double min, double max, double step) {
    EXPECT_DOUBLE_EQ(scale.min, min);
    EXPECT_DOUBLE_EQ(scale.max, max);
    EXPECT_DOUBLE_EQ(scale.step, step);
}

AxisScale autoTime(double hi, double lo = 0) {
    return valueAxisScale(ChartKind::Time, "AutoScale", lo, hi);
}

AxisScale autoLength(double hi, double lo = 0) {
    return valueAxisScale(ChartKind::Length, "AutoScale", lo, hi);
}

} // namespace

TEST(AxisScaleTest, TimeTableRangesAndTheirBoundaries) {
    expectScale(autoTime(0.05), 0, 0.1, 0.01);
    expectScale(autoTime(0.1), 0, 1, 0.1);
    expectScale(autoTime(1), 0, 1.05, 0.1);
    expectScale(autoTime(1.25), 0, 1.25, 0.1);
    expectScale(autoTime(1.35), 0, 1.45, 0.1);
    expectScale(autoTime(2.44), 0, 2.5, 0.1);
    expectScale(autoTime(9.99), 0, 10.5, 0.5);
    expectScale(autoTime(15.5), 0, 17, 1);
    expectScale(autoTime(16), 0, 18, 2);
    expectScale(autoTime(30), 0, 32, 2);
    expectScale(autoTime(30.5), 0, 35, 10);
    expectScale(autoTime(-2, -3.5), -3.5, 3, 10);
}

TEST(AxisScaleTest, LengthTableRangesAndTheirBoundaries) {
    expectScale(autoLength(0.05), 0, 0.1, 0.01);
    expectScale(autoLength(9.7), 0, 10.2, 0.5);
    expectScale(autoLength(10), 0, 15, 1);
    expectScale(autoLength(15), 0, 20, 2);
    expectScale(autoLength(29.9), 0, 30, 2);
    expectScale(autoLength(30), 0, 40, 5);
    expectScale(autoLength(65), 0, 70, 10);
    expectScale(autoLength(119.9), 0, 120, 10);
    expectScale(autoLength(123), 0, 130, 10);
    expectScale(autoLength(125), 0, 130, 10);
    expectScale(autoLength(126.4), 0, 126, 10);
    expectScale(autoLength(-1), 0, -1, 10);
}

TEST(AxisScaleTest, AxisMinimumRoundsANegativeLowToTwoDecimals) {
    EXPECT_DOUBLE_EQ(autoTime(1, -0.456).min, -0.46);
    EXPECT_DOUBLE_EQ(autoLength(1, -0.125).min, -0.12);
    EXPECT_DOUBLE_EQ(autoTime(1, 0).min, 0);
}

TEST(AxisScaleTest, TypedSelectorTextIgnoresTheValues) {
    expectScale(valueAxisScale(ChartKind::Time, "25", -5, 300), 0, 26, 1);
    expectScale(valueAxisScale(ChartKind::Length, "50", 0, 1), 0, 50, 5);
    expectScale(valueAxisScale(ChartKind::Time, "75", 0, 1), 0, 75, 5);
    expectScale(valueAxisScale(ChartKind::Time, "100", 0, 1), 0, 100, 10);
    expectScale(valueAxisScale(ChartKind::Length, "125", 0, 1), 0, 130, 10);
    expectScale(valueAxisScale(ChartKind::Time, "40", 0, 1), 0, 40, 5);
    expectScale(valueAxisScale(ChartKind::Time, "12.5mm", 0, 1), 0, 12.5, 5);
    expectScale(valueAxisScale(ChartKind::Time, "wide", 0, 1), 0, 0, 5);
    expectScale(valueAxisScale(ChartKind::Time, "autoscale", 0, 1), 0, 0, 5);
}

TEST(AxisScaleTest, LengthChartsPlotTheLastFifteenReadings) {
    EXPECT_EQ(spatialWindowStart(2), 1);
    EXPECT_EQ(spatialWindowStart(15), 1);
    EXPECT_FALSE(spatialWindowNoticeShown(15));
    EXPECT_EQ(spatialWindowStart(16), 2);
    EXPECT_TRUE(spatialWindowNoticeShown(16));
    EXPECT_EQ(spatialWindowStart(40), 26);
}
