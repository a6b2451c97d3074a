#include "triggers/EventAlerts.h"
#include "readings/ReadingsFixture.h"
#include "sensors/InstallationPage.h"
#include "store/Connection.h"
#include "store/TriggerTables.h"
#include "support/TestReadings.h"
#include "triggers/ResponsePlan.h"
#include "triggers/SiteStatusPage.h"
#include "triggers/TriggerLevelsBlock.h"
#include "triggers/frmResponsePlan.h"
#include "ui/ClickableLabel.h"
#include "ui/DbusNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace {

const QString kSensor = QStringLiteral("120521001");

class EventAlertsTest : public OnBothEngines<ReadingsTest> {
protected:
    void SetUp() override {
        OnBothEngines<ReadingsTest>::SetUp();
        if (IsSkipped()) {
            return;
        }
        addSensors({kSensor});
        exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2 WHERE "
             "InstrumentID = ?",
             {kSensor});
        addReadings(kSensor, {QDateTime(QDate(2026, 12, 1), QTime(8, 0))});
        Connection db;
        db.open(location());
        writeDisplacementLevels(db, kSensor, 10, 20);
        writeResponsePlan(db, kSiteDefaultKey, TriggerState::Red,
                          {"Barricade the area", "Shift boss", 2});
        clock_.set(QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    }

    // An event as another engineer's import logs it, through a connection of the test's own.
    void logElsewhere(const QString& state) {
        exec("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, Level, "
             "DetectedAt, DetectedBy) VALUES (?, ?, ?, 'Displacement', 12, 10, "
             "'2026-12-08 09:00:00', 'nightshift')",
             {kSensor, kSensor + " 2026/12/08 09:00:00", state});
    }

    QString caption() const { return window->SSTab1->tabText(8); }
    ClickableLabel* label() const { return window->eventAlerts->lblUnacknowledgedEvents; }
};

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(EventAlertsTest);

TEST_P(EventAlertsTest, AHandReadingOverALevelIsNotifiedCountedAndClearedByItsAcknowledgement) {
    // An event logged before the window opened is counted but is no news.
    logElsewhere("AMBER");
    openOnReadings();
    EXPECT_TRUE(notifier.notices.isEmpty());
    EXPECT_EQ(caption(), "9. Site Status (1)");
    EXPECT_FALSE(label()->isHidden());
    EXPECT_EQ(label()->text(), "1 unacknowledged event");

    prompter.clear();
    click("imgAddReading");
    page().txtChannel[0]->setText("24.50");
    window->SSTab1->setCurrentIndex(0);
    ASSERT_EQ(prompter.calls.size(), 1);
    // Read once the reading's transaction has ended.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notifier.notices.isEmpty(); }, 20000));
    ASSERT_EQ(notifier.notices.size(), 1);
    EXPECT_EQ(notifier.notices[0].summary, "Sensor 120521001 reached RED");
    EXPECT_EQ(notifier.notices[0].body,
              "Sensor 120521001 reached RED: 23.5 mm at Node 1 (3.00 m)\nResponse plan: Act: "
              "Barricade the area; Who: Shift boss; Within 2 hours");
    EXPECT_EQ(caption(), "9. Site Status (2)");
    EXPECT_EQ(label()->text(), "2 unacknowledged events");

    // The label opens the tab, whose refresh finds no news.
    emit label()->clicked();
    EXPECT_EQ(window->SSTab1->currentIndex(), 8);
    EXPECT_EQ(notifier.notices.size(), 1);
    SiteStatusPage& status = *window->siteStatus;
    status.tblTriggerEvents->selectAll();
    prompter.inputs.enqueue(QStringLiteral("Seen"));
    status.cmdAcknowledge->click();
    EXPECT_EQ(caption(), "9. Site Status");
    EXPECT_TRUE(label()->isHidden());
    EXPECT_EQ(window->statusBar()->findChild<ClickableLabel*>("lblUnacknowledgedEvents"), label());
}

TEST_P(EventAlertsTest, AnEventAnotherEngineerLoggedIsNotifiedWhenTheTabIsRefreshed) {
    openOnReadings();
    EXPECT_EQ(caption(), "9. Site Status");
    EXPECT_TRUE(label()->isHidden());
    logElsewhere("AMBER");
    window->SSTab1->setCurrentIndex(8);
    ASSERT_EQ(notifier.notices.size(), 1);
    EXPECT_EQ(notifier.notices[0].summary, "Sensor 120521001 reached AMBER");
    // No amber plan is set: the body is the event alone.
    EXPECT_EQ(notifier.notices[0].body, "Sensor 120521001 reached AMBER: 12.0 mm");
    EXPECT_EQ(caption(), "9. Site Status (1)");
    EXPECT_EQ(label()->text(), "1 unacknowledged event");
}

TEST_P(EventAlertsTest, TheResponsePlanWindowStoresWhatIsTypedAndKeepsARefusedTime) {
    open();
    window->SSTab1->setCurrentIndex(1);
    TriggerLevelsBlock& block = *window->installation->triggerLevels;
    block.cmdResponsePlan->click();
    frmResponsePlan* plan = block.responsePlan();
    ASSERT_NE(plan, nullptr);
    // The site default's red plan shows in the sensor's empty boxes.
    EXPECT_EQ(plan->red.actions->placeholderText(), "Barricade the area");
    EXPECT_EQ(plan->red.hours->placeholderText(), "2");
    EXPECT_TRUE(plan->red.actions->toPlainText().isEmpty());

    plan->amber.actions->setPlainText("Read daily");
    plan->amber.who->setText("Surveyor");
    plan->amber.hours->setText("soon");
    prompter.clear();
    plan->cmdSavePlan->click();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "Amber: The response time must be a number of hours from 0 "
                                    "to 8760, not 'soon'.");
    ASSERT_EQ(block.responsePlan(), plan);
    EXPECT_EQ(
        scalar("SELECT count(*) FROM ResponsePlans WHERE InstrumentID = ?", {kSensor}).toInt(), 0);

    plan->amber.hours->setText("24");
    plan->cmdSavePlan->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(block.responsePlan(), nullptr);
    Connection db;
    db.open(location());
    EXPECT_EQ(responsePlanFor(db, kSensor, TriggerState::Amber),
              (ResponsePlan{"Read daily", "Surveyor", 24}));
    // Red was left empty: the sensor still follows the site default there.
    EXPECT_EQ(responsePlanFor(db, kSensor, TriggerState::Red)->actions, "Barricade the area");
}

// An in-process notification service on the session bus: what it is sent, it records.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received;
public slots:
    uint Notify(const QString& app, uint, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int) {
        received << app + "|" + summary + "|" + body + "|" +
                        QString::number(hints.value("urgency").toInt());
        return uint(received.size());
    }
};

TEST(DbusNotifierTest, SendsTheNotificationToTheSessionBusService) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        GTEST_SKIP() << "no session bus (run the tests under dbus-run-session)";
    }
    NotificationService service;
    const QString name = QStringLiteral("org.freedesktop.Notifications");
    if (!bus.registerService(name)) {
        GTEST_SKIP() << "the session bus has a notification service of its own";
    }
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &service,
                                   QDBusConnection::ExportAllSlots));
    DbusNotifier notifier;
    notifier.notify("Sensor 120521001 reached RED", "Sensor 120521001 reached RED: 23.5 mm");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !service.received.isEmpty(); }, 20000));
    bus.unregisterObject("/org/freedesktop/Notifications");
    bus.unregisterService(name);
    ASSERT_EQ(service.received.size(), 1);
    EXPECT_EQ(service.received.first(), "Quorvelle|Sensor 120521001 reached RED|Sensor "
                                        "120521001 reached RED: 23.5 mm|2");
}

#include "EventAlertsTest.moc"
