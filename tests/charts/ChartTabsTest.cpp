#include "charts/ChartWidget.h"
#include "checks/ReadingFlagStore.h"
#include "logger/LoggerAppend.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerReadings.h"
#include "revisions/RevisionStore.h"
#include "sensors/IdentificationPage.h"
#include "store/Connection.h"
#include "support/MainWindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QValueAxis>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using Axis = ChartWidget::Axis;

const QString kThree = QStringLiteral("120541001"); // three nodes
const QString kOne = QStringLiteral("120521002");   // one node

// The chart tabs driven through the main window: the geometry comes from the record form,
// the readings from the sensor's table, and each tab runs its real batch and drawing.
class ChartTabsTest : public OnBothEngines<MainWindowTest> {
protected:
    // Installation of a sensor: recess 0.25 m, nodes at 1, 3 and 6 m, a 7 m strand, k = 50.
    void install(const QString& id, bool headAtCollar, bool plate = false,
                 const QStringList& nodes = {"1", "3", "6"}) {
        Connection c;
        c.open(location());
        c.execute("UPDATE Sensors SET HeadLocation = ?, Recess = 0.25, LengthofCable = 7, "
                  "kval = 50, Plate = ? WHERE InstrumentID = ?",
                  {headAtCollar ? 1 : 0, plate ? 1 : 0, id});
        for (int n = 0; n < nodes.size(); ++n) {
            c.execute(QStringLiteral("UPDATE Sensors SET NodeLocation%1 = ? WHERE InstrumentID = ?")
                          .arg(n + 1),
                      {nodes[n].toDouble(), id});
        }
    }

    void reading(const QString& id, const QString& fullDate, const QStringList& channels,
                 const QString& temperature = "21.5", bool temporal = true, bool spatial = true) {
        Connection c;
        c.open(location());
        QStringList columns = {"DateTimeKey", "FullDate",     "ReadingDate", "ReadingTime",
                               "ChannelT",    "Plottemporal", "PlotSpatial"};
        const QString date = fullDate.left(10).replace('-', '/');
        QVariantList values = {id + " " + date + " " + fullDate.mid(11),
                               fullDate,
                               date,
                               fullDate.mid(11),
                               temperature,
                               temporal ? 1 : 0,
                               spatial ? 1 : 0};
        for (int n = 0; n < channels.size(); ++n) {
            columns << QStringLiteral("Channel%1").arg(n + 1);
            values << channels[n];
        }
        c.execute("INSERT INTO " + quoteName(id) + " (" + columns.join(", ") + ") VALUES (" +
                      QStringList(columns.size(), "?").join(", ") + ")",
                  values);
    }

    // The worked example: the second reading changes by 2.0, 1.5 and 0.5 mm.
    void workedExample(const QString& id) {
        reading(id, "2024-03-01 08:00:00", {"10.00", "20.00", "30.00"}, "21.5");
        reading(id, "2024-03-05 08:00:00", {"12.00", "21.50", "30.50"}, "22.0 C");
    }

    QVariant stored(const QString& id, const QString& fullDate, const QString& column) {
        Connection c;
        c.open(location());
        return c.scalar("SELECT " + column + " FROM " + quoteName(id) + " WHERE FullDate = ?",
                        {fullDate});
    }

    ChartWidget* chart(const char* name) { return window->findChild<ChartWidget*>(name); }

    template <typename T> T* widget(const char* name) { return window->findChild<T*>(name); }

    static QList<double> ys(const QList<QPointF>& points) {
        QList<double> values;
        for (const QPointF& p : points) {
            values << p.y();
        }
        return values;
    }

    static QList<double> xs(const QList<QPointF>& points) {
        QList<double> values;
        for (const QPointF& p : points) {
            values << p.x();
        }
        return values;
    }

    // Types into a record-form box; leaving its tab saves the record.
    void retype(const char* box, const QString& text) {
        auto* edit = widget<QLineEdit>(box);
        edit->setText(text);
    }
};

TEST_P(ChartTabsTest, DispVTimeStoresTheWorkedExampleAndPlotsItByHeadArrangement) {
    addSensors({kThree});
    install(kThree, true);
    workedExample(kThree);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(3);
    ASSERT_EQ(w.SSTab1->currentIndex(), 3);
    EXPECT_TRUE(prompter.calls.isEmpty());
    // The busy pointer of the batch is gone once the chart is drawn.
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    EXPECT_DOUBLE_EQ(stored(kThree, "2024-03-05 08:00:00", "Disp1").toDouble(), -1.5);
    EXPECT_DOUBLE_EQ(stored(kThree, "2024-03-05 08:00:00", "Disp2").toDouble(), -1.0);
    EXPECT_DOUBLE_EQ(stored(kThree, "2024-03-05 08:00:00", "Disp3").toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(stored(kThree, "2024-03-05 08:00:00", "NumTemp").toDouble(), 22.0);

    ChartWidget* t = chart("ChartT");
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->isHidden());
    EXPECT_EQ(t->titleLines(), QStringList{kThree});
    EXPECT_EQ(t->legendTitle(), "Node Locations:");
    EXPECT_EQ(t->legendEntries(), QStringList({"Temp (C)", "6.25 m", "3.25 m", "1.25 m", "Head"}));
    EXPECT_EQ(ys(t->points(0)), QList<double>({21.5, 22.0}));
    EXPECT_EQ(ys(t->points(1)), QList<double>({0, 0}));
    EXPECT_EQ(ys(t->points(2)), QList<double>({0, -1.0}));
    EXPECT_EQ(ys(t->points(3)), QList<double>({0, -1.5}));
    EXPECT_EQ(ys(t->points(4)), QList<double>({0, 0.5}));
    EXPECT_EQ(t->axisSpec(Axis::Y).title, "Displacement (mm)");
    // The temperature has its own axis: the displacements alone set the millimetre scale.
    EXPECT_EQ(t->axisSpec(Axis::Y).min, -1.5);
    EXPECT_LT(t->axisSpec(Axis::Y).max, 21.5);
    ASSERT_NE(t->rightAxis(), nullptr);
    EXPECT_LE(t->rightAxis()->min(), 21.5);
    EXPECT_GE(t->rightAxis()->max(), 22.0);
    EXPECT_EQ(t->axisSpec(Axis::X).labelFormat, "yyyy/MM/dd");
    EXPECT_EQ(t->axisSpec(Axis::X).title, "");
    EXPECT_EQ(t->axisSpec(Axis::X).labelAngle, 345);

    // Head at the toe, chosen on the Identification tab: saved on leaving it, and the next
    // drawing hangs the anchors from the head at 7.25 m.
    w.SSTab1->setCurrentIndex(0);
    widget<QRadioButton>("Option2")->setChecked(true);
    w.SSTab1->setCurrentIndex(3);
    EXPECT_EQ(t->legendEntries(), QStringList({"Temp (C)", "Head", "6.25 m", "4.25 m", "1.25 m"}));
    EXPECT_EQ(ys(t->points(1)), QList<double>({0, 0}));
    EXPECT_EQ(ys(t->points(2)), QList<double>({0, 2.0}));
    EXPECT_EQ(ys(t->points(4)), QList<double>({0, 0.5}));
    EXPECT_EQ(stored(kThree, "2024-03-05 08:00:00", "Reference").toInt(), 0);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(ChartTabsTest, TypedThenLoggedReadingsDrawTheirTemperatureAndDisplacements) {
    addSensors({kThree});
    install(kThree, true);
    // Typed on the Readings tab: the boxes of the unused channels stay empty.
    const QStringList unused(5, QString(""));
    reading(kThree, "2024-03-01 08:00:00", QStringList{"10.00", "20.00", "30.00"} + unused, "21.5");
    reading(kThree, "2024-03-02 08:00:00", QStringList{"10.50", "20.25", "30.00"} + unused, "20.0");
    // Then a logger file, which fills one channel more than the sensor has nodes.
    QDir(folder()).mkpath("downloads");
    const QString file = path("downloads/QV" + kThree + ".txt");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("2024/03/03 08:00:00,T7,41,001,19.5,11.00,20.50,30.25,4.00\r\n"
                  "2024/03/04 08:00:00,T7,41,001,18.0,12.00,21.00,30.50,4.50\r\n");
    }
    {
        Connection c;
        c.open(location());
        const StageResult staged = stageLoggerFile(folder(), file, 1, DateOrder::DayMonthYear);
        ASSERT_EQ(staged.status, StageResult::Status::Staged);
        LoggerAppendOptions options;
        options.instrumentId = kThree;
        options.channelCount = loggerChannelCount("41");
        options.duplicates = DuplicatePolicy::SkipAll;
        ASSERT_EQ(appendLoggerRows(c, kThree, staged.stage, staged.stage.marks, options).appended,
                  2);
    }
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(3);
    ASSERT_EQ(w.SSTab1->currentIndex(), 3);

    EXPECT_EQ(stored(kThree, "2024-03-04 08:00:00", "NumTemp").toDouble(), 18.0);
    EXPECT_EQ(stored(kThree, "2024-03-04 08:00:00", "zero4").toDouble(), 0.5);
    ChartWidget* t = chart("ChartT");
    EXPECT_EQ(ys(t->points(0)), QList<double>({21.5, 20.0, 19.5, 18.0}));
    EXPECT_EQ(ys(t->points(1)), QList<double>({0, 0, 0, 0}));
    EXPECT_EQ(ys(t->points(2)), QList<double>({0, -0.25, -0.25, -0.5}));
    EXPECT_EQ(ys(t->points(3)), QList<double>({0, -0.5, -0.75, -1.5}));
    EXPECT_EQ(ys(t->points(4)), QList<double>({0, 0, 0.25, 0.5}));

    // Every visit computes the same, and nothing is logged.
    w.SSTab1->setCurrentIndex(0);
    w.SSTab1->setCurrentIndex(3);
    EXPECT_EQ(ys(t->points(3)), QList<double>({0, -0.5, -0.75, -1.5}));
    EXPECT_EQ(logEntries(), 0);
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(ChartTabsTest, NodeNoReadingHasIsNotPlotted) {
    addSensors({kThree});
    install(kThree, false);
    reading(kThree, "2024-03-01 08:00:00", {"10.00", "", "30.00"});
    reading(kThree, "2024-03-05 08:00:00", {"12.00", "", "30.50"});
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(3);
    ASSERT_EQ(w.SSTab1->currentIndex(), 3);
    ChartWidget* t = chart("ChartT");
    // Head at the toe: the head, then nodes 1, 2 and 3.
    EXPECT_EQ(ys(t->points(2)), QList<double>({0, 2.0}));
    EXPECT_TRUE(t->points(3).isEmpty());
    EXPECT_EQ(ys(t->points(4)), QList<double>({0, 0.5}));
    EXPECT_TRUE(stored(kThree, "2024-03-05 08:00:00", "Disp2").isNull());

    // The length chart draws the head and the two nodes that have values.
    w.SSTab1->setCurrentIndex(4);
    ASSERT_EQ(w.SSTab1->currentIndex(), 4);
    EXPECT_EQ(xs(chart("ChartS")->points(2)), QList<double>({1.25, 6.25, 7.25}));
    EXPECT_EQ(ys(chart("ChartS")->points(2)), QList<double>({0.5, 2.0, 0}));
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(ChartTabsTest, TimeAxisFollowsTheSpanOfTheTickedReadings) {
    addSensors({kThree});
    install(kThree, true);
    reading(kThree, "2024-03-01 08:15:00", {"10", "20", "30"});
    reading(kThree, "2024-03-01 13:40:00", {"10.5", "20", "30"});
    reading(kThree, "2024-03-02 09:00:00", {"11", "20", "30"}, "20", false, true);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(3);
    ChartWidget* t = chart("ChartT");
    ChartWidget::AxisSpec x = t->axisSpec(Axis::X);
    EXPECT_EQ(x.labelFormat, "hh:mm");
    EXPECT_EQ(x.title, "2024/03/01");
    EXPECT_EQ(x.step, 2 * 3600 * 1000.0);
    EXPECT_EQ(x.min, ChartWidget::timeX(QDateTime(QDate(2024, 3, 1), QTime(8, 0))));
    EXPECT_EQ(x.max, ChartWidget::timeX(QDateTime(QDate(2024, 3, 1), QTime(14, 0))));

    {
        Connection c;
        c.open(location());
        c.execute("UPDATE " + quoteName(kThree) + " SET Plottemporal = 1");
    }
    w.SSTab1->setCurrentIndex(0);
    w.SSTab1->setCurrentIndex(5);
    x = chart("ChartLVT")->axisSpec(Axis::X);
    EXPECT_EQ(x.labelFormat, "hh:mm");
    EXPECT_EQ(x.title, "2024/03/01");
    EXPECT_EQ(x.step, 6 * 3600 * 1000.0);
}

TEST_P(ChartTabsTest, LoadsUseTheStiffnessAndAnchorsOnTheForm) {
    addSensors({kThree});
    install(kThree, true);
    workedExample(kThree);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(5);
    ASSERT_EQ(w.SSTab1->currentIndex(), 5);
    // Anchors 1.25, 3.25 and 6.25 m; displacements -1.5, -1.0 and 0 mm.
    EXPECT_DOUBLE_EQ(stored(kThree, "2024-03-05 08:00:00", "Load1").toDouble(), -12.5);
    EXPECT_NEAR(stored(kThree, "2024-03-05 08:00:00", "Load2").toDouble(), -50.0 / 3, 1e-9);
    ChartWidget* lvt = chart("ChartLVT");
    EXPECT_EQ(lvt->titleLines(), QStringList{kThree});
    EXPECT_EQ(lvt->legendEntries(), QStringList({"Temp (C)", "4.75 m", "2.25 m"}));
    EXPECT_EQ(lvt->axisSpec(Axis::Y).title, "Load (kN)");
    EXPECT_EQ(ys(lvt->points(2)), QList<double>({0, -12.5}));

    w.SSTab1->setCurrentIndex(0);
    retype("txtkval", "100");
    w.SSTab1->setCurrentIndex(6);
    ASSERT_EQ(w.SSTab1->currentIndex(), 6);
    EXPECT_DOUBLE_EQ(stored(kThree, "2024-03-05 08:00:00", "Load1").toDouble(), -25.0);
    ChartWidget* lvl = chart("ChartLVL");
    EXPECT_EQ(lvl->axisSpec(Axis::Y).title, "Load (kN)");
    EXPECT_EQ(lvl->legendTitle(), "Reading  Dates: ");
    EXPECT_EQ(lvl->legendEntries(), QStringList({"2024/03/01", "2024/03/05"}));
    // Collar without a plate, the loads at their midpoints, zero at the end of the strand.
    EXPECT_EQ(xs(lvl->points(2)), QList<double>({0, 2.25, 4.75, 6.75}));
    EXPECT_EQ(ys(lvl->points(2))[0], 0);
    EXPECT_DOUBLE_EQ(ys(lvl->points(2))[1], -25.0);
    EXPECT_EQ(ys(lvl->points(2))[3], 0);
    EXPECT_EQ(lvl->axisSpec(Axis::X).max, 7);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(ChartTabsTest, LengthChartUsesTheRecessOnTheInstallationTab) {
    addSensors({kThree});
    install(kThree, true);
    workedExample(kThree);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(1);
    retype("txtRecess", "0.5");
    w.SSTab1->setCurrentIndex(4);
    ASSERT_EQ(w.SSTab1->currentIndex(), 4);
    ChartWidget* s = chart("ChartS");
    EXPECT_EQ(s->titleLines(), QStringList{kThree});
    EXPECT_EQ(s->legendEntries(), QStringList({"2024/03/01", "2024/03/05"}));
    EXPECT_FALSE(s->isSeriesListed(0));
    // The head at the recess with the change of channel 3, then anchors 1.5, 3.5, 6.5 m.
    EXPECT_EQ(xs(s->points(2)), QList<double>({0.5, 1.5, 3.5, 6.5}));
    EXPECT_EQ(ys(s->points(2)), QList<double>({0.5, -1.5, -1.0, 0}));
    EXPECT_EQ(s->axisSpec(Axis::X).min, 0);
    EXPECT_EQ(s->axisSpec(Axis::X).max, 7);
    EXPECT_EQ(s->axisSpec(Axis::X).title, "Distance from Roof (m)");
    EXPECT_EQ(s->axisSpec(Axis::X).labelFormat, "0");
    EXPECT_EQ(s->axisSpec(Axis::Y).min, -1.5);
    EXPECT_EQ(s->axisSpec(Axis::Y).max, 1);
    EXPECT_FALSE(widget<QLabel>("lblW15")->isVisibleTo(w.SSTab1->widget(4)));
}

TEST_P(ChartTabsTest, ChartsFollowTheNodeCountOfTheSensorShown) {
    addSensors({kOne, kThree});
    install(kThree, true);
    install(kOne, true, false, {"2"});
    workedExample(kThree);
    reading(kOne, "2024-03-01 08:00:00", {"5.00"});
    reading(kOne, "2024-03-05 08:00:00", {"5.75"});
    frmQuorvelle& w = open();
    ASSERT_EQ(w.identification->cboSensors->currentText(), kThree);
    w.SSTab1->setCurrentIndex(3);
    EXPECT_EQ(chart("ChartT")->legendEntries().size(), 5);

    w.SSTab1->setCurrentIndex(0);
    QComboBox* sensors = w.identification->cboSensors;
    sensors->setCurrentIndex(sensors->findText(kOne));
    emit sensors->activated(sensors->currentIndex());
    ASSERT_EQ(w.state().nodeCount(), 1);
    w.SSTab1->setCurrentIndex(3);
    ChartWidget* t = chart("ChartT");
    EXPECT_EQ(t->titleLines(), QStringList{kOne});
    EXPECT_EQ(t->legendEntries(), QStringList({"Temp (C)", "2.25 m", "Head"}));
    EXPECT_EQ(ys(t->points(1)), QList<double>({0, 0}));
    EXPECT_EQ(ys(t->points(2)), QList<double>({0, 0.75}));
    EXPECT_TRUE(stored(kOne, "2024-03-05 08:00:00", "Disp2").isNull());

    w.SSTab1->setCurrentIndex(5);
    EXPECT_EQ(chart("ChartLVT")->legendEntries(), QStringList{"Temp (C)"});
    w.SSTab1->setCurrentIndex(6);
    EXPECT_EQ(xs(chart("ChartLVL")->points(1)), QList<double>({0, 6.75}));
}

TEST_P(ChartTabsTest, SixteenSpatialReadingsPlotTheLastFifteenWithTheNotice) {
    addSensors({kThree});
    install(kThree, false);
    for (int day = 1; day <= 16; ++day) {
        reading(kThree, QStringLiteral("2024-03-%1 08:00:00").arg(day, 2, 10, QChar('0')),
                {"10", "20", QString::number(30 + day)}, "20", false, true);
    }
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(4);
    ASSERT_EQ(w.SSTab1->currentIndex(), 4);
    ChartWidget* s = chart("ChartS");
    const QStringList dates = s->legendEntries();
    ASSERT_EQ(dates.size(), 15);
    EXPECT_EQ(dates.first(), "2024/03/02");
    EXPECT_EQ(dates.last(), "2024/03/16");
    EXPECT_FALSE(widget<QLabel>("lblW15")->isHidden());
    // Head at the toe: each line ends at the head, 7.25 m, with 0.
    EXPECT_EQ(s->points(1).last(), QPointF(7.25, 0));
    EXPECT_EQ(s->axisSpec(Axis::X).max, 8);

    {
        Connection c;
        c.open(location());
        c.execute("UPDATE " + quoteName(kThree) +
                  " SET PlotSpatial = 0 WHERE FullDate = '2024-03-01 08:00:00'");
    }
    w.SSTab1->setCurrentIndex(0);
    w.SSTab1->setCurrentIndex(4);
    EXPECT_EQ(s->legendEntries().size(), 15);
    EXPECT_EQ(s->legendEntries().first(), "2024/03/02");
    EXPECT_TRUE(widget<QLabel>("lblW15")->isHidden());
}

TEST_P(ChartTabsTest, RefusedChartStaysHiddenAndUndrawn) {
    addSensors({kThree});
    install(kThree, true);
    reading(kThree, "2024-03-01 08:00:00", {"10", "20", "30"}, "20", true, false);
    reading(kThree, "2024-03-02 08:00:00", {"10", "20", "30"}, "20", false, true);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(1);
    w.SSTab1->setCurrentIndex(6);
    EXPECT_EQ(w.SSTab1->currentIndex(), 1);
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_TRUE(prompter.last().text.endsWith("Plot Spatial box on the Readings Tab is checked "
                                              "in each case."));
    EXPECT_TRUE(chart("ChartLVL")->isHidden());
    EXPECT_TRUE(chart("ChartLVL")->legendEntries().isEmpty());
}

TEST_P(ChartTabsTest, AnchorsAtTheSameDistanceEndTheBatchButTheChartIsDrawn) {
    addSensors({kThree});
    install(kThree, true, false, {"1", "1", "6"});
    workedExample(kThree);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(5);
    ASSERT_EQ(w.SSTab1->currentIndex(), 5);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().trimmed().endsWith(" G_GetTemporalData"));
    EXPECT_TRUE(stored(kThree, "2024-03-05 08:00:00", "Load1").isNull());
    ChartWidget* lvt = chart("ChartLVT");
    EXPECT_FALSE(lvt->isHidden());
    EXPECT_EQ(lvt->legendEntries(), QStringList({"Temp (C)", "3.75 m", "1.25 m"}));
    EXPECT_TRUE(lvt->points(1).isEmpty());
}

TEST_P(ChartTabsTest, PlateOnAToeSensorWithoutFivePairsStopsTheLoadProfile) {
    addSensors({kThree});
    install(kThree, false, true);
    workedExample(kThree);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(6);
    ASSERT_EQ(w.SSTab1->currentIndex(), 6);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().trimmed().endsWith(" G_DrawSloadgraph"));
    ChartWidget* lvl = chart("ChartLVL");
    EXPECT_EQ(lvl->legendEntries(), QStringList{"2024/03/01"});
    EXPECT_TRUE(lvl->points(1).isEmpty());
}

TEST_P(ChartTabsTest, ExportButtonsWriteTheirFilesAndOpenThem) {
    addSensors({kThree});
    install(kThree, true);
    workedExample(kThree);
    frmQuorvelle& w = open();
    w.show();
    struct Case {
        int tab;
        const char* button;
        const char* file;
    };
    QStringList expected;
    for (const Case& c : {Case{3, "cmdTemp", "Temporal.jpg"}, Case{4, "cmdDvl", "DvL.jpg"},
                          Case{5, "cmdExportLVT", "LVT.jpg"}, Case{6, "Command2", "LVL.jpg"}}) {
        w.SSTab1->setCurrentIndex(c.tab);
        ASSERT_EQ(w.SSTab1->currentIndex(), c.tab);
        QTest::mouseClick(widget<QPushButton>(c.button), Qt::LeftButton);
        const QString file = path(QLatin1String(c.file));
        EXPECT_GT(QFileInfo(file).size(), 0) << c.file;
        expected << file;
    }
    EXPECT_EQ(desktop.opened, expected);
    EXPECT_TRUE(prompter.calls.isEmpty());

    w.SSTab1->setCurrentIndex(3);
    QTest::mouseClick(widget<QPushButton>("cmdTHelp"), Qt::LeftButton);
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Graphing Tips and Hints");
    EXPECT_EQ(prompter.last().text.split("\r\n").size(), 4);
}

TEST_P(ChartTabsTest, ScaleChoiceTakesEffectWhenAChartTabIsNextEntered) {
    addSensors({kThree});
    install(kThree, true);
    workedExample(kThree);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(4);
    auto* combo = widget<QComboBox>("cboScale");
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(w.SSTab1->widget(4)->isAncestorOf(combo));
    ChartWidget* s = chart("ChartS");
    EXPECT_EQ(s->axisSpec(Axis::Y).max, 1);

    combo->setCurrentIndex(combo->findText("50"));
    emit combo->activated(combo->currentIndex());
    EXPECT_EQ(s->axisSpec(Axis::Y).max, 1);

    w.SSTab1->setCurrentIndex(3);
    EXPECT_TRUE(w.SSTab1->widget(3)->isAncestorOf(combo));
    EXPECT_EQ(chart("ChartT")->axisSpec(Axis::Y).max, 50);
    EXPECT_EQ(chart("ChartT")->axisSpec(Axis::Y).step, 5);
    w.SSTab1->setCurrentIndex(4);
    EXPECT_EQ(s->axisSpec(Axis::Y).min, 0);
    EXPECT_EQ(s->axisSpec(Axis::Y).max, 50);

    // A typed scale counts as its leading number, in steps of 5.
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), "40");
    w.SSTab1->setCurrentIndex(6);
    EXPECT_EQ(chart("ChartLVL")->axisSpec(Axis::Y).max, 40);
    EXPECT_EQ(chart("ChartLVL")->axisSpec(Axis::Y).step, 5);
}

TEST_P(ChartTabsTest, MissingReadingsTableIsCreatedAnewAndTheTabRefuses) {
    addSensors({kThree});
    {
        Connection c;
        c.open(location());
        c.execute("DROP TABLE " + quoteName(kThree));
    }
    frmQuorvelle& w = open();
    prompter.clear();
    w.SSTab1->setCurrentIndex(5);
    EXPECT_EQ(w.SSTab1->currentIndex(), 0);
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_EQ(prompter.calls[0].title, "Quorvelle");
    EXPECT_EQ(prompter.calls[0].text, "The data table for Sensor " + kThree +
                                          " could not be found\r\nA new table will be created");
    EXPECT_TRUE(prompter.calls[1].text.endsWith("Plot Temporal box on the Readings Tab is "
                                                "checked in each case."));
    EXPECT_TRUE(logText().trimmed().endsWith(" Module1_OpenGraphData"));
    Connection c;
    c.open(location());
    EXPECT_EQ(c.scalar("SELECT count(*) FROM " + quoteName(kThree)).toInt(), 0);
}

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(ChartTabsTest);

TEST_P(ChartTabsTest, AReZeroIsShownSinceItOrSinceInstallationOnBothTimeCharts) {
    addSensors({kThree});
    install(kThree, false);
    workedExample(kThree);
    reading(kThree, "2024-03-09 08:00:00", {"13.00", "22.00", "31.00"});
    {
        Connection c;
        c.open(location());
        RevisionRequest rezero;
        rezero.instrumentId = kThree;
        rezero.from = QDateTime(QDate(2024, 3, 5), QTime(8, 0), Qt::UTC);
        rezero.kind = RevisionKind::Rezero;
        addRevision(c, rezero, QDateTime(QDate(2024, 3, 6), QTime(9, 0)), "surveyor");
    }
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(3);
    ASSERT_EQ(w.SSTab1->currentIndex(), 3);
    ChartWidget* t = chart("ChartT");
    ASSERT_NE(t, nullptr);
    // Head at the toe: series 1 is the head, 2 node 1.
    EXPECT_EQ(ys(t->points(2)), QList<double>({0, 0, 1.0}));
    ASSERT_EQ(t->markerLines().size(), 1);
    EXPECT_EQ(t->markerLines()[0].label, "No. 1 re-zero");

    auto* since = widget<QCheckBox>("chkSinceInstallation");
    ASSERT_NE(since, nullptr);
    since->setChecked(true);
    EXPECT_EQ(ys(t->points(2)), QList<double>({0, 2.0, 3.0}));
    EXPECT_DOUBLE_EQ(stored(kThree, "2024-03-09 08:00:00", "Disp1").toDouble(), 3.0);
    EXPECT_TRUE(prompter.calls.isEmpty());

    // The load chart's switch says the same and its batch follows it.
    w.SSTab1->setCurrentIndex(5);
    ASSERT_EQ(w.SSTab1->currentIndex(), 5);
    const auto switches = window->findChildren<QCheckBox*>("chkSinceInstallation");
    ASSERT_EQ(switches.size(), 2);
    EXPECT_TRUE(switches[0]->isChecked() && switches[1]->isChecked());
    EXPECT_EQ(chart("ChartLVT")->markerLines().size(), 1);
}

TEST_P(ChartTabsTest, FlaggedReadingsAreMarkedOnEveryNodeLineAndRejectedOnesNotDrawn) {
    addSensors({kThree});
    install(kThree, true);
    for (int d = 1; d <= 6; ++d) {
        const QString first = QString::number(10.0 + 0.1 * d, 'f', 2);
        reading(kThree, QStringLiteral("2024-03-%1 08:00:00").arg(d, 2, 10, QChar('0')),
                {d == 4 ? "70.00" : first, "20.00", "30.00"});
    }
    const QString spike = kThree + " 2024/03/04 08:00:00";
    const QDateTime now(QDate(2024, 3, 7), QTime(9, 0));
    {
        Connection c;
        c.open(location());
        refreshReadingFlags(c, kThree, now);
    }
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(3);
    ASSERT_EQ(w.SSTab1->currentIndex(), 3);
    ChartWidget* t = chart("ChartT");
    ASSERT_NE(t, nullptr);
    const double spikeX = t->points(1).at(3).x();

    // Each flagged reading is marked where each node line and the head pass it, and
    // nowhere else; the temperature carries no marks and the legend gains no entry.
    const auto expectMarks = [&](ChartWidget* c, int lines, const QSet<double>& flaggedXs) {
        QList<QPointF> expected;
        for (int i = 1; i <= lines; ++i) {
            for (const QPointF& p : c->points(i)) {
                if (flaggedXs.contains(p.x())) {
                    expected << p;
                }
            }
        }
        QList<QPointF> marks = c->flagMarks();
        const auto byXy = [](const QPointF& a, const QPointF& b) {
            return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
        };
        std::sort(marks.begin(), marks.end(), byXy);
        std::sort(expected.begin(), expected.end(), byXy);
        EXPECT_EQ(marks, expected);
    };
    QSet<double> flaggedXs;
    QSet<QString> keys;
    {
        Connection c;
        c.open(location());
        for (const ReadingFlag& flag : readFlags(c, kThree)) {
            keys.insert(flag.key);
        }
    }
    ASSERT_TRUE(keys.contains(spike));
    for (int d = 0; d < 6; ++d) {
        if (keys.contains(kThree +
                          QStringLiteral(" 2024/03/%1 08:00:00").arg(d + 1, 2, 10, QChar('0')))) {
            flaggedXs.insert(t->points(1).at(d).x());
        }
    }
    EXPECT_TRUE(flaggedXs.contains(spikeX));
    expectMarks(t, 4, flaggedXs);
    EXPECT_GE(t->flagMarks().size(), 4);
    EXPECT_EQ(t->legendEntries(), QStringList({"Temp (C)", "6.25 m", "3.25 m", "1.25 m", "Head"}));

    w.SSTab1->setCurrentIndex(5);
    ChartWidget* load = chart("ChartLVT");
    ASSERT_NE(load, nullptr);
    expectMarks(load, 2, flaggedXs);
    EXPECT_FALSE(load->flagMarks().isEmpty());

    // Rejected: the spike is neither drawn nor marked.
    {
        Connection c;
        c.open(location());
        rejectReading(c, kThree, spike, true, "readout glitch", "surveyor", now);
        refreshReadingFlags(c, kThree, now);
    }
    w.SSTab1->setCurrentIndex(0);
    w.SSTab1->setCurrentIndex(3);
    EXPECT_EQ(t->points(1).size(), 5);
    for (const QPointF& p : t->points(1) + t->flagMarks()) {
        EXPECT_NE(p.x(), spikeX);
    }
    EXPECT_EQ(logEntries(), 0);
}
