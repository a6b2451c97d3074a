#include "charts/ChartPage.h"
#include "charts/ChartInputs.h"
#include "charts/ChartWidget.h"
#include "charts/ScaleSelector.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDataFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ChartPageTest : public TempDataFolderTest {
protected:
    AppContext context() { return AppContext{folder(), &prompter, &desktop, &clock_}; }

    ScriptedPrompter prompter;
    RecordingDesktop desktop;
};

TEST_F(ChartPageTest, EachKindHasItsNamedChartButtonAndFile) {
    struct Case {
        ChartPage::Kind kind;
        const char* chart;
        const char* button;
        const char* file;
        int series;
    };
    for (const Case& c :
         {Case{ChartPage::Kind::DispTime, "ChartT", "cmdTemp", "Temporal.jpg", 11},
          Case{ChartPage::Kind::DispLength, "ChartS", "cmdDvl", "DvL.jpg", 16},
          Case{ChartPage::Kind::LoadTime, "ChartLVT", "cmdExportLVT", "LVT.jpg", 11},
          Case{ChartPage::Kind::LoadLength, "ChartLVL", "Command2", "LVL.jpg", 16}}) {
        ChartPage page(c.kind, context());
        auto* chart = page.findChild<ChartWidget*>(QLatin1String(c.chart));
        ASSERT_NE(chart, nullptr) << c.chart;
        EXPECT_EQ(chart->seriesCount(), c.series);
        auto* button = page.findChild<QPushButton*>(QLatin1String(c.button));
        ASSERT_NE(button, nullptr) << c.button;
        EXPECT_EQ(button->text(), "Export as JPG");
        EXPECT_EQ(page.exportFileName(), QLatin1String(c.file));
        EXPECT_EQ(page.findChild<QPushButton*>("cmdTHelp") != nullptr,
                  c.kind == ChartPage::Kind::DispTime);
        EXPECT_EQ(page.findChild<QLabel*>("lblW15") != nullptr,
                  c.kind == ChartPage::Kind::DispLength);
    }
}

TEST_F(ChartPageTest, ExportWritesIntoTheDataFolderAndOpensItEachTime) {
    ChartPage page(ChartPage::Kind::DispLength, context());
    page.resize(900, 600);
    page.show();
    page.draw(testInput(3, true, 4));
    auto* button = page.findChild<QPushButton*>("cmdDvl");
    QTest::mouseClick(button, Qt::LeftButton);
    const QString file = path(QStringLiteral("DvL.jpg"));
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(desktop.opened, QStringList{file});

    QFile::resize(file, 0);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_GT(QFileInfo(file).size(), 0);
    EXPECT_EQ(desktop.opened.size(), 2);
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_F(ChartPageTest, ExportNothingCanOpenSaysWhereThePictureWasSaved) {
    desktop.succeed = false;
    ChartPage page(ChartPage::Kind::LoadTime, context());
    page.resize(900, 600);
    page.show();
    QTest::mouseClick(page.findChild<QPushButton*>("cmdExportLVT"), Qt::LeftButton);
    const QString file = path(QStringLiteral("LVT.jpg"));
    ASSERT_TRUE(QFileInfo::exists(file));
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text,
              "No picture viewer could be found to open the chart picture. It was saved as:\r\n" +
                  QDir::toNativeSeparators(file));
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
}

TEST_F(ChartPageTest, ExportThatCannotWriteSaysSoAndOpensNothing) {
    AppContext ctx = context();
    ctx.dataFolder = path(QStringLiteral("gone"));
    ChartPage page(ChartPage::Kind::DispTime, ctx);
    page.exportChart();
    EXPECT_TRUE(desktop.opened.isEmpty());
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_TRUE(prompter.last().text.startsWith("The chart could not be saved as "));
}

TEST_F(ChartPageTest, TipsButtonShowsTheFourHints) {
    ChartPage page(ChartPage::Kind::DispTime, context());
    QTest::mouseClick(page.findChild<QPushButton*>("cmdTHelp"), Qt::LeftButton);
    ASSERT_EQ(prompter.calls.size(), 1);
    const ScriptedPrompter::Call& call = prompter.last();
    EXPECT_EQ(call.title, "Graphing Tips and Hints");
    EXPECT_EQ(call.text,
              "1) To scroll graph hold down the left mouse button over an axis and drag to desired "
              "range\r\n"
              "2) Explanation of zooming (diagonal left to right zooms in, right to left zooms "
              "out)\r\n"
              "3) Click on a series in the graph to see raw data in lower annotation\r\n"
              "4) Uncheck a series in the legend to hide, check series to show");
    EXPECT_EQ(call.icon, MsgIcon::None);
    EXPECT_EQ(call.buttons, MsgButtons::Ok);
}

TEST_F(ChartPageTest, NoticeShowsFromSixteenSpatialReadings) {
    ChartPage page(ChartPage::Kind::DispLength, context());
    auto* notice = page.findChild<QLabel*>("lblW15");
    EXPECT_EQ(notice->text(), "There are more than 15 records selected, only the last 15 readings "
                              "will be plotted. Go to the Readings Tab to select which data to "
                              "plot");
    EXPECT_TRUE(page.draw(testInput(2, true, 16)));
    EXPECT_TRUE(notice->isVisibleTo(&page));
    EXPECT_EQ(page.chart()->legendEntries().first(), "2024/03/02");
    page.draw(testInput(2, true, 15));
    EXPECT_FALSE(notice->isVisibleTo(&page));
    EXPECT_EQ(page.chart()->legendEntries().size(), 15);
}

TEST_F(ChartPageTest, FailingLengthChartsWriteOneLogEntryUnderTheirTag) {
    GraphInput input = testInput(3, false, 2);
    input.sensor.headText = QString();
    ChartPage spatial(ChartPage::Kind::DispLength, context());
    EXPECT_FALSE(spatial.draw(input));
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains(" G_DrawSgraph"));

    input.sensor.plate = true; // Load5 of a three-node sensor holds nothing
    ChartPage load(ChartPage::Kind::LoadLength, context());
    EXPECT_FALSE(load.draw(input));
    EXPECT_EQ(logEntries(), 2);
    EXPECT_TRUE(logText().contains(" G_DrawSloadgraph"));
}

TEST_F(ChartPageTest, TimeChartsOfABadNodeCountDrawTheTemperatureAndLogIt) {
    for (const ChartPage::Kind kind : {ChartPage::Kind::DispTime, ChartPage::Kind::LoadTime}) {
        GraphInput input = testInput(3, true, 2);
        input.sensor.nodeCount = 9;
        ChartPage page(kind, context());
        const int before = logEntries();
        EXPECT_FALSE(page.draw(input));
        EXPECT_EQ(logEntries(), before + 1);
        EXPECT_TRUE(logText().contains("Node count out of range: 9"));
        EXPECT_EQ(page.chart()->points(0).size(), 2);
        EXPECT_TRUE(page.chart()->points(1).isEmpty());

        EXPECT_TRUE(page.draw(testInput(3, true, 2)));
        EXPECT_EQ(logEntries(), before + 1);
        EXPECT_EQ(page.chart()->points(1).size(), 2);
    }
}

TEST_F(ChartPageTest, SharedScaleSelectorTakesEffectAtTheNextDrawing) {
    ChartPage time(ChartPage::Kind::DispTime, context());
    ChartPage length(ChartPage::Kind::DispLength, context());
    ScaleSelector selector; // leaves its page before the pages go
    QComboBox* combo = selector.findChild<QComboBox*>("cboScale");
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{"AutoScale", "25", "50", "75", "100", "125"}));
    EXPECT_EQ(selector.text(), "AutoScale");
    EXPECT_EQ(selector.findChild<QLabel*>("lblscale")->text(), "Scale X axis (mm):");

    time.draw(testInput(2, true, 2));
    length.draw(testInput(2, true, 2));
    time.adoptScaleSelector(&selector);
    length.adoptScaleSelector(&selector);
    EXPECT_TRUE(length.isAncestorOf(&selector));
    const double timeMax = time.chart()->axisSpec(ChartWidget::Axis::Y).max;

    const double lengthMax = length.chart()->axisSpec(ChartWidget::Axis::Y).max;

    combo->setCurrentIndex(2);
    emit combo->activated(2);
    EXPECT_EQ(length.chart()->axisSpec(ChartWidget::Axis::Y).max, lengthMax);
    EXPECT_EQ(time.chart()->axisSpec(ChartWidget::Axis::Y).max, timeMax);
    GraphInput input = testInput(2, true, 2);
    input.sensor.scaleText = selector.text();
    length.draw(input);
    EXPECT_EQ(length.chart()->axisSpec(ChartWidget::Axis::Y).max, 50);
}

} // namespace
