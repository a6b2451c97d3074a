#include "triggers/SiteViews.h"
#include "charts/ChartWidget.h"
#include "readings/ReadingsFixture.h"
#include "store/Connection.h"
#include "store/TriggerTables.h"
#include "triggers/ComparePage.h"
#include "triggers/SiteStatusPage.h"

#include <QFileInfo>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTimeZone>
#include <ctime>
#include <memory>

namespace {

const QString kFirst = QStringLiteral("120521001");
const QString kSecond = QStringLiteral("120531002");
const QString kThird = QStringLiteral("120521003");

class SiteViewsTest : public ReadingsTest {
protected:
    void SetUp() override {
        ReadingsTest::SetUp();
        addSensors({kFirst, kSecond, kThird});
        for (const QString& id : {kFirst, kSecond, kThird}) {
            // One node, head at the toe: the displacement is the channel's change.
            exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2 "
                 "WHERE InstrumentID = ?",
                 {id});
        }
        // Channel1 1, 2, 3 on three days: 1 mm a day.
        addReadings(kFirst, {day(1), day(2), day(3)});
        // 1, 2 then 4 mm from the reference over a day each.
        addReadings(kSecond, {day(1), day(2), day(3), day(4)});
        exec("UPDATE " + quoteName(kSecond) +
             " SET Channel1 = '5.00' WHERE FullDate LIKE '2026-12-04%'");
    }

    static QDateTime day(int d) { return QDateTime(QDate(2026, 12, d), QTime(8, 0)); }

    SiteStatusPage& statusTab() {
        window->SSTab1->setCurrentIndex(8);
        return *window->siteStatus;
    }

    // Selects the table's rows of these sensors, and those only.
    void select(const QStringList& ids) {
        QTableView* table = statusTab().tblSiteStatus;
        table->clearSelection();
        for (int r = 0; r < table->model()->rowCount(); ++r) {
            if (ids.contains(table->model()->index(r, ColSensor).data().toString())) {
                table->selectionModel()->select(table->model()->index(r, 0),
                                                QItemSelectionModel::Select |
                                                    QItemSelectionModel::Rows);
            }
        }
    }

    static QList<double> ys(const ChartWidget& chart, int series) {
        QList<double> values;
        for (const QPointF& p : chart.points(series)) {
            values << p.y();
        }
        return values;
    }
};

} // namespace

TEST_F(SiteViewsTest, CompareDrawsTheSelectedSensorsLargestNodeAndRate) {
    open();
    SiteStatusPage& page = statusTab();
    SiteViews& views = *page.siteViews;
    EXPECT_EQ(views.stkSiteView->currentWidget(), page.tblSiteStatus);
    EXPECT_EQ(views.stkSiteView->indexOf(page.compare), 2);
    EXPECT_EQ(page.compare->objectName(), "pageSiteCompare");

    select({kFirst, kSecond});
    views.optSiteCompare->click();
    ASSERT_EQ(views.stkSiteView->currentWidget(), page.compare);
    ChartWidget& chart = *page.compare->ChartCompare;
    EXPECT_EQ(page.compare->sensors(), (QStringList{kFirst, kSecond}));
    EXPECT_EQ(chart.legendEntries(), (QStringList{kFirst, kSecond}));
    EXPECT_EQ(chart.axisSpec(ChartWidget::Axis::Y).title, "Displacement (mm)");
    EXPECT_EQ(ys(chart, 0), (QList<double>{1, 2}));
    EXPECT_EQ(ys(chart, 1), (QList<double>{1, 2, 4}));
    // The readings' wall-clock times, placed as the sensor's own time chart places them.
    EXPECT_EQ(
        chart.points(0).first().x(),
        ChartWidget::timeX(QDateTime(day(2).date(), day(2).time(), QTimeZone::systemTimeZone())));

    // The rate of the largest displacement over the rate window (7 days by default).
    page.compare->optCompareRate->click();
    EXPECT_EQ(chart.axisSpec(ChartWidget::Axis::Y).title, "Rate (mm/day)");
    const QList<double> rates = ys(chart, 1);
    ASSERT_EQ(rates.size(), 3);
    EXPECT_NEAR(rates[0], 1.0, 1e-9);
    EXPECT_NEAR(rates[1], 1.0, 1e-9);
    EXPECT_NEAR(rates[2], 1.3, 1e-9); // 0, 1, 2, 4 mm over days 0 to 3
    // The last rate is the one the table shows.
    const int row = [&] {
        for (int r = 0; r < page.tblSiteStatus->model()->rowCount(); ++r) {
            if (page.tblSiteStatus->model()->index(r, ColSensor).data().toString() == kSecond) {
                return r;
            }
        }
        return -1;
    }();
    ASSERT_GE(row, 0);
    EXPECT_EQ(page.tblSiteStatus->model()->index(row, 9).data().toString(), "1.300");

    // The chart follows the selection; a sensor without readings has an empty series.
    select({kThird});
    EXPECT_EQ(chart.legendEntries(), QStringList{kThird});
    EXPECT_TRUE(chart.points(0).isEmpty());
    EXPECT_FALSE(chart.isSeriesListed(1));

    page.compare->cmdExportCompare->click();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_TRUE(desktop.opened[0].endsWith("Compare.jpg"));
    EXPECT_GT(QFileInfo(desktop.opened[0]).size(), 1000);

    // Back to the table, which the selection no longer redraws into the chart.
    views.optSiteTable->click();
    EXPECT_EQ(views.stkSiteView->currentWidget(), page.tblSiteStatus);
    select({kFirst});
    EXPECT_EQ(page.compare->sensors(), QStringList{kThird});
}

// The compare chart places each reading in the system's time zone as the other time charts do,
// also over the hours its clocks change and across a year of such changes.
TEST(CompareChartTime, ReadingsArePlacedInTheSystemZoneAcrossClockChanges) {
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const QByteArray previous = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    CompareSeries sensor;
    sensor.instrumentId = "120541001";
    const QDateTime start(QDate(2024, 3, 20), QTime(0, 30), Qt::UTC);
    // Hourly, so that the wall-clock hours a spring change skips and an autumn change repeats
    // are among them.
    for (int hour = 0; hour < 24 * 400; ++hour) {
        sensor.displacement << TimedValue{start.addSecs(3600LL * hour), 0.1 * hour};
    }
    std::unique_ptr<ChartWidget> chart(makeCompareChart(nullptr));
    drawCompareChart(*chart, {sensor}, CompareMeasure::Displacement);
    const QList<QPointF> points = chart->points(0);
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (hadZone) {
        qputenv("TZ", previous);
    } else {
        qunsetenv("TZ");
    }
    tzset();
    ASSERT_EQ(points.size(), sensor.displacement.size());
    QSet<qint64> offsets;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QDateTime& at = sensor.displacement[i].at;
        const QDateTime placed(at.date(), at.time(), zone);
        offsets << at.toMSecsSinceEpoch() - placed.toMSecsSinceEpoch();
        EXPECT_EQ(static_cast<qint64>(points[i].x()), placed.toMSecsSinceEpoch())
            << qPrintable(at.toString(Qt::ISODate));
    }
    EXPECT_GE(offsets.size(), 2) << "the readings do not span both offsets of the zone";
}

// With no sensor chosen the time axis has nothing to show, so it shows no dates at all; the
// labels come back with the first readings drawn.
TEST(CompareChartTime, AnEmptyChartShowsNoTimeLabels) {
    std::unique_ptr<ChartWidget> chart(makeCompareChart(nullptr));
    drawCompareChart(*chart, {}, CompareMeasure::Displacement);
    EXPECT_FALSE(chart->axisLabelsVisible(ChartWidget::Axis::X));
    CompareSeries sensor;
    sensor.instrumentId = "120541001";
    sensor.displacement << TimedValue{QDateTime(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC), 0.5};
    drawCompareChart(*chart, {sensor}, CompareMeasure::Displacement);
    EXPECT_TRUE(chart->axisLabelsVisible(ChartWidget::Axis::X));
}
