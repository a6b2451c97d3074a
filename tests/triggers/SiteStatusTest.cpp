#include "triggers/SiteStatus.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"

#include <gtest/gtest.h>

namespace {

class SiteStatusTest : public EngineDbTest {
protected:
    void prepare() override { createTriggerTables(db); }

    void sensor(const QString& id, const QString& type, const QString& destroyed = "No") {
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, Level, Location, Borehole, "
                   "HeadLocation, Recess, NodeLocation1, NodeLocation2, Destroyed) VALUES (?, ?, "
                   "'1040 Level', 'Xcut 12', 'RB-7', 1, 0.25, 1, 2.5, ?)",
                   {id, type, destroyed});
        createReadingsTable(db, id);
    }

    void reading(const QString& id, const QString& fullDate, const QString& c1,
                 const QString& c2 = {}) {
        db.execute("INSERT INTO " + quoteName(id) +
                       " (DateTimeKey, FullDate, Channel1, Channel2, Plottemporal) VALUES (?, ?, "
                       "?, ?, 1)",
                   {id + " " + fullDate, fullDate, c1, c2});
    }

    const QDateTime now{QDate(2026, 12, 8), QTime(12, 0)};
};

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(SiteStatusTest);

TEST_P(SiteStatusTest, EveryListedSensorGetsItsRowWithItsStateAndDaysSinceItsLastReading) {
    sensor("120521001", "21");
    reading("120521001", "2026-12-01 12:00:00", "10.00");
    reading("120521001", "2026-12-05 12:00:00", "16.00");
    // Two nodes, head at the collar: node 1 moves 3 mm against node 2.
    sensor("120531002", "31");
    reading("120531002", "2026-12-07 12:00:00", "10.00", "20.00");
    reading("120531002", "2026-12-08 07:12:00", "10.00", "23.00");
    sensor("120531003", "31");
    reading("120531003", "2026-12-08 06:00:00", "1.00", "1.00");
    sensor("120531004", "31");
    db.execute("DROP TABLE " + quoteName("120531004"));
    sensor("120531005", "31", "Yes");
    reading("120531005", "2026-11-01 00:00:00", "1.00", "1.00");
    reading("120531005", "2026-11-02 00:00:00", "1.00", "1.00");

    TriggerLevels site;
    site.amberDisp = 5;
    site.redDisp = 10;
    site.readingInterval = 2;
    writeTriggerLevels(db, kSiteDefaultKey, site);
    TriggerLevels own;
    own.amberDisp = 2;
    writeTriggerLevels(db, "120531002", own);

    const QList<SiteStatusRow> rows = computeSiteStatus(db, now);
    ASSERT_EQ(rows.size(), 5);

    // One node, head at the collar: the only node plots 0 against itself.
    EXPECT_EQ(siteStatusCells(rows[0]),
              (QStringList{"120521001", "1040 Level", "Xcut 12", "RB-7", "1", "2026/12/05 12:00:00",
                           "3.0", "0.00", "Node 1 (1.25 m)", "0.000", "Green", "Overdue", ""}));
    EXPECT_EQ(
        siteStatusCells(rows[1]),
        (QStringList{"120531002", "1040 Level", "Xcut 12", "RB-7", "2", "2026/12/08 07:12:00",
                     "0.2", "3.00", "Node 1 (1.25 m)", "3.750", "Amber", "", "3.00 (Node 1-2)"}));
    // One reading, a missing readings table: grey, never an error.
    EXPECT_EQ(rows[2].status.state, TriggerState::Grey);
    EXPECT_EQ(rows[3].status.state, TriggerState::Grey);
    EXPECT_EQ(rows[3].status.readingCount, 0);
    // A destroyed sensor is never overdue and never judged against the levels.
    EXPECT_FALSE(rows[4].overdue);
    EXPECT_EQ(rows[4].status.state, TriggerState::Destroyed);
    EXPECT_EQ(rows[4].status.cause, Measure::None);

    const QList<SiteStatusRow> listed =
        computeSiteStatus(db, now, QStringList{"120531003", "120521001", "999999999"});
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].sensor.instrumentId, "120531003");
    EXPECT_EQ(listed[1].sensor.instrumentId, "120521001");
}

TEST_P(SiteStatusTest, AStatusReadAgainFollowsTheClockAndEveryChangeWhoeverMadeIt) {
    sensor("120531002", "31");
    reading("120531002", "2026-12-07 12:00:00", "10.00", "20.00");
    TriggerLevels site;
    site.amberDisp = 2;
    site.readingInterval = 2;
    writeTriggerLevels(db, kSiteDefaultKey, site);
    const auto only = [&](const QDateTime& at) {
        const QList<SiteStatusRow> rows = computeSiteStatus(db, at);
        EXPECT_EQ(rows.size(), 1);
        return rows.value(0);
    };
    // One reading: nothing to judge yet.
    EXPECT_EQ(only(now).status.state, TriggerState::Grey);
    EXPECT_FALSE(only(now).overdue);
    // Nothing written, the clock on: the days since the reading follow it.
    const SiteStatusRow later = only(now.addDays(3));
    EXPECT_DOUBLE_EQ(*later.daysSince, 4.0);
    EXPECT_TRUE(later.overdue);

    reading("120531002", "2026-12-08 07:12:00", "10.00", "23.00");
    EXPECT_EQ(only(now).status.state, TriggerState::Amber);
    EXPECT_EQ(only(now).status.readingCount, 2);
    site.amberDisp = 5;
    writeTriggerLevels(db, kSiteDefaultKey, site);
    EXPECT_EQ(only(now).status.state, TriggerState::Green);

    // Another program's change is seen as well.
    Connection other;
    other.open(location());
    other.execute("UPDATE " + quoteName("120531002") +
                  " SET Channel2 = '30.00' WHERE FullDate = '2026-12-08 07:12:00'");
    EXPECT_EQ(only(now).status.state, TriggerState::Amber);
    EXPECT_DOUBLE_EQ(*only(now).status.maxDisp, 10.0);
    other.execute("UPDATE Sensors SET Destroyed = 'Yes' WHERE InstrumentID = '120531002'");
    EXPECT_EQ(only(now).status.state, TriggerState::Destroyed);
    EXPECT_FALSE(only(now.addDays(30)).overdue);
}
