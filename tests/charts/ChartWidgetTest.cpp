#include "charts/ChartWidget.h"
#include "charts/ChartView.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QImage>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using Axis = ChartWidget::Axis;

// A shown value chart with two series: 0 rising over 0..10, 1 flat at 2.
class ChartWidgetTest : public ::testing::Test {
protected:
    ChartWidgetTest() {
        chart.resize(800, 500);
        chart.setSeriesTitle(0, QStringLiteral("rising"));
        chart.setSeriesTitle(1, QStringLiteral("flat"));
        chart.setPoints(0, {{10, 10}, {0, 0}, {5, 5}});
        chart.setPoints(1, {{0, 2}, {10, 2}});
        chart.setSeriesVisible(0, true);
        chart.setSeriesVisible(1, true);
        chart.setAxisRange(Axis::X, 0, 10);
        chart.setAxisStep(Axis::X, 1);
        chart.setAxisRange(Axis::Y, 0, 10);
        chart.setAxisStep(Axis::Y, 1);
        chart.show();
        QApplication::processEvents();
    }

    QValueAxis* qtAxis(Qt::Orientation o) const {
        return qobject_cast<QValueAxis*>(chart.chart()->axes(o).first());
    }
    // View position of a value point.
    QPoint at(double x, double y) const {
        QChart* c = chart.chart();
        const QPointF inChart = c->mapToPosition({x, y}, c->series().first());
        return chart.view()->mapFromScene(c->mapToScene(inChart));
    }
    void drag(const QPoint& from, const QPoint& to) {
        QWidget* target = chart.view()->viewport();
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        QTest::mouseMove(target, (from + to) / 2);
        QTest::mouseMove(target, to);
        QTest::mouseRelease(target, Qt::LeftButton, {}, to);
    }

    ChartWidget chart{11, ChartWidget::XAxisKind::Value};
};

TEST_F(ChartWidgetTest, PointsStayInAscendingX) {
    EXPECT_EQ(chart.points(0), (QList<QPointF>{{0, 0}, {5, 5}, {10, 10}}));
    chart.addPoint(0, 7, 1);
    chart.addPoint(0, -1, 3);
    EXPECT_EQ(chart.points(0), (QList<QPointF>{{-1, 3}, {0, 0}, {5, 5}, {7, 1}, {10, 10}}));
    chart.clearSeries(0);
    EXPECT_TRUE(chart.points(0).isEmpty());
}

TEST_F(ChartWidgetTest, LegendBoxesShowAndHideSeries) {
    EXPECT_EQ(chart.legendEntries(), (QStringList{"rising", "flat"}));
    EXPECT_FALSE(chart.legendEntry(2)->isVisible());
    EXPECT_EQ(chart.seriesColor(1), QColor(0, 0, 255));
    EXPECT_EQ(chart.seriesColor(15), QColor(0, 128, 128));

    chart.legendEntry(0)->setChecked(false);
    EXPECT_FALSE(chart.isSeriesShown(0));
    EXPECT_TRUE(chart.isSeriesListed(0)); // unticked, still in the legend
    EXPECT_EQ(*chart.shownYRange(), (std::pair{2.0, 2.0}));

    // The next drawing that shows the series ticks it again.
    chart.setSeriesVisible(0, true);
    EXPECT_TRUE(chart.legendEntry(0)->isChecked());
    EXPECT_EQ(*chart.shownYRange(), (std::pair{0.0, 10.0}));

    chart.setSeriesVisible(0, false);
    chart.setSeriesVisible(1, false);
    EXPECT_TRUE(chart.legendEntries().isEmpty());
    EXPECT_FALSE(chart.shownYRange());
}

TEST_F(ChartWidgetTest, DragRightZoomsInDragLeftRestoresTheDrawnRanges) {
    drag(at(2, 8), at(6, 4));
    EXPECT_NEAR(qtAxis(Qt::Horizontal)->min(), 2, 0.2);
    EXPECT_NEAR(qtAxis(Qt::Horizontal)->max(), 6, 0.2);
    EXPECT_NEAR(qtAxis(Qt::Vertical)->min(), 4, 0.2);
    EXPECT_EQ(chart.axisSpec(Axis::Y).max, 10); // the drawn range is kept

    drag(at(6, 6), at(3, 5));
    EXPECT_EQ(qtAxis(Qt::Horizontal)->min(), 0);
    EXPECT_EQ(qtAxis(Qt::Horizontal)->max(), 10);
    EXPECT_EQ(qtAxis(Qt::Vertical)->max(), 10);
    EXPECT_EQ(qtAxis(Qt::Vertical)->tickInterval(), 1);
}

TEST_F(ChartWidgetTest, DragOverTheValueAxisScrollsIt) {
    const QPoint left = at(0, 5) - QPoint(20, 0);
    drag(left, left + QPoint(0, 60));
    // The axis follows the pointer: higher values come into view from above.
    EXPECT_GT(qtAxis(Qt::Vertical)->min(), 0.5);
    EXPECT_NEAR(qtAxis(Qt::Vertical)->max() - qtAxis(Qt::Vertical)->min(), 10, 1e-9);
    EXPECT_EQ(qtAxis(Qt::Horizontal)->min(), 0);
}

TEST_F(ChartWidgetTest, ClickShowsTheNearestPointsRawValue) {
    QTest::mouseClick(chart.view()->viewport(), Qt::LeftButton, {}, at(5, 5) + QPoint(2, 1));
    EXPECT_EQ(chart.annotationText(), "rising: 5, 5");
    QTest::mouseClick(chart.view()->viewport(), Qt::LeftButton, {}, at(3, 8));
    EXPECT_EQ(chart.annotationText(), "");
}

TEST_F(ChartWidgetTest, ExportWritesTheOnScreenPicture) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chart.jpg"));
    ASSERT_TRUE(chart.exportJpeg(path));
    const QImage written(path);
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.width(), chart.width());
    EXPECT_FALSE(chart.exportJpeg(dir.filePath(QStringLiteral("missing/chart.jpg"))));
}

TEST_F(ChartWidgetTest, LabelsTooDenseForTheAxisKeepToMultiplesOfTheStep) {
    QValueAxis* y = qtAxis(Qt::Vertical);
    const double labelHeight = QFontMetricsF(y->labelsFont()).height();
    // Loads of tens to thousands of kN in steps of 10: each label keeps its height and the
    // padding around it,
    // or the chart elides it to "...".
    for (int hi = 100; hi <= 2000; hi += 10) {
        chart.setAxisRange(Axis::Y, -hi / 4, hi);
        chart.setAxisStep(Axis::Y, 10);
        const double interval = y->tickInterval();
        const double ticks = (hi + hi / 4) / interval + 1;
        ASSERT_GE(chart.chart()->plotArea().height() / ticks, labelHeight + 8) << hi;
        ASSERT_DOUBLE_EQ(std::fmod(interval, 10), 0) << hi;
    }
    EXPECT_EQ(chart.axisSpec(Axis::Y).step, 10);
    EXPECT_EQ(y->min(), -500);
    EXPECT_EQ(y->max(), 2000);

    chart.setAxisRange(Axis::Y, 0, 10);
    EXPECT_EQ(y->tickInterval(), 10);
    chart.setAxisStep(Axis::Y, 1);
    EXPECT_EQ(y->tickInterval(), 1);
}

TEST(ChartWidgetAxes, TitleLinesAndNumberLabels) {
    ChartWidget chart(16, ChartWidget::XAxisKind::Value);
    chart.addTitleLine(QStringLiteral("first"));
    chart.addTitleLine(QStringLiteral("a < b"));
    EXPECT_EQ(chart.titleLines(), (QStringList{"first", "a < b"}));
    EXPECT_TRUE(chart.chart()->titleFont().bold());
    chart.clearTitle();
    EXPECT_TRUE(chart.chart()->title().isEmpty());

    auto* y = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).first());
    chart.setAxisRange(Axis::Y, -0.46, 1);
    chart.setAxisStep(Axis::Y, 0.1);
    EXPECT_EQ(y->labelFormat(), "%.1f");
    EXPECT_EQ(y->tickInterval(), 0.1);
    chart.setAxisStep(Axis::Y, 0.01);
    EXPECT_EQ(y->labelFormat(), "%.2f");
    chart.setAxisLabelFormat(Axis::Y, QStringLiteral("0"));
    EXPECT_EQ(y->labelFormat(), "%.0f");

    // An empty range stays drawable; a step far too fine for the range is not laid out.
    chart.setAxisRange(Axis::Y, 0, 0);
    EXPECT_GT(y->max(), y->min());
    chart.setAxisRange(Axis::Y, 0, 100000);
    chart.setAxisStep(Axis::Y, 5);
    EXPECT_LE((y->max() - y->min()) / y->tickInterval(), 200);
    EXPECT_EQ(chart.axisSpec(Axis::Y).step, 5);
}

// A flat line of 20,000 readings over 0..2000 with three more inside one pixel column at
// x = 1000: a peak of 10, then 5, then 0.
class DenseChartTest : public ::testing::Test {
protected:
    DenseChartTest() {
        chart.resize(800, 500);
        chart.show();
        QApplication::processEvents();
        for (int i = 0; i < 20000; ++i) {
            raw << QPointF(i * 0.1, 0);
        }
        raw << QPointF(1000.01, 10) << QPointF(1000.02, 5) << QPointF(1000.03, 0);
        {
            const ChartWidget::Drawing drawing(chart);
            chart.setSeriesTitle(0, QStringLiteral("line"));
            chart.setPoints(0, raw);
            chart.setSeriesVisible(0, true);
            chart.setAxisRange(Axis::X, 0, 2000);
            chart.setAxisRange(Axis::Y, 0, 10);
            chart.setAxisStep(Axis::Y, 1);
        }
        QApplication::processEvents();
    }
    QPoint at(double x, double y) const {
        QChart* c = chart.chart();
        return chart.view()->mapFromScene(
            c->mapToScene(c->mapToPosition({x, y}, c->series().first())));
    }

    ChartWidget chart{11, ChartWidget::XAxisKind::Value};
    QList<QPointF> raw;
};

TEST_F(DenseChartTest, DrawsTheColumnExtremesAndKeepsTheRawPointsForEverythingElse) {
    // No more than two points per pixel column of the 800 pixels wide chart, and no markers
    // where the readings crowd closer than a marker.
    const QList<QPointF> drawn = chart.drawnPoints(0);
    EXPECT_LE(drawn.size(), 2 * 800 + 6);
    EXPECT_TRUE(drawn.contains(QPointF(1000.01, 10)));
    EXPECT_FALSE(drawn.contains(QPointF(1000.02, 5)));
    EXPECT_TRUE(chart.markedPoints(0).isEmpty());

    QList<QPointF> sorted = raw;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](QPointF a, QPointF b) { return a.x() < b.x(); });
    EXPECT_EQ(chart.points(0), sorted);
    EXPECT_EQ(*chart.shownYRange(), (std::pair{0.0, 10.0}));

    // A click finds the raw reading the plot left out.
    QTest::mouseClick(chart.view()->viewport(), Qt::LeftButton, {}, at(1000.02, 5));
    EXPECT_EQ(chart.annotationText(), "line: 1000.02, 5");
}

TEST_F(DenseChartTest, ZoomingInDrawsTheDetailAndZoomingOutThinsAgain) {
    QChart* c = chart.chart();
    c->zoomIn(QRectF(c->mapToPosition({999, 10}, c->series().first()),
                     c->mapToPosition({1001, 0}, c->series().first())));
    QApplication::processEvents();
    EXPECT_TRUE(chart.drawnPoints(0).contains(QPointF(1000.02, 5)));
    EXPECT_TRUE(chart.markedPoints(0).contains(QPointF(1000.1, 0)));

    chart.resetView();
    QApplication::processEvents();
    EXPECT_FALSE(chart.drawnPoints(0).contains(QPointF(1000.02, 5)));
    EXPECT_LE(chart.drawnPoints(0).size(), 2 * 800 + 6);
}

TEST_F(DenseChartTest, ADrawingLaysOutEachSeriesAndAxisOnce) {
    auto* line = qobject_cast<QLineSeries*>(chart.chart()->series().first());
    QSignalSpy replaced(line, &QXYSeries::pointsReplaced);
    QSignalSpy added(line, &QXYSeries::pointAdded);
    QSignalSpy yRange(qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).first()),
                      &QValueAxis::rangeChanged);
    {
        const ChartWidget::Drawing drawing(chart);
        chart.clearSeries(0);
        chart.setPoints(0, raw.mid(0, 5000));
        chart.addPoint(0, 3000, 2);
        chart.setAxisRange(Axis::Y, 0, 20);
        chart.setAxisStep(Axis::Y, 2);
        chart.setAxisLabelFormat(Axis::Y, QStringLiteral("0"));
        EXPECT_EQ(replaced.count(), 0);
        EXPECT_EQ(yRange.count(), 0);
    }
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(added.count(), 0);
    EXPECT_EQ(yRange.count(), 1);
    EXPECT_EQ(chart.points(0).last(), QPointF(3000, 2));
}

} // namespace
