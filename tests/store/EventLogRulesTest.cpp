#include "store/Connection.h"
#include "store/DbError.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"

namespace {
void logEvent(Connection& db) {
    db.execute("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, "
               "Level, DetectedAt, DetectedBy) VALUES ('120521001', '2026/01/02 10:00', 'Amber', "
               "'Disp', 11.5, 10, '2026-01-02 10:05', 'ann')");
}
} // namespace

// The event log's rules, taken away by another connection, are noticed and put back.
class EventLogRulesTest : public EngineDbTest {
protected:
    void prepare() override {
        createTriggerTables(db);
        logEvent(db);
        other.open(location());
    }
    // The log refuses a deletion and a change of what an event recorded.
    void expectProtected() {
        EXPECT_TRUE(eventLogRulesIntact(db));
        EXPECT_THROW(db.execute("DELETE FROM TriggerEvents"), DbError);
        EXPECT_THROW(db.execute("UPDATE TriggerEvents SET Value = 1"), DbError);
        EXPECT_EQ(db.scalar("SELECT count(*) FROM TriggerEvents").toInt(), 1);
    }
    Connection other;
};
INSTANTIATE_ON_BOTH_ENGINES(EventLogRulesTest);

TEST_P(EventLogRulesTest, AFreshLogIsIntactAndADatabaseWithoutOneNeedsNothing) {
    expectProtected();
    EXPECT_FALSE(protectEventLog(db).restored);

    Connection bare;
    bare.open(emptyLocation());
    EXPECT_TRUE(eventLogRulesIntact(bare));
    const EventLogProtection none = protectEventLog(bare);
    EXPECT_TRUE(none.isProtected());
    EXPECT_FALSE(none.restored);
}

TEST_P(EventLogRulesTest, RulesSwitchedOffOrDroppedAreBackAfterTheNextCheck) {
    if (onServer()) {
        other.execute("ALTER TABLE triggerevents DISABLE TRIGGER USER");
    } else {
        other.execute("DROP TRIGGER TriggerEvents_NoDelete");
    }
    EXPECT_FALSE(eventLogRulesIntact(db));
    const EventLogProtection protection = protectEventLog(db);
    EXPECT_TRUE(protection.restored);
    EXPECT_TRUE(protection.isProtected());
    expectProtected();
}

TEST_P(EventLogRulesTest, ARuleReplacedByOneThatLetsEverythingThroughIsReplacedBack) {
    if (onServer()) {
        other.execute("CREATE OR REPLACE FUNCTION triggerevents_appendonly() RETURNS trigger "
                      "LANGUAGE plpgsql AS $$ BEGIN RETURN COALESCE(NEW, OLD); END $$");
    } else {
        other.execute("DROP TRIGGER TriggerEvents_AckOnly");
        other.execute("CREATE TRIGGER TriggerEvents_AckOnly BEFORE UPDATE ON TriggerEvents "
                      "BEGIN SELECT 1; END");
    }
    EXPECT_FALSE(eventLogRulesIntact(db));
    EXPECT_TRUE(protectEventLog(db).restored);
    expectProtected();
}

// A login that owns none of the tables can neither switch the rules off nor put them back:
// the check says so and raises nothing.
TEST(EventLogRulesServerTest, ALoginWithoutRightsIsToldTheRulesStayOff) {
    ServerDatabase server;
    if (!server.available()) {
        GTEST_SKIP() << server.reason().toStdString();
    }
    Connection owner;
    owner.open(server.uri());
    createTriggerTables(owner);
    logEvent(owner);
    const QString clerkUri = server.limitedLoginUri();
    if (clerkUri.isEmpty()) {
        GTEST_SKIP() << server.reason().toStdString();
    }
    Connection clerk;
    clerk.open(clerkUri);
    EXPECT_TRUE(protectEventLog(clerk).isProtected());
    EXPECT_THROW(clerk.execute("ALTER TABLE triggerevents DISABLE TRIGGER USER"), DbError);

    owner.execute("ALTER TABLE triggerevents DISABLE TRIGGER TriggerEvents_NoDelete");
    const EventLogProtection protection = protectEventLog(clerk);
    ASSERT_FALSE(protection.isProtected());
    EXPECT_FALSE(protection.restored);
    EXPECT_FALSE(eventLogRulesIntact(clerk));
    // The failed attempt left the clerk's connection usable.
    EXPECT_EQ(clerk.scalar("SELECT count(*) FROM TriggerEvents").toInt(), 1);

    EXPECT_TRUE(protectEventLog(owner).restored);
    EXPECT_TRUE(eventLogRulesIntact(clerk));
}
