#include "charts/LengthCharts.h"
#include "charts/ChartInputs.h"
#include "charts/ChartWidget.h"
#include "store/DbError.h"

#include <gtest/gtest.h>

namespace {

using Axis = ChartWidget::Axis;

class LengthChartsTest : public ::testing::Test {
protected:
    LengthChartsTest() { setupLengthChart(chart, QStringLiteral("Displacement (mm)")); }

    ChartWidget chart{16, ChartWidget::XAxisKind::Value};
};

TEST_F(LengthChartsTest, HeadAtCollarStartsAtTheRecessWithTheLastChannelsChange) {
    DrawSgraph(chart, testInput(3, true, 2));
    EXPECT_EQ(chart.titleLines(), QStringList{"241221007"});
    EXPECT_EQ(chart.legendTitle(), "Reading  Dates: ");
    EXPECT_EQ(chart.legendEntries(), (QStringList{"2024/03/01", "2024/03/02"}));
    EXPECT_FALSE(chart.isSeriesListed(0));
    EXPECT_EQ(chart.points(1), (QList<QPointF>{{0.25, 30}, {1.25, 1}, {2.25, 2}, {3.25, 3}}));
    EXPECT_EQ(chart.points(2), (QList<QPointF>{{0.25, 31}, {1.25, 1.1}, {2.25, 2.1}, {3.25, 3.1}}));
    EXPECT_EQ(chart.axisSpec(Axis::X).title, "Distance from Roof (m)");
    EXPECT_EQ(chart.axisSpec(Axis::X).labelFormat, "0");
    EXPECT_EQ(chart.axisSpec(Axis::X).step, 1);
    EXPECT_EQ(chart.axisSpec(Axis::X).min, 0);
    EXPECT_EQ(chart.axisSpec(Axis::X).max, 4);
    EXPECT_EQ(chart.axisSpec(Axis::Y).max, 40); // hi 31: steps of 5 up to 40
    EXPECT_EQ(chart.axisSpec(Axis::Y).step, 5);
}

TEST_F(LengthChartsTest, HeadAtToeEndsAtTheHeadWithZeroInAscendingDistance) {
    GraphInput input = testInput(8, false, 2);
    // Anchors as measured from a head at the toe: node 1 deepest.
    input.sensor.headText = QStringLiteral("9.25");
    for (int n = 0; n < 8; ++n) {
        input.sensor.anchorTexts.at(n) = QString::number(8.25 - n, 'f', 2);
    }
    DrawSgraph(chart, input);
    const QList<QPointF> points = chart.points(1);
    ASSERT_EQ(points.size(), 9);
    EXPECT_EQ(points.first(), QPointF(1.25, 8));
    EXPECT_EQ(points.at(7), QPointF(8.25, 1));
    EXPECT_EQ(points.last(), QPointF(9.25, 0));
    EXPECT_EQ(chart.axisSpec(Axis::X).max, 10);
}

TEST_F(LengthChartsTest, AxisRunsToTheWholeMetreBeyondTheDeepestPoint) {
    GraphInput input = testInput(2, true, 2);
    input.sensor.anchorTexts.at(1) = QStringLiteral("6.25");
    DrawSgraph(chart, input);
    EXPECT_EQ(chart.axisSpec(Axis::X).max, 7);

    input.sensor.anchorTexts = {QStringLiteral("0.50"), QStringLiteral("0.80")};
    DrawSgraph(chart, input);
    EXPECT_EQ(chart.axisSpec(Axis::X).max, 1);
}

TEST_F(LengthChartsTest, OnlyTheLastFifteenReadingsArePlotted) {
    DrawSgraph(chart, testInput(2, true, 15));
    EXPECT_EQ(chart.legendEntries().size(), 15);
    EXPECT_EQ(chart.legendEntries().first(), "2024/03/01");

    DrawSgraph(chart, testInput(2, true, 20));
    const QStringList entries = chart.legendEntries();
    ASSERT_EQ(entries.size(), 15);
    EXPECT_EQ(entries.first(), "2024/03/06");
    EXPECT_EQ(entries.last(), "2024/03/20");
    EXPECT_EQ(chart.points(15).last().y(), 2 + 19 / 10.0);
}

TEST_F(LengthChartsTest, FailureKeepsWhatWasDrawnBeforeIt) {
    // A node without a value is no failure: its line goes on without it.
    GraphInput input = testInput(3, true, 3);
    input.rows[1].disp.at(1).reset();
    EXPECT_NO_THROW(DrawSgraph(chart, input));
    EXPECT_EQ(chart.legendEntries().size(), 3);
    EXPECT_EQ(chart.points(1).size(), 4);
    ASSERT_EQ(chart.points(2).size(), 3);
    EXPECT_EQ(chart.points(2)[2].x(), chart.points(1)[3].x());

    input = testInput(2, true, 3);
    input.sensor.recessText = QStringLiteral("a");
    EXPECT_THROW(DrawSgraph(chart, input), DbError);
    EXPECT_TRUE(chart.points(1).isEmpty());
}

class LoadLengthTest : public ::testing::Test {
protected:
    LoadLengthTest() { setupLengthChart(chart, QStringLiteral("Load (kN)")); }

    ChartWidget chart{16, ChartWidget::XAxisKind::Value};
};

TEST_F(LoadLengthTest, CollarPointCarriesTheFirstPairWhenThePlateIsTicked) {
    GraphInput input = testInput(3, true, 2);
    input.sensor.plate = true;
    DrawLVLgraph(chart, input);
    EXPECT_EQ(chart.axisSpec(Axis::Y).title, "Load (kN)");
    // Collar, the two pair midpoints, the end of the 7 m strand less its 0.25 m recess.
    EXPECT_EQ(chart.points(1), (QList<QPointF>{{0, 100}, {1.75, 100}, {2.75, 200}, {6.75, 0}}));
    EXPECT_EQ(chart.points(2).first(), QPointF(0, 101));
    EXPECT_EQ(chart.axisSpec(Axis::X).max, 7);

    input.sensor.plate = false;
    DrawLVLgraph(chart, input);
    EXPECT_EQ(chart.points(1).first(), QPointF(0, 0));
}

TEST_F(LoadLengthTest, HeadAtToeTakesTheCollarLoadFromPairFive) {
    GraphInput input = testInput(6, false, 2);
    input.sensor.plate = true;
    DrawLVLgraph(chart, input);
    EXPECT_EQ(chart.points(1).first(), QPointF(0, 500));
    EXPECT_EQ(chart.points(1).size(), 7);

    // Fewer than six nodes never compute Load5: the first reading stops at its collar point.
    input = testInput(3, false, 2);
    input.sensor.plate = true;
    EXPECT_THROW(DrawLVLgraph(chart, input), DbError);
    EXPECT_EQ(chart.legendEntries(), QStringList{"2024/03/01"});
    EXPECT_TRUE(chart.points(1).isEmpty());
}

TEST_F(LoadLengthTest, OneNodeSensorDrawsCollarAndEndOnly) {
    GraphInput input = testInput(1, true, 2);
    input.sensor.lengthOfCableText = QStringLiteral("5.5 m");
    input.sensor.recessText = QString();
    DrawLVLgraph(chart, input);
    EXPECT_EQ(chart.points(1), (QList<QPointF>{{0, 0}, {5.5, 0}}));
    EXPECT_EQ(chart.axisSpec(Axis::X).max, 6);
}

} // namespace
