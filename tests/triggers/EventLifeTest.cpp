#include "triggers/EventLife.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"
#include "triggers/ResponsePlan.h"

#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120531001");
const QString kOther = QStringLiteral("120531002");
const QDateTime kAt(QDate(2026, 12, 8), QTime(10, 0));

class EventLifeTest : public EngineDbTest {
protected:
    void prepare() override { createTriggerTables(db); }

    qint64 logEvent(const QString& id, const QString& state = "RED") {
        db.execute("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, "
                   "Level, DetectedAt, DetectedBy) VALUES (?, ?, ?, 'Displacement', 25, 20, "
                   "'2026-12-08 09:30:00', 'surveyor')",
                   {id, id + " 2026/12/08 09:30:00", state});
        return db.scalar("SELECT max(EventID) FROM TriggerEvents").toLongLong();
    }
};

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(EventLifeTest);

TEST_P(EventLifeTest, ASensorsOwnPlanWinsOverTheSiteDefaultLevelByLevel) {
    EXPECT_FALSE(responsePlanFor(db, kId, TriggerState::Red));

    writeResponsePlans(db, kSiteDefaultKey, {"Inspect the roof", "Geotechnical engineer", 24},
                       {"Barricade the area", "Shift boss", 2});
    writeResponsePlan(db, kId, TriggerState::Red, {"Evacuate panel 3", "Mine manager", 0.5});

    // Red is the sensor's own; amber, which it does not set, is the site default's.
    EXPECT_EQ(responsePlanFor(db, kId, TriggerState::Red),
              (ResponsePlan{"Evacuate panel 3", "Mine manager", 0.5}));
    EXPECT_EQ(responsePlanFor(db, kId, TriggerState::Amber),
              (ResponsePlan{"Inspect the roof", "Geotechnical engineer", 24}));
    EXPECT_EQ(responsePlanFor(db, kOther, TriggerState::Red),
              (ResponsePlan{"Barricade the area", "Shift boss", 2}));
    EXPECT_EQ(responsePlanText(*responsePlanFor(db, kId, TriggerState::Red)),
              "Act: Evacuate panel 3; Who: Mine manager; Within 0.5 hours");

    // A plan without a response time keeps it unset; an emptied plan gives way to the default.
    writeResponsePlan(db, kId, TriggerState::Amber, {"Read again tomorrow", "", std::nullopt});
    EXPECT_EQ(responsePlanFor(db, kId, TriggerState::Amber),
              (ResponsePlan{"Read again tomorrow", "", std::nullopt}));
    writeResponsePlan(db, kId, TriggerState::Red, {});
    EXPECT_EQ(responsePlanFor(db, kId, TriggerState::Red)->who, "Shift boss");
    EXPECT_EQ(db.scalar("SELECT count(*) FROM ResponsePlans WHERE InstrumentID = ?", {kId}).toInt(),
              1);
}

TEST_P(EventLifeTest, AnEventIsClosedOnlyOnceAndOnlyAfterItsAcknowledgement) {
    const qint64 id = logEvent(kId);
    EXPECT_EQ(closeTriggerEvent(db, id, kAt, "shift boss", "Scaled and bolted", ""),
              QStringLiteral("Event %1 is not acknowledged: only an acknowledged event can be "
                             "closed.")
                  .arg(id));
    EXPECT_EQ(closeTriggerEvent(db, id + 1, kAt, "shift boss", "Scaled", ""),
              QStringLiteral("There is no event %1.").arg(id + 1));
    EXPECT_EQ(eventRecords(db, false).first().stage(), EventStage::Open);
    EXPECT_EQ(unacknowledgedCount(db), 1);

    EXPECT_EQ(acknowledgeTriggerEvent(db, id, kAt, "surveyor", "Seen"), "");
    EXPECT_EQ(acknowledgeTriggerEvent(db, id, kAt, "someone", "again"),
              QStringLiteral("Event %1 was already acknowledged on 2026/12/08 10:00:00 by "
                             "surveyor.")
                  .arg(id));
    EXPECT_EQ(unacknowledgedCount(db), 0);
    EXPECT_EQ(eventRecords(db, true).first().stage(), EventStage::Acknowledged);

    // Actions taken are what a close records: without them nothing is stored.
    EXPECT_FALSE(closeTriggerEvent(db, id, kAt, "shift boss", "  ", "").isEmpty());
    EXPECT_EQ(eventRecords(db, true).size(), 1);

    EXPECT_EQ(closeTriggerEvent(db, id, kAt.addSecs(3600), "shift boss", " Scaled and bolted ",
                                "Open to traffic after the shift's inspection"),
              "");
    EXPECT_TRUE(eventRecords(db, true).isEmpty());
    const EventRecord closed = eventRecords(db, false).first();
    EXPECT_EQ(closed.stage(), EventStage::Closed);
    EXPECT_EQ(closed.closure->closedAt, "2026-12-08 11:00:00");
    EXPECT_EQ(closed.closure->closedBy, "shift boss");
    EXPECT_EQ(closed.closure->actionsTaken, "Scaled and bolted");
    EXPECT_EQ(closed.closure->reentryNote, "Open to traffic after the shift's inspection");
    EXPECT_EQ(closeTriggerEvent(db, id, kAt, "someone", "other", ""),
              QStringLiteral("Event %1 was already closed on 2026/12/08 11:00:00 by shift boss.")
                  .arg(id));
}

TEST_P(EventLifeTest, AClosedEventsRecordRefusesEveryChangeAndItsRulesComeBack) {
    const qint64 id = logEvent(kId);
    acknowledgeTriggerEvent(db, id, kAt, "surveyor", "Seen");
    ASSERT_EQ(closeTriggerEvent(db, id, kAt, "shift boss", "Scaled", "Open again"), "");

    const auto refusesChanges = [&] {
        EXPECT_THROW(db.execute("UPDATE TriggerEventClosures SET ActionsTaken = 'nothing'"),
                     DbError);
        EXPECT_THROW(db.execute("DELETE FROM TriggerEventClosures"), DbError);
        if (onServer()) {
            EXPECT_THROW(db.execute("TRUNCATE TriggerEventClosures"), DbError);
        }
        EXPECT_EQ(eventRecords(db, false).first().closure->actionsTaken, "Scaled");
    };
    refusesChanges();
    EXPECT_TRUE(eventLogRulesIntact(db));

    // A rule switched off or dropped is noticed and put back on the next open.
    if (onServer()) {
        db.execute("ALTER TABLE TriggerEventClosures DISABLE TRIGGER TriggerEventClosures_Keep");
    } else {
        db.execute("DROP TRIGGER TriggerEventClosures_NoUpdate");
    }
    EXPECT_FALSE(eventLogRulesIntact(db));
    const EventLogProtection protection = protectEventLog(db);
    EXPECT_TRUE(protection.restored);
    EXPECT_TRUE(protection.isProtected());
    EXPECT_TRUE(eventLogRulesIntact(db));
    refusesChanges();
}

TEST_P(EventLifeTest, TheWatchTellsOnlyEventsLoggedAfterItStarted) {
    logEvent(kId);
    EventWatch watch;
    EXPECT_TRUE(watch.newEvents(db).isEmpty());
    const qint64 second = logEvent(kOther, "AMBER");
    const QList<TriggerEvent> found = watch.newEvents(db);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first().id, second);
    EXPECT_EQ(found.first().state, TriggerState::Amber);
    EXPECT_TRUE(watch.newEvents(db).isEmpty());
}

TEST(ResponseHours, AreANumberOfHoursWithinAYearOrNone) {
    EXPECT_FALSE(responseHoursOf("  ").hours);
    EXPECT_TRUE(responseHoursOf("  ").refusal.isEmpty());
    EXPECT_EQ(responseHoursOf("0").hours, 0.0);
    EXPECT_EQ(responseHoursOf(" 1.5 ").hours, 1.5);
    EXPECT_EQ(responseHoursOf("8760").hours, 8760.0);
    for (const char* refused : {"8760.5", "-1", "two", "nan", "inf"}) {
        const ResponseHoursText r = responseHoursOf(refused);
        EXPECT_FALSE(r.hours) << refused;
        EXPECT_EQ(r.refusal, QStringLiteral("The response time must be a number of hours from 0 "
                                            "to 8760, not '%1'.")
                                 .arg(refused));
    }
    EXPECT_EQ(responseHoursText(0.5), "0.5");
    EXPECT_EQ(responseHoursText(std::nullopt), "");
}
