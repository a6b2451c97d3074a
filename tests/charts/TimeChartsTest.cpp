#include "charts/TimeCharts.h"
#include "charts/ChartInputs.h"
#include "charts/ChartWidget.h"

#include <QCheckBox>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace {

using Axis = ChartWidget::Axis;

class TimeChartsTest : public ::testing::Test {
protected:
    TimeChartsTest() { setupTimeChart(chart); }

    // The y values of a series, in point order.
    QList<double> ys(int series) const {
        QList<double> values;
        for (const QPointF& p : chart.points(series)) {
            values << p.y();
        }
        return values;
    }

    ChartWidget chart{11, ChartWidget::XAxisKind::DateTime};
};

TEST_F(TimeChartsTest, HeadAtCollarListsDeepestNodeFirstThenHead) {
    const GraphInput input = testInput(3, true, 2);
    DrawTgraph(chart, input);

    EXPECT_EQ(chart.titleLines(), QStringList{"241221007"});
    EXPECT_EQ(chart.axisSpec(Axis::Y).title, "Displacement (mm)");
    EXPECT_EQ(chart.legendTitle(), "Node Locations:");
    EXPECT_EQ(chart.legendEntries(),
              (QStringList{"Temp (C)", "3.25 m", "2.25 m", "1.25 m", "Head"}));
    EXPECT_EQ(ys(0), (QList<double>{12.5, 12.5}));
    EXPECT_EQ(ys(1), (QList<double>{3.0, 3.1}));   // Disp3
    EXPECT_EQ(ys(3), (QList<double>{1.0, 1.1}));   // Disp1
    EXPECT_EQ(ys(4), (QList<double>{30.0, 31.0})); // zero3
    EXPECT_EQ(chart.points(1).first().x(), ChartWidget::timeX(input.rows.first().fullDate));
    for (int s = 5; s <= 10; ++s) {
        EXPECT_FALSE(chart.isSeriesListed(s)) << s;
        EXPECT_TRUE(chart.points(s).isEmpty()) << s;
    }
}

TEST_F(TimeChartsTest, HeadAtToeListsHeadFirstThenNodesInOrder) {
    DrawTgraph(chart, testInput(3, false, 2));
    EXPECT_EQ(chart.legendEntries(),
              (QStringList{"Temp (C)", "Head", "1.25 m", "2.25 m", "3.25 m"}));
    EXPECT_EQ(ys(1), (QList<double>{0.0, 0.0})); // Reference
    EXPECT_EQ(ys(2), (QList<double>{1.0, 1.1})); // Disp1
    EXPECT_EQ(ys(4), (QList<double>{3.0, 3.1})); // Disp3
}

TEST_F(TimeChartsTest, OneAndEightNodeSensorsUseTheirSeriesOnly) {
    DrawTgraph(chart, testInput(1, true, 2));
    EXPECT_EQ(chart.legendEntries(), (QStringList{"Temp (C)", "1.25 m", "Head"}));

    // Redrawing an eight-node sensor takes series 1 to 9; series 10 stays hidden.
    DrawTgraph(chart, testInput(8, false, 2));
    EXPECT_EQ(chart.legendEntries(),
              (QStringList{"Temp (C)", "Head", "1.25 m", "2.25 m", "3.25 m", "4.25 m", "5.25 m",
                           "6.25 m", "7.25 m", "8.25 m"}));
    EXPECT_EQ(ys(9), (QList<double>{8.0, 8.1})); // Disp8
    EXPECT_FALSE(chart.isSeriesListed(10));

    DrawTgraph(chart, testInput(8, true, 2));
    EXPECT_EQ(chart.legendEntries().at(1), "8.25 m");
    EXPECT_EQ(chart.legendEntries().at(9), "Head");
    EXPECT_EQ(ys(9), (QList<double>{80.0, 81.0})); // zero8
}

TEST_F(TimeChartsTest, ReadingsOnOneDayGetTwoHourSteps) {
    GraphInput input = testInput(2, true, 3, 3); // 08:15, 11:15, 14:15
    DrawTgraph(chart, input);
    const ChartWidget::AxisSpec& x = chart.axisSpec(Axis::X);
    EXPECT_EQ(x.labelFormat, "hh:mm");
    EXPECT_EQ(x.step, 2 * 3600 * 1000.0);
    EXPECT_EQ(x.title, "2024/03/01");
    EXPECT_EQ(x.min, ChartWidget::timeX(QDateTime(QDate(2024, 3, 1), QTime(8, 0))));
    EXPECT_EQ(x.max, ChartWidget::timeX(QDateTime(QDate(2024, 3, 1), QTime(16, 0))));
    EXPECT_EQ(x.labelAngle, 345);
}

TEST_F(TimeChartsTest, ReadingsOnTwoDaysGetSixHourSteps) {
    DrawTgraph(chart, testInput(2, true, 2, 20)); // 2024/03/01 08:15 and 03/02 04:15
    const ChartWidget::AxisSpec& x = chart.axisSpec(Axis::X);
    EXPECT_EQ(x.labelFormat, "hh:mm");
    EXPECT_EQ(x.step, 6 * 3600 * 1000.0);
    EXPECT_EQ(x.title, "2024/03/01");
    EXPECT_EQ(x.min, ChartWidget::timeX(QDateTime(QDate(2024, 3, 1), QTime(6, 0))));
    EXPECT_EQ(x.max, ChartWidget::timeX(QDateTime(QDate(2024, 3, 2), QTime(6, 0))));
}

TEST_F(TimeChartsTest, LongerSpansGetDatedLabelsFromFirstToLastReading) {
    const GraphInput input = testInput(2, true, 3, 24);
    DrawTgraph(chart, testInput(2, true, 3, 3)); // a one-day title first, then cleared
    DrawTgraph(chart, input);
    const ChartWidget::AxisSpec& x = chart.axisSpec(Axis::X);
    EXPECT_EQ(x.labelFormat, "yyyy/MM/dd");
    EXPECT_EQ(x.title, "");
    EXPECT_EQ(x.min, ChartWidget::timeX(input.rows.first().fullDate));
    EXPECT_EQ(x.max, ChartWidget::timeX(input.rows.last().fullDate));
}

TEST_F(TimeChartsTest, TemperatureStandsOnItsOwnRightAxisAndLeavesTheMillimetresAlone) {
    GraphInput input = testInput(1, true, 2);
    for (GraphRow& row : input.rows) {
        row.numTemp = 1.2;
        row.disp.at(0) = 1.5;
        row.zero.at(0) = 1.0;
    }
    DrawTgraph(chart, input);
    const ChartWidget::AxisSpec withinRange = chart.axisSpec(Axis::Y);
    for (GraphRow& row : input.rows) {
        row.numTemp = 25;
    }
    DrawTgraph(chart, input);
    // 25 degrees would have lifted a shared axis far above the 1.5 mm.
    EXPECT_EQ(chart.axisSpec(Axis::Y).min, withinRange.min);
    EXPECT_EQ(chart.axisSpec(Axis::Y).max, withinRange.max);
    EXPECT_EQ(chart.axisSpec(Axis::Y).step, withinRange.step);
    EXPECT_LT(chart.axisSpec(Axis::Y).max, 25);
    ASSERT_TRUE(chart.isOnRightAxis(0));
    ASSERT_NE(chart.rightAxis(), nullptr);
    EXPECT_EQ(chart.rightAxis()->alignment(), Qt::AlignRight);
    EXPECT_EQ(chart.rightAxis()->titleText(), "Temperature (°C)");
    EXPECT_LE(chart.rightAxis()->min(), 25);
    EXPECT_GE(chart.rightAxis()->max(), 25);
    EXPECT_EQ(chart.legendEntries().first(), "Temp (C)");
    for (int i = 1; i < chart.seriesCount(); ++i) {
        EXPECT_FALSE(chart.isOnRightAxis(i)) << i;
    }

    // Hiding the temperature through the legend leaves only the displacements on screen.
    chart.legendEntry(0)->setChecked(false);
    EXPECT_FALSE(chart.isSeriesShown(0));
    EXPECT_EQ(chart.shownYRange()->second, 1.5);
}

TEST_F(TimeChartsTest, FixedScaleTextOverridesTheData) {
    GraphInput input = testInput(2, true, 2);
    input.sensor.scaleText = QStringLiteral("25");
    DrawTgraph(chart, input);
    EXPECT_EQ(chart.axisSpec(Axis::Y).max, 26);
    EXPECT_EQ(chart.axisSpec(Axis::Y).step, 1);
}

TEST_F(TimeChartsTest, EmptyColumnsLeaveGapsAndBadNodeCountsSkipOnlyTheNodes) {
    GraphInput input = testInput(2, false, 3);
    input.rows[1].disp.at(1).reset();
    DrawTgraph(chart, input);
    EXPECT_EQ(chart.points(3).size(), 2);

    input.sensor.nodeCount = 9;
    DrawTgraph(chart, input);
    EXPECT_EQ(chart.legendEntries(), QStringList{"Temp (C)"});
    EXPECT_EQ(chart.axisSpec(Axis::X).labelFormat, "yyyy/MM/dd");
}

TEST_F(TimeChartsTest, LoadChartListsPairsByHeadArrangement) {
    DrawLVTgraph(chart, testInput(2, true, 2));
    EXPECT_EQ(chart.axisSpec(Axis::Y).title, "Load (kN)");
    EXPECT_EQ(chart.legendEntries(), (QStringList{"Temp (C)", "1.75 m"}));
    EXPECT_EQ(ys(1), (QList<double>{100.0, 101.0}));

    DrawLVTgraph(chart, testInput(1, true, 2));
    EXPECT_EQ(chart.legendEntries(), QStringList{"Temp (C)"});

    DrawLVTgraph(chart, testInput(6, true, 2));
    EXPECT_EQ(chart.legendEntries(),
              (QStringList{"Temp (C)", "5.75 m", "4.75 m", "3.75 m", "2.75 m", "1.75 m"}));
    EXPECT_EQ(ys(1), (QList<double>{500.0, 501.0})); // Load5 first

    // Eight nodes still have five pairs; with the head at the toe pair 1 comes first.
    DrawLVTgraph(chart, testInput(8, false, 2));
    EXPECT_EQ(chart.legendEntries().size(), 6);
    EXPECT_EQ(chart.legendEntries().at(1), "1.75 m");
    EXPECT_EQ(ys(5), (QList<double>{500.0, 501.0}));
    EXPECT_FALSE(chart.isSeriesListed(6));
}

} // namespace

TEST_F(TimeChartsTest, RevisionsAreDashedLinesLabelledAtTheirReadingsAndGoWithTheirSensor) {
    GraphInput input = testInput(3, false, 3);
    SensorRevision lost;
    lost.id = 7;
    lost.fromDate = "2024-03-02 08:15:00";
    lost.kind = RevisionKind::NodeLost;
    lost.node = 2;
    SensorRevision offset;
    offset.id = 8;
    offset.fromDate = "2024-03-03 00:00:00";
    input.sensor.revisions = {lost, offset};
    for (const bool load : {false, true}) {
        SCOPED_TRACE(load);
        load ? DrawLVTgraph(chart, input) : DrawTgraph(chart, input);
        const QList<ChartWidget::MarkerLine> markers = chart.markerLines();
        ASSERT_EQ(markers.size(), 2);
        EXPECT_EQ(markers[0].label, "No. 7 node lost (node 2)");
        EXPECT_EQ(markers[0].x, ChartWidget::timeX(input.rows[1].fullDate));
        EXPECT_EQ(markers[1].label, "No. 8 offset");
    }
    // The next sensor drawn has none.
    DrawTgraph(chart, testInput(3, false, 3));
    EXPECT_TRUE(chart.markerLines().isEmpty());
}
