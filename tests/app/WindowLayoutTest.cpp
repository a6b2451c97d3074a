#include "app/RunningWindow.h"
#include "app/WindowPlacement.h"
#include "charts/ChartWidget.h"
#include "sensors/IdentificationPage.h"
#include "support/MainWindowFixture.h"
#include "ui/ClickableLabel.h"

#include <QAbstractAxis>
#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace {
// The free area of a 1366 × 768 laptop under a panel, and of 1920 × 1080 at 150 %.
const QRect kLaptop(0, 0, 1366, 736);
const QRect kScaledFullHd(0, 0, 1280, 690);
} // namespace

TEST(WindowPlacementTest, FirstSizeAndMinimumFitTheScreensTheWindowIsMadeFor) {
    for (const QRect& area : {kLaptop, kScaledFullHd}) {
        const QSize first = firstWindowSize(area);
        EXPECT_LE(first.width(), area.width());
        EXPECT_LE(first.height(), area.height());
        EXPECT_EQ(minimumWindowSize(area), kWindowMinimum);
        EXPECT_GE(first.width(), kWindowMinimum.width());
        EXPECT_GE(first.height(), kWindowMinimum.height());
    }
    // A screen smaller than the minimum still shows the whole window.
    EXPECT_EQ(minimumWindowSize(QRect(0, 0, 800, 560)), QSize(800, 560));
    EXPECT_EQ(firstWindowSize(QRect(0, 0, 3840, 2160)), kWindowPreferred);
}

class WindowLayoutTest : public MainWindowTest {};

TEST_F(WindowLayoutTest, EveryPageFitsTheWindowOnTheSmallestScreen) {
    addSensors({"120531001"});
    frmQuorvelle& w = open();
    w.show();
    // Every page is entered once: a tab's page is sized, and the site status page made, when
    // its tab is first shown.
    for (int i = 1; i < w.SSTab1->count(); ++i) {
        w.SSTab1->setCurrentIndex(i);
    }
    ASSERT_EQ(w.SSTab1->currentIndex(), 8);
    const QSize window = firstWindowSize(kScaledFullHd);
    const QSize needed =
        w.centralWidget()->minimumSizeHint() + QSize(0, w.statusBar()->sizeHint().height());
    EXPECT_LE(needed.width(), window.width());
    EXPECT_LE(needed.height(), window.height());
    for (int i = 0; i < w.SSTab1->count(); ++i) {
        const QSize page = w.SSTab1->widget(i)->minimumSizeHint();
        ASSERT_TRUE(page.isValid()) << i;
        EXPECT_LE(page.width(), window.width() - 16) << i;
        EXPECT_LE(page.height(), window.height() - 16 - 24) << i;
    }
}

TEST_F(WindowLayoutTest, SizePositionAndMaximisedStateAreKeptForTheNextRun) {
    frmQuorvelle& first = open();
    first.show();
    first.setGeometry(40, 30, 1100, 640);
    QTest::qWait(20);
    const QRect kept = first.geometry();
    closeWindow();
    frmQuorvelle& second = open();
    second.show();
    QTest::qWait(20);
    EXPECT_EQ(second.geometry().size(), kept.size());
    EXPECT_EQ(second.geometry().topLeft(), kept.topLeft());
    EXPECT_FALSE(second.isMaximized());
    second.showMaximized();
    QTest::qWait(20);
    closeWindow();
    frmQuorvelle& third = open();
    EXPECT_TRUE(third.windowState() & Qt::WindowMaximized);
}

TEST_F(WindowLayoutTest, TabReachesEachImageCommandAndSpaceOrEnterRunsIt) {
    frmQuorvelle& w = open();
    w.show();
    IdentificationPage& id = *w.identification;
    const QList<ClickableLabel*> commands{id.imgPrevious.image, id.imgNext.image,
                                          id.imgAddSensor.image, id.imgDelete.image, id.Image1};
    // Walking the focus chain from the sensor list meets every command once.
    QList<QWidget*> chain;
    QWidget* at = id.cboSensors;
    for (int i = 0; i < 200 && (chain.isEmpty() || at != id.cboSensors); ++i) {
        chain << at;
        at = at->nextInFocusChain();
    }
    for (ClickableLabel* command : commands) {
        EXPECT_TRUE(chain.contains(command)) << command->objectName().toStdString();
        EXPECT_EQ(command->focusPolicy(), Qt::StrongFocus) << command->objectName().toStdString();
    }
    // The captions stay mouse targets, out of the Tab order.
    EXPECT_EQ(id.imgNext.caption->focusPolicy(), Qt::NoFocus);

    QSignalSpy ran(id.imgNext.image, &ClickableLabel::clicked);
    QTest::keyClick(id.imgNext.image, Qt::Key_Space);
    QTest::keyClick(id.imgNext.image, Qt::Key_Return);
    QTest::keyClick(id.imgNext.image, Qt::Key_Enter);
    EXPECT_EQ(ran.count(), 3);
    QTest::keyClick(id.imgNext.image, Qt::Key_A);
    EXPECT_EQ(ran.count(), 3);
    QTest::mouseClick(id.imgNext.caption, Qt::LeftButton);
    EXPECT_EQ(ran.count(), 4);
}

TEST_F(WindowLayoutTest, AltAndTheTabsNumberShowsThatTab) {
    frmQuorvelle& w = open();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_8, Qt::AltModifier);
    EXPECT_EQ(w.SSTab1->currentIndex(), 7);
    QTest::keyClick(&w, Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(w.SSTab1->currentIndex(), 1);
    QTest::keyClick(&w, Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(w.SSTab1->currentIndex(), 0);
}

TEST_F(WindowLayoutTest, CtrlHomeAndCtrlEndShowTheFirstAndLastSensor) {
    addSensors({"120521001", "120521002", "120521003"});
    frmQuorvelle& w = open();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    IdentificationPage& id = *w.identification;
    // The register is listed newest number first and opens on its first sensor.
    ASSERT_EQ(id.txtSensor->text(), "120521003");
    id.imgNext.image->setFocus();
    id.txtFamily->setText("Crusher drive");

    QTest::keyClick(&w, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(id.txtSensor->text(), "120521001");
    EXPECT_EQ(id.cboSensors->currentText(), "120521001");
    // The sensor left was stored on the way.
    EXPECT_EQ(scalar("SELECT Family FROM Sensors WHERE InstrumentID = '120521003'").toString(),
              "Crusher drive");
    // At the end already, the key changes nothing.
    QTest::keyClick(&w, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(id.txtSensor->text(), "120521001");
    QTest::keyClick(&w, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(id.txtSensor->text(), "120521003");
    EXPECT_EQ(id.txtFamily->text(), "Crusher drive");
}

TEST(RunningWindowTest, ASecondStartAsksTheRunningCopyToComeForward) {
    const QString name = QDir::temp().filePath(
        QStringLiteral("quorvelle-raise-test-%1").arg(QCoreApplication::applicationPid()));
    EXPECT_FALSE(askRunningCopyToRaise(name));
    RaiseListener running(name);
    ASSERT_TRUE(running.listen());
    QSignalSpy raised(&running, &RaiseListener::raiseRequested);
    EXPECT_TRUE(askRunningCopyToRaise(name));
    EXPECT_TRUE(raised.wait());
    EXPECT_EQ(raised.count(), 1);

    QWidget window;
    window.showMinimized();
    bringForward(window);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
}

TEST(ChartPaletteTest, ADarkDesktopGivesTheChartADarkBackgroundAndLightText) {
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));

    ChartWidget chart(11, ChartWidget::XAxisKind::DateTime);
    EXPECT_EQ(chart.chart()->backgroundBrush().color(), light.color(QPalette::Base));
    QApplication::setPalette(dark);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(chart.chart()->backgroundBrush().color(), QColor(30, 30, 30));
    EXPECT_EQ(chart.chart()->titleBrush().color(), QColor(230, 230, 230));
    for (QAbstractAxis* axis : chart.chart()->axes()) {
        EXPECT_EQ(axis->labelsBrush().color(), QColor(230, 230, 230));
        // Grid lines stand out from the background but less than the text.
        EXPECT_GT(axis->gridLinePen().color().lightness(), 30);
        EXPECT_LT(axis->gridLinePen().color().lightness(), 230);
    }
    // A black series would vanish on a dark background; it takes the text colour.
    chart.setPoints(0, {{0, 1}, {1, 2}});
    chart.setSeriesVisible(0, true);
    EXPECT_EQ(chart.palette().color(QPalette::Window), QColor(30, 30, 30));

    // A chart made on the dark desktop starts dark, its right axis too.
    ChartWidget later(11, ChartWidget::XAxisKind::DateTime);
    later.setRightAxis(0, QStringLiteral("Temperature (°C)"));
    EXPECT_EQ(later.chart()->backgroundBrush().color(), QColor(30, 30, 30));
    EXPECT_EQ(later.rightAxis()->labelsBrush().color(), QColor(230, 230, 230));
}
