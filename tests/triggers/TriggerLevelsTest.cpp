#include "triggers/TriggerLevels.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"

#include <gtest/gtest.h>
#include <limits>

TEST(TriggerLevels, BoxTextsAreRefusedWithTheirReason) {
    TriggerLevels levels;
    levels.amberDisp = 10;
    levels.redDisp = 20;

    EXPECT_EQ(changeLevel(levels, LevelField::AmberDisp, "ten").refusal,
              "Amber displacement must be a number, or empty for no level.");
    EXPECT_EQ(changeLevel(levels, LevelField::RedRate, "-1").refusal,
              "Red rate must not be negative.");
    EXPECT_EQ(changeLevel(levels, LevelField::RateWindow, "0").refusal,
              "Rate window must be from 1 to 3650 days.");
    EXPECT_EQ(changeLevel(levels, LevelField::ReadingInterval, "0").refusal,
              "Reading interval must be more than 0 days.");
    // Red below amber is refused from either side.
    EXPECT_EQ(changeLevel(levels, LevelField::RedDisp, "5").refusal,
              "Red displacement must not be below amber displacement.");
    EXPECT_EQ(changeLevel(levels, LevelField::AmberDisp, "25").refusal,
              "Red displacement must not be below amber displacement.");
    EXPECT_FALSE(changeLevel(levels, LevelField::AmberDisp, "25").accepted);

    // Equal levels, an empty box and the other pair are accepted.
    EXPECT_EQ(changeLevel(levels, LevelField::RedDisp, "10").accepted->redDisp, 10);
    EXPECT_FALSE(changeLevel(levels, LevelField::RedDisp, " ").accepted->redDisp);
    const LevelChange rate = changeLevel(levels, LevelField::AmberRate, "0.5");
    ASSERT_TRUE(rate.accepted);
    EXPECT_EQ(rate.accepted->amberRate, 0.5);
    EXPECT_EQ(rate.accepted->amberDisp, 10);
}

TEST(TriggerLevels, BoxesRefuseValuesBeyondWhatCanBeJudged) {
    const TriggerLevels none;
    for (const QString& text : QStringList{"0.5", "3651", "3650000", "1e308"}) {
        EXPECT_EQ(changeLevel(none, LevelField::RateWindow, text).refusal,
                  "Rate window must be from 1 to 3650 days.")
            << text.toStdString();
    }
    for (const QString& text : QStringList{"nan", "inf", "-inf", "1e400"}) {
        EXPECT_EQ(changeLevel(none, LevelField::RedDisp, text).refusal,
                  "Red displacement must be a number, or empty for no level.")
            << text.toStdString();
    }
    EXPECT_EQ(changeLevel(none, LevelField::AmberDisp, "1e308").refusal,
              "Amber displacement must not be more than 100000 mm.");
    EXPECT_EQ(changeLevel(none, LevelField::RedRate, "100001").refusal,
              "Red rate must not be more than 100000 mm/day.");
    EXPECT_EQ(changeLevel(none, LevelField::ReadingInterval, "3651").refusal,
              "Reading interval must not be more than 3650 days.");
    // The ends themselves are accepted.
    EXPECT_EQ(changeLevel(none, LevelField::RateWindow, "1").accepted->rateWindow, 1);
    EXPECT_EQ(changeLevel(none, LevelField::RateWindow, "3650").accepted->rateWindow, 3650);
    EXPECT_EQ(changeLevel(none, LevelField::AmberDisp, "100000").accepted->amberDisp, 100000);
}

TEST(TriggerLevels, AStoredValueNoBoxWouldTakeCannotHideAState) {
    TriggerLevels sensor;
    sensor.rateWindow = 1e308;
    sensor.redDisp = std::numeric_limits<double>::infinity();
    TriggerLevels site;
    site.redDisp = 1;
    site.rateWindow = 14;
    TriggerLevels applied = effectiveLevels(sensor, site);
    EXPECT_EQ(applied.rateWindow, kMaxRateWindow);
    // An endless level is no level of the sensor's own: the site's applies.
    EXPECT_EQ(applied.redDisp, 1);

    sensor.rateWindow = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(effectiveLevels(sensor, site).rateWindow, 14);
    sensor.rateWindow = -3;
    site.rateWindow = 0;
    EXPECT_EQ(effectiveLevels(sensor, site).rateWindow, kDefaultRateWindow);
    sensor.rateWindow = 0.25;
    EXPECT_EQ(effectiveLevels(sensor, site).rateWindow, kMinRateWindow);

    EXPECT_EQ(rateWindowSeconds(1e308), 3650LL * 86400);
    EXPECT_EQ(rateWindowSeconds(-1e308), 0);
    EXPECT_EQ(rateWindowSeconds(std::numeric_limits<double>::quiet_NaN()), 7 * 86400);
    EXPECT_EQ(rateWindowSeconds(0.5), 43200);
}

TEST(TriggerLevels, TheSensorsOwnLevelsComeBeforeTheSiteDefault) {
    TriggerLevels sensor;
    sensor.redDisp = 30;
    TriggerLevels site;
    site.amberDisp = 10;
    site.redDisp = 20;
    site.readingInterval = 1;
    const TriggerLevels applied = effectiveLevels(sensor, site);
    EXPECT_EQ(applied.amberDisp, 10);
    EXPECT_EQ(applied.redDisp, 30);
    EXPECT_EQ(applied.readingInterval, 1);
    EXPECT_EQ(applied.rateWindow, kDefaultRateWindow);
    EXPECT_FALSE(applied.amberRate);
}

class TriggerStoreTest : public EngineTest {};
INSTANTIATE_ON_BOTH_ENGINES(TriggerStoreTest);

TEST_P(TriggerStoreTest, TheTriggerTablesCountOnlyWhenBothAreTables) {
    Connection db;
    db.open(location());
    EXPECT_FALSE(hasTriggerTables(db));
    db.execute("CREATE TABLE TriggerLevels (InstrumentID TEXT PRIMARY KEY, AmberDisp REAL, "
               "RedDisp REAL, AmberRate REAL, RedRate REAL, RateWindow REAL, "
               "ReadingInterval REAL)");
    db.execute("CREATE VIEW TriggerEvents AS SELECT * FROM TriggerLevels");
    EXPECT_FALSE(hasTriggerTables(db));
    db.execute("DROP VIEW TriggerEvents");
    createTriggerTables(db);
    EXPECT_TRUE(hasTriggerTables(db));
}

TEST_P(TriggerStoreTest, LevelsAreStoredReadBackAndRemovedWhenEmptied) {
    Connection db;
    db.open(location());
    createTriggerTables(db);
    createTriggerTables(db); // a second opening leaves the tables as they are
    EXPECT_TRUE(hasTriggerTables(db));

    TriggerLevels levels;
    levels.amberDisp = 12.5;
    levels.redRate = 2;
    writeTriggerLevels(db, "120531001", levels);
    TriggerLevels site;
    site.readingInterval = 0.5;
    writeTriggerLevels(db, kSiteDefaultKey, site);
    // A quote in a key is bound, not pasted.
    writeTriggerLevels(db, "12'0531002", levels);

    EXPECT_EQ(readTriggerLevels(db, "120531001"), levels);
    EXPECT_EQ(readAllTriggerLevels(db).value(kSiteDefaultKey), site);
    EXPECT_EQ(readTriggerLevels(db, "12'0531002"), levels);
    EXPECT_TRUE(readTriggerLevels(db, "120531009").isEmpty());

    writeTriggerLevels(db, "120531001", TriggerLevels{});
    EXPECT_EQ(db.scalar("SELECT count(*) FROM TriggerLevels").toInt(), 2);
}
