#include "charts/ChartInputs.h"
#include "charts/ChartPage.h"
#include "charts/ChartWidget.h"

#include <QLineSeries>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

using Axis = ChartWidget::Axis;

QList<double> ys(const ChartWidget& chart, int series) {
    QList<double> values;
    for (const QPointF& p : chart.points(series)) {
        values << p.y();
    }
    return values;
}

void expectNear(const QList<double>& actual, const QList<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-9) << "point " << i;
    }
}

} // namespace

TEST(RateChart, TheSwitchDrawsEachNodesRateWithTheRateLevelsAndBack) {
    const AppContext context{};
    ChartPage page(ChartPage::Kind::DispTime, context);
    ChartWidget& chart = *page.chart();
    // Daily readings: every node moves 0.1 mm a day, but node 1 jumps 1.0 mm on the last day.
    GraphInput input = testInput(3, true, 5);
    *input.rows[4].disp[0] += 1.0;
    input.sensor.rateWindow = 1;
    input.sensor.minRateReadings = 2;
    input.sensor.amberRate = 0.5;
    input.sensor.redRate = 1.5;
    input.sensor.redDisp = 20;
    ASSERT_TRUE(page.displacementOption()->isChecked());
    page.draw(input);
    const QStringList displacementLegend = chart.legendEntries();
    EXPECT_EQ(displacementLegend,
              (QStringList{"Temp (C)", "3.25 m", "2.25 m", "1.25 m", "Head", "Red"}));

    page.rateOption()->setChecked(true);
    EXPECT_EQ(chart.axisSpec(Axis::Y).title, "Rate (mm/day)");
    EXPECT_EQ(chart.legendEntries(),
              (QStringList{"Temp (C)", "3.25 m", "2.25 m", "1.25 m", "Amber", "Red"}));
    // With a one-day window each rate is the change since the reading before.
    expectNear(ys(chart, 1), {0.1, 0.1, 0.1, 0.1}); // node 3
    expectNear(ys(chart, 3), {0.1, 0.1, 0.1, 1.1}); // node 1
    EXPECT_EQ(chart.points(3).first().x(), ChartWidget::timeX(input.rows[1].fullDate));
    ASSERT_EQ(chart.levelLines().size(), 2);
    EXPECT_DOUBLE_EQ(chart.levelLines()[0].y, 0.5);
    EXPECT_DOUBLE_EQ(chart.levelLines()[1].y, 1.5);
    // The value axis reaches the red rate level, which lies above every rate drawn.
    EXPECT_GE(chart.axisSpec(Axis::Y).max, 1.5);
    EXPECT_LE(chart.axisSpec(Axis::Y).min, 0.0);

    page.displacementOption()->setChecked(true);
    EXPECT_EQ(chart.legendEntries(), displacementLegend);
    EXPECT_EQ(chart.axisSpec(Axis::Y).title, "Displacement (mm)");
    expectNear(ys(chart, 3), {1.0, 1.1, 1.2, 1.3, 2.4});
}

TEST(RateChart, AWindowWithTooFewReadingsLeavesTheNodeWithoutPoints) {
    const AppContext context{};
    ChartPage page(ChartPage::Kind::DispTime, context);
    GraphInput input = testInput(1, false, 3);
    input.sensor.rateWindow = 7;
    input.sensor.minRateReadings = 4;
    page.rateOption()->setChecked(true);
    page.draw(input);
    EXPECT_TRUE(page.chart()->points(2).isEmpty()); // the toe sensor's node
    EXPECT_TRUE(page.chart()->levelLines().isEmpty());
    // The other charts have no switch.
    EXPECT_EQ(ChartPage(ChartPage::Kind::LoadTime, context).rateOption(), nullptr);
}
