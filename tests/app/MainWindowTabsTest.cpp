#include "store/Connection.h"
#include "support/MainWindowFixture.h"

#include <QDir>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

class MainWindowTabsTest : public OnBothEngines<MainWindowTest> {};

namespace {
void addReading(const QString& db, const QString& id, const QString& when, bool temporal,
                bool spatial) {
    Connection c;
    c.open(db);
    c.execute("INSERT INTO " + quoteName(id) +
                  " (DateTimeKey, FullDate, Plottemporal, PlotSpatial) VALUES (?, ?, ?, ?)",
              {id + " " + when, when, temporal ? 1 : 0, spatial ? 1 : 0});
}

const QString kTwo = "You must have at least 2 readings to view the plot.\r\n\r\n";
} // namespace

TEST_P(MainWindowTabsTest, ChartTabWithOneTickedReadingReturnsToThePreviousTab) {
    addSensors({"120531001"});
    addReading(location(), "120531001", "2026-01-01 10:00:00", true, false);
    addReading(location(), "120531001", "2026-01-02 10:00:00", false, true);
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(1);
    int drawn = 0;
    w.setChartSteps(3, {nullptr, nullptr, nullptr, [&] { ++drawn; }});
    w.SSTab1->setCurrentIndex(3);
    EXPECT_EQ(w.SSTab1->currentIndex(), 1);
    EXPECT_EQ(drawn, 0);
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);
    EXPECT_EQ(prompter.last().text,
              kTwo + "If you have at least 2 readings in the database, ensure the Plot Temporal "
                     "box on the Readings Tab is checked in each case.");

    w.SSTab1->setCurrentIndex(4);
    EXPECT_EQ(w.SSTab1->currentIndex(), 1);
    EXPECT_TRUE(prompter.last().text.endsWith("ensure the Plot Spatial box on the Readings Tab "
                                              "is checked in each case."));
}

TEST_P(MainWindowTabsTest, ChartTabWithTwoTickedReadingsRunsItsStepsInOrder) {
    addSensors({"120531001"});
    addReading(location(), "120531001", "2026-01-01 10:00:00", true, true);
    addReading(location(), "120531001", "2026-01-02 10:00:00", true, true);
    frmQuorvelle& w = open();
    QStringList steps;
    w.setChartSteps(5, {[&] { steps << "prepare"; }, [&] { steps << "batch"; },
                        [&] { steps << "show"; }, [&] { steps << "draw"; }});
    w.SSTab1->setCurrentIndex(5);
    EXPECT_EQ(w.SSTab1->currentIndex(), 5);
    EXPECT_EQ(steps, QStringList({"prepare", "batch", "show", "draw"}));
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(MainWindowTabsTest, ChartTabOnASensorWithoutItsTableRefusesAndLogs) {
    addSensors({"120531001"});
    exec("DROP TABLE \"120531001\"");
    frmQuorvelle& w = open();
    w.SSTab1->setCurrentIndex(3);
    EXPECT_EQ(w.SSTab1->currentIndex(), 0);
    EXPECT_TRUE(prompter.messageTexts().last().startsWith(kTwo));
}

TEST_P(MainWindowTabsTest, RestoredWindowPlacesTheTabControlAt120Twips) {
    frmQuorvelle& w = open();
    w.show();
    EXPECT_EQ(w.SSTab1->pos(), QPoint(8, 8));
}

TEST_F(MainWindowTest, CompactionFailureSaysSoAndLeavesTheDatabaseIntact) {
    addSensors({"120521001"});
    // Deleted rows leave free pages, so there is something to compact.
    for (int i = 0; i < 20; ++i) {
        exec("INSERT INTO `120521001` (DateTimeKey, Channel1) VALUES (?, ?)",
             {QString("k%1").arg(i), QString(4000, 'x')});
    }
    exec("DELETE FROM `120521001`");
    // SQLite cannot create its journal where a folder of that name stands.
    QDir().mkpath(dbPath() + "-journal");
    open();
    prompter.clear();
    closeWindow();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "Error compacting QuorvelleVARLO_MM.mdb");
    // Start-up could not read the file either, and logged that under its own tag.
    EXPECT_EQ(logEntries(), 2);
    EXPECT_TRUE(logText().contains(" Form_Load"));
    EXPECT_TRUE(logText().trimmed().endsWith(" G_CompactDB"));
    QDir(dbPath() + "-journal").removeRecursively();
    Connection c;
    c.open(dbPath());
    EXPECT_EQ(c.scalar("SELECT count(*) FROM Sensors").toInt(), 1);
}

TEST_P(MainWindowTabsTest, PressOnTheTabStripOverADisplacementChartReleasesTheReadings) {
    addSensors({"120531001"});
    addReading(location(), "120531001", "2026-01-01 10:00:00", true, true);
    addReading(location(), "120531001", "2026-01-02 10:00:00", true, true);
    frmQuorvelle& w = open();
    w.show();
    w.SSTab1->setCurrentIndex(2);
    ASSERT_TRUE(w.state().rsReadings && w.state().rsReadings->isOpen());
    w.SSTab1->setCurrentIndex(5);
    QTest::mousePress(w.SSTab1->tabBar(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(w.state().rsReadings->isOpen());
    w.SSTab1->setCurrentIndex(3);
    ASSERT_EQ(w.SSTab1->currentIndex(), 3);
    QTest::mousePress(w.SSTab1->tabBar(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(w.state().rsReadings->isOpen());
}

TEST_P(MainWindowTabsTest, MaximizingCentresTheTabControlAndRestoringPutsItBack) {
    frmQuorvelle& w = open();
    w.showMaximized();
    QTest::qWait(50);
    ASSERT_TRUE(w.isMaximized());
    const QSize screen = w.screen()->size();
    const QSize tabs = w.SSTab1->size();
    EXPECT_EQ(w.SSTab1->pos(),
              QPoint((screen.width() - tabs.width()) / 2, (screen.height() - tabs.height()) / 2));
    EXPECT_EQ(w.SSTab1->size(), tabs);
    w.showNormal();
    QTest::qWait(50);
    EXPECT_EQ(w.SSTab1->pos(), QPoint(8, 8));
}

INSTANTIATE_ON_BOTH_ENGINES(MainWindowTabsTest);
