#include "site/PlanView.h"
#include "readings/ReadingsFixture.h"
#include "sensors/IdentificationPage.h"
#include "site/DxfText.h"
#include "site/PlanPage.h"
#include "site/SiteTables.h"
#include "store/Connection.h"
#include "store/TriggerTables.h"
#include "support/TestReadings.h"
#include "triggers/SiteStatusPage.h"
#include "triggers/SiteViews.h"
#include "triggers/TriggerLevels.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace {

const QString kRed = QStringLiteral("120521001");
const QString kGreen = QStringLiteral("120531002");
const QString kGrey = QStringLiteral("120521003");
const QString kGone = QStringLiteral("120521004");
const QString kNowhere = QStringLiteral("120521005");
const QString kFar = QStringLiteral("120521006");
const QString kOther = QStringLiteral("120521007");

QByteArray levelPlan() {
    // The drive outline of the level, 200 m by 100 m, on two layers.
    QString entities;
    const auto line = [&](const QString& layer, double x1, double y1, double x2, double y2) {
        entities += QStringLiteral("0\nLINE\n8\n%1\n10\n%2\n20\n%3\n30\n0\n11\n%4\n21\n%5\n31\n0\n")
                        .arg(layer)
                        .arg(x1)
                        .arg(y1)
                        .arg(x2)
                        .arg(y2);
    };
    line("Drives", 15000, 80000, 15200, 80000);
    line("Drives", 15200, 80000, 15200, 80100);
    line("Drives", 15200, 80100, 15000, 80100);
    line("Survey", 15000, 80100, 15000, 80000);
    return dxfDrawing({"Drives", "Survey"}, {}, entities);
}

class PlanViewTest : public OnBothEngines<ReadingsTest> {
protected:
    void SetUp() override {
        OnBothEngines<ReadingsTest>::SetUp();
        if (IsSkipped()) {
            return;
        }
        const QStringList ids{kRed, kGreen, kGrey, kGone, kNowhere, kFar, kOther};
        addSensors(ids);
        for (const QString& id : ids) {
            exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2, "
                 "Level = ? WHERE InstrumentID = ?",
                 {id == kOther ? "1100 Level" : "1040 Level", id});
        }
        exec("UPDATE Sensors SET Destroyed = 'Yes' WHERE InstrumentID = ?", {kGone});
        for (const QString& id : {kRed, kGreen, kGone, kFar}) {
            addReadings(id, {QDateTime(QDate(2026, 12, 6), QTime(8, 0)),
                             QDateTime(QDate(2026, 12, 7), QTime(8, 0))});
        }
        exec("UPDATE \"120521001\" SET Channel1 = '31.00' WHERE FullDate LIKE '2026-12-07%'");
        addReadings(kGrey, {QDateTime(QDate(2026, 12, 7), QTime(8, 0))});

        Connection db;
        db.open(location());
        writeDisplacementLevels(db, kSiteDefaultKey, 10, 20);
        storePosition(db, kRed, SensorPosition{15050, 80050, -1040});
        storePosition(db, kGreen, SensorPosition{15150, 80050, std::nullopt});
        storePosition(db, kGrey, SensorPosition{15100, 80020, std::nullopt});
        storePosition(db, kGone, SensorPosition{15100, 80080, std::nullopt});
        storePosition(db, kFar, SensorPosition{95000, 80050, std::nullopt});
        storePlan(
            db,
            StoredPlan{
                "1040 Level", PlanKind::Dxf, "1040.dxf", levelPlan(), {}, "2026-12-01 08:00:00"});
    }

    PlanPage& planTab() {
        window->SSTab1->setCurrentIndex(8);
        window->siteStatus->siteViews->optSitePlan->click();
        return *window->siteStatus->planPage;
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }
};

} // namespace

TEST_P(PlanViewTest, TheLevelsPlanShowsEachPositionedSensorInItsStateAndListsTheRest) {
    open();
    PlanPage& page = planTab();
    EXPECT_EQ(window->siteStatus->siteViews->stkSiteView->currentIndex(), 1);
    EXPECT_EQ(window->siteStatus->siteViews->stkSiteView->currentWidget(), &page);

    // The level with a red sensor is marked; the other is not.
    ASSERT_EQ(page.cboPlanLevel->count(), 2);
    EXPECT_EQ(page.cboPlanLevel->itemText(0), "1040 Level  (1 red)");
    EXPECT_EQ(page.cboPlanLevel->itemText(1), "1100 Level");
    EXPECT_EQ(page.currentLevel(), "1040 Level");
    EXPECT_EQ(page.lblPlanFile->text(), "1040.dxf");

    PlanView& view = *page.viewPlan;
    QStringList marked = view.markedSensors();
    marked.sort();
    EXPECT_EQ(marked, (QStringList{kRed, kGrey, kGone, kGreen}));
    const auto colour = [&](const QString& id) {
        return view.marker(id)->data(kMarkerColourKey).value<QColor>();
    };
    EXPECT_EQ(colour(kRed), QColor(0xE5, 0x39, 0x35));
    EXPECT_EQ(colour(kGreen), QColor(0x66, 0xBB, 0x6A));
    EXPECT_EQ(colour(kGrey), QColor(0xBD, 0xBD, 0xBD));
    EXPECT_TRUE(view.marker(kGone)->data(kMarkerHollowKey).toBool());
    EXPECT_FALSE(view.marker(kRed)->data(kMarkerHollowKey).toBool());
    const QString tip = view.marker(kRed)->toolTip();
    EXPECT_TRUE(tip.contains("Last Reading: 2026/12/07 08:00")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("Disp (mm): 30.00")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("State: Red")) << tip.toStdString();
    // Markers sit on their grid points, north up.
    EXPECT_EQ(view.marker(kRed)->pos(), QPointF(15050, -80050));

    QStringList apart;
    for (int i = 0; i < page.lstUnplaced->count(); ++i) {
        apart << page.lstUnplaced->item(i)->text();
    }
    EXPECT_EQ(apart, (QStringList{kNowhere + ": no position",
                                  kFar + ": far off the plan at 95000.0, 80050.0"}));
    EXPECT_EQ(page.lblUnplaced->text(), "Not on the plan: 2");

    // The drawing's layers are listed and switch on and off.
    ASSERT_EQ(page.lstPlanLayers->count(), 2);
    EXPECT_EQ(page.lstPlanLayers->item(1)->text(), "Survey");
    page.lstPlanLayers->item(1)->setCheckState(Qt::Unchecked);
    int shownLayers = 0;
    for (QGraphicsItem* item : view.scene()->items()) {
        shownLayers += item->data(kLayerKey).isValid() && item->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(shownLayers, 1);

    // A click on a marker selects its row in the table; a double click shows the sensor.
    const QPoint at = view.mapFromScene(view.marker(kGreen)->pos());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTableView* table = window->siteStatus->tblSiteStatus;
    ASSERT_EQ(table->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(table->selectionModel()->selectedRows()[0].data().toString(), kGreen);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(window->SSTab1->currentIndex(), 0);
    EXPECT_EQ(window->identification->txtSensor->text(), kGreen);

    // The other level has no plan: its one sensor, without a position, is listed.
    planTab();
    page.cboPlanLevel->setCurrentIndex(1);
    emit page.cboPlanLevel->activated(1);
    EXPECT_EQ(page.currentLevel(), "1100 Level");
    EXPECT_EQ(page.lblPlanFile->text(), "No plan for this level");
    EXPECT_TRUE(view.markedSensors().isEmpty());
    EXPECT_EQ(page.lstUnplaced->count(), 1);
}

TEST_P(PlanViewTest, APlanIsReplacedOnlyByAReadableFileTheUserConfirms) {
    open();
    PlanPage& page = planTab();
    const auto storedFile = [&] {
        return scalar("SELECT FileName FROM LevelPlans WHERE Level = '1040 Level'").toString();
    };

    // A file that is not a drawing: the message names it, and the plan stays.
    prompter.files << writeFile("notes.dxf", "Easting,Northing\n1,2\n");
    page.cmdPlanLoad->click();
    EXPECT_EQ(prompter.last().text,
              "The plan file notes.dxf could not be read: line 1 is not a DXF group code.\r\nThe "
              "plan of 1040 Level is kept as it was.");
    EXPECT_EQ(storedFile(), "1040.dxf");
    EXPECT_EQ(page.viewPlan->markedSensors().size(), 4);

    // A good drawing, but the user keeps the old one.
    const QByteArray newer = dxfDrawing(
        {"Drives"}, {}, "0\nLINE\n8\nDrives\n10\n15000\n20\n80000\n11\n15300\n21\n80000\n");
    prompter.files << writeFile("1040-rev2.dxf", newer);
    prompter.answers << MsgAnswer::No;
    page.cmdPlanLoad->click();
    EXPECT_EQ(prompter.last().kind, "message");
    EXPECT_EQ(prompter.last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(prompter.last().defaultButton, MsgAnswer::No);
    EXPECT_TRUE(prompter.last().text.startsWith("1040 Level has the plan 1040.dxf, stored "
                                                "2026-12-01 08:00:00."));
    EXPECT_EQ(storedFile(), "1040.dxf");

    prompter.files << path("1040-rev2.dxf");
    prompter.answers << MsgAnswer::Yes;
    page.cmdPlanLoad->click();
    EXPECT_EQ(storedFile(), "1040-rev2.dxf");
    EXPECT_EQ(page.lblPlanFile->text(), "1040-rev2.dxf");
    EXPECT_EQ(page.lstPlanLayers->count(), 1);

    // A picture placed by two points: pixel (0, 0) at the drive's north-west corner, 1 m a
    // pixel.
    QImage scan(200, 100, QImage::Format_RGB32);
    scan.fill(Qt::lightGray);
    ASSERT_TRUE(scan.save(path("scan.png")));
    prompter.files << path("scan.png");
    prompter.inputs << QString("0 0 15000 80100") << QString("200 100 15200 80000");
    prompter.answers << MsgAnswer::Yes;
    page.cmdPlanLoad->click();
    EXPECT_EQ(storedFile(), "scan.png");
    ASSERT_FALSE(page.plan().picture.isNull());
    const QRectF extent = page.plan().extent();
    EXPECT_NEAR(extent.left(), 15000, 1e-6);
    EXPECT_NEAR(extent.right(), 15200, 1e-6);
    EXPECT_NEAR(extent.top(), 80000, 1e-6);
    EXPECT_NEAR(extent.bottom(), 80100, 1e-6);
    EXPECT_EQ(page.viewPlan->markedSensors().size(), 4);

    // Exports go to the desktop's handler.
    page.cmdPlanPng->click();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_TRUE(desktop.opened[0].endsWith(".png"));
    EXPECT_GT(QFileInfo(desktop.opened[0]).size(), 1000);
    page.cmdPlanPdf->click();
    ASSERT_EQ(desktop.opened.size(), 2);
    EXPECT_TRUE(desktop.opened[1].endsWith(".pdf"));
    EXPECT_GT(QFileInfo(desktop.opened[1]).size(), 1000);
}

INSTANTIATE_ON_BOTH_ENGINES(PlanViewTest);
