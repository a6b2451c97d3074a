#include "triggers/SiteReport.h"
#include "readings/ReadingsFixture.h"
#include "site/DxfText.h"
#include "site/SiteTables.h"
#include "store/Connection.h"
#include "store/TriggerTables.h"
#include "triggers/EventLife.h"
#include "triggers/PlanReportPages.h"
#include "triggers/ResponsePlan.h"
#include "triggers/SiteStatusPage.h"
#include "triggers/TriggerEvents.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>

namespace {

const QString kRecent = QStringLiteral("120521001");
const QString kOld = QStringLiteral("120531002");
const QString kQuiet = QStringLiteral("120521003");

QDateTime day(int d) {
    return QDateTime(QDate(2026, 12, d), QTime(8, 0));
}

class SiteReportTest : public ReadingsTest {
protected:
    void SetUp() override {
        ReadingsTest::SetUp();
        addSensors({kRecent, kOld, kQuiet});
        for (const QString& id : {kRecent, kOld, kQuiet}) {
            exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2, "
                 "Level = '1040 Level' WHERE InstrumentID = ?",
                 {id});
        }
        addReadings(kRecent, {day(1), day(2), day(3)});      // 2 mm, read 5 days ago
        addReadings(kOld, {day(1), day(2), day(3), day(4)}); // 3 mm
        addReadings(kQuiet, {day(6), day(7)});               // 1 mm
        Connection db;
        db.open(location());
        createTriggerTables(db);
        TriggerLevels site;
        site.amberDisp = 1.5;
        site.redDisp = 2.5;
        site.readingInterval = 4.5;
        writeTriggerLevels(db, kSiteDefaultKey, site);
        writeResponsePlan(db, kSiteDefaultKey, TriggerState::Amber,
                          ResponsePlan{"Barricade the drive", "Shift boss", 2.0});
        // An amber event this month, acknowledged, and a red one of November.
        const std::optional<TriggerEvent> recent =
            detectTriggerEvent(db, kRecent, {key(kRecent, day(3))},
                               QDateTime(QDate(2026, 12, 3), QTime(9, 0)), "tester");
        ASSERT_TRUE(recent);
        acknowledgeEvents(db, {recent->id}, QDateTime(QDate(2026, 12, 3), QTime(10, 0)), "surveyor",
                          "Area barricaded");
        ASSERT_TRUE(detectTriggerEvent(db, kOld, {key(kOld, day(4))},
                                       QDateTime(QDate(2026, 11, 20), QTime(9, 0)), "tester"));
    }

    static std::optional<QString> pdfText(const QString& path) {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
            return std::nullopt;
        }
        QProcess text;
        text.start("pdftotext", {"-layout", path, "-"});
        text.waitForFinished(60000);
        return QString::fromUtf8(text.readAllStandardOutput());
    }
};

} // namespace

TEST_F(SiteReportTest, TheTabsCommandWritesTheStatusTheChartTheEventsAndTheOverdue) {
    open();
    window->SSTab1->setCurrentIndex(8);
    SiteStatusPage& page = *window->siteStatus;
    prompter.clear();
    prompter.inputs.enqueue(QStringLiteral("1 December"));
    page.cmdSiteReport->click();
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_EQ(prompter.calls.last().text, "The date must be written yyyy/mm/dd, as 2026/12/01.");
    EXPECT_TRUE(desktop.opened.isEmpty());

    prompter.inputs.enqueue(QStringLiteral("2026/12/01"));
    page.cmdSiteReport->click();
    ASSERT_EQ(desktop.opened.size(), 1);
    const QString path = desktop.opened[0];
    EXPECT_TRUE(path.endsWith("Site Report 2026-12-08 09.30.00.pdf")) << path.toStdString();
    const std::optional<QString> text = pdfText(path);
    if (!text) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const QStringList pages = text->split('\f', Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 3) << text->toStdString();
    // The status table first, a row per sensor with its state.
    EXPECT_TRUE(pages[0].contains("Site Report"));
    EXPECT_TRUE(pages[0].contains("events since 2026/12/01"));
    EXPECT_TRUE(pages[0].contains(QRegularExpression(kOld + ".*Red"))) << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(QRegularExpression(kRecent + ".*Amber.*Overdue")));
    EXPECT_TRUE(pages[0].contains(QRegularExpression(kQuiet + ".*Green")));
    // The compare chart of the amber and red sensors.
    EXPECT_TRUE(pages[1].contains("Amber and Red Sensors (2)")) << pages[1].toStdString();
    // The events of December only, with their step and response.
    const QString rest = pages.mid(2).join('\n');
    EXPECT_TRUE(rest.contains("Events since 2026/12/01"));
    EXPECT_TRUE(rest.contains("Sensor " + kRecent + " reached AMBER")) << rest.toStdString();
    EXPECT_FALSE(rest.contains("Sensor " + kOld + " reached"));
    EXPECT_TRUE(rest.contains("Acknowledged"));
    EXPECT_TRUE(rest.contains("Barricade the drive"));
    EXPECT_TRUE(rest.contains("barricaded")); // the acknowledgement note, wrapped in its cell
    // Only the sensor unread for longer than its interval is overdue.
    const QString overdue = rest.mid(rest.indexOf("Overdue Sensors"));
    EXPECT_TRUE(overdue.contains(kRecent)) << overdue.toStdString();
    EXPECT_FALSE(overdue.contains(kOld));
    EXPECT_FALSE(overdue.contains(kQuiet));
}

TEST_F(SiteReportTest, WithoutADateEveryEventIsInAndPlanPagesFollowTheTable) {
    Connection db;
    db.open(location());
    const QString path = QDir(folder()).filePath("site.pdf");
    int planned = 0;
    const int pages =
        writeSiteReport(db, QDateTime(QDate(2026, 12, 8), QTime(9, 30)), {}, path,
                        [&](Connection&, const QList<SiteStatusRow>& rows) {
                            planned = static_cast<int>(rows.size());
                            return QList<SiteReportPage>{[](QPainter& painter, const QRectF& area) {
                                painter.drawText(area, Qt::AlignCenter, "Plan of 1040 Level");
                            }};
                        });
    EXPECT_EQ(planned, 3);
    const std::optional<QString> text = pdfText(path);
    if (!text) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const QStringList shown = text->split('\f', Qt::SkipEmptyParts);
    EXPECT_EQ(shown.size(), pages);
    ASSERT_GE(shown.size(), 4);
    EXPECT_TRUE(shown[1].contains("Plan of 1040 Level"));
    EXPECT_TRUE(shown[2].contains("Amber and Red Sensors"));
    const QString rest = shown.mid(3).join('\n');
    EXPECT_TRUE(rest.contains("Sensor " + kOld + " reached RED")) << rest.toStdString();
    EXPECT_TRUE(rest.contains("(no response plan)"));
}

TEST_F(SiteReportTest, ALevelWithAStoredPlanGetsAPageWithItsSensorsMarked) {
    Connection db;
    db.open(location());
    StoredPlan plan;
    plan.level = QStringLiteral("1040 Level");
    plan.kind = PlanKind::Dxf;
    plan.fileName = QStringLiteral("1040.dxf");
    plan.content = dxfDrawing({"Walls"}, {},
                              "0\nLINE\n8\nWalls\n10\n0\n20\n0\n30\n0\n11\n100\n21\n100\n31\n0\n");
    storePlan(db, plan);
    storePosition(db, kRecent, SensorPosition{40, 60, std::nullopt});
    const QString path = QDir(folder()).filePath("site-plan.pdf");
    writeSiteReport(db, QDateTime(QDate(2026, 12, 8), QTime(9, 30)), {}, path, planReportPages());
    const std::optional<QString> text = pdfText(path);
    if (!text) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const QStringList shown = text->split('\f', Qt::SkipEmptyParts);
    ASSERT_GE(shown.size(), 2);
    EXPECT_TRUE(shown[1].contains("Plan of 1040 Level")) << shown[1].toStdString();
    EXPECT_TRUE(shown[1].contains(kRecent)) << shown[1].toStdString();
}
