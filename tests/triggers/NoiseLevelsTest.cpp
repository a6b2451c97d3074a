#include "store/Connection.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"
#include "triggers/SiteStatus.h"
#include "triggers/TriggerEvents.h"
#include "triggers/TriggerState.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kStart(QDate(2026, 11, 1), QTime(8, 0), Qt::UTC);

// Daily readings of a one-node sensor with the head at the toe: the displacement is the
// channel's change from the first reading.
QList<StatusReading> series(const QList<double>& mm) {
    QList<StatusReading> readings;
    for (int d = 0; d < mm.size(); ++d) {
        StatusReading r;
        r.at = kStart.addDays(d);
        r.key = QStringLiteral("120511001 ") + r.at.toString("yyyy/MM/dd HH:mm:ss");
        r.channels = {QString::number(10.0 + mm[d], 'f', 2)};
        r.channelT = QStringLiteral("18");
        r.plotTemporal = true;
        readings << r;
    }
    return readings;
}

const SensorSetup kOneNode{1, false, {"2.00"}, {}};

TriggerLevels amberAt(double mm, double consecutive, double hysteresis) {
    TriggerLevels levels;
    levels.amberDisp = mm;
    levels.consecutive = consecutive;
    levels.hysteresis = hysteresis;
    return effectiveLevels(levels, {});
}

QList<TriggerState> states(const QList<StatusReading>& readings, const TriggerLevels& levels,
                           const SensorSetup& setup = kOneNode) {
    QList<TriggerState> out;
    for (int i = 0; i < readings.size(); ++i) {
        out << evaluateSeries(readings, i, setup, levels).state;
    }
    return out;
}

constexpr TriggerState G = TriggerState::Green;
constexpr TriggerState A = TriggerState::Amber;

} // namespace

TEST(NoiseLevels, ConsecutiveReadingsKeepNoiseAroundALevelFromRaisingIt) {
    // Noise either side of 10 mm never stays there for three readings.
    const QList<StatusReading> noisy = series({0, 10.5, 9.0, 10.2, 9.8, 10.4, 10.1, 9.9});
    EXPECT_EQ(states(noisy, amberAt(10, 1, 0)),
              (QList<TriggerState>{TriggerState::Grey, A, G, A, G, A, A, G}));
    for (const TriggerState s : states(noisy, amberAt(10, 3, 0))) {
        EXPECT_NE(s, A);
    }

    // A real rise is amber at its third reading at the level, and no sooner.
    const QList<StatusReading> rise = series({0, 4, 11, 12, 13, 14});
    EXPECT_EQ(states(rise, amberAt(10, 3, 0)),
              (QList<TriggerState>{TriggerState::Grey, G, G, G, A, A}));
    const SensorStatus s = evaluateSeries(rise, 4, kOneNode, amberAt(10, 3, 0));
    EXPECT_EQ(s.cause, Measure::Displacement);
    EXPECT_DOUBLE_EQ(s.causeValue, 13);
}

TEST(NoiseLevels, HysteresisHoldsALevelUntilTheValueFallsBelowTheLevelLessIt) {
    const QList<StatusReading> readings = series({0, 11, 9.5, 8.1, 10.5, 7.9, 9.5});
    // Without one, every dip under 10 leaves amber.
    EXPECT_EQ(states(readings, amberAt(10, 1, 0)),
              (QList<TriggerState>{TriggerState::Grey, A, G, G, A, G, G}));
    // With 2 mm it holds down to 8 mm; 7.9 leaves it, and 9.5 does not reach it again.
    EXPECT_EQ(states(readings, amberAt(10, 1, 2)),
              (QList<TriggerState>{TriggerState::Grey, A, A, A, A, G, G}));
    // Both together: two readings to rise, the hysteresis to fall back.
    EXPECT_EQ(states(series({0, 11, 9, 11, 12, 9}), amberAt(10, 2, 2)),
              (QList<TriggerState>{TriggerState::Grey, G, G, G, A, A}));
    // The defaults judge exactly as the newest reading alone does.
    const TriggerLevels defaults = amberAt(10, 1, 0);
    EXPECT_FALSE(judgesHistory(defaults));
    EXPECT_EQ(evaluateSeries(readings, 4, kOneNode, defaults).state,
              evaluateSensor(statusInputAsOf(readings, 4, 7), kOneNode, defaults).state);
}

TEST(NoiseLevels, TheRateNeedsItsMinimumOfReadingsInTheWindow) {
    // 0, 1, 2, 3 mm on four days: 1 mm/day over the 7-day window.
    const QList<StatusReading> readings = series({0, 1, 2, 3});
    TriggerLevels levels;
    levels.amberRate = 0.5;
    levels.minRateReadings = 4;
    SensorStatus s =
        evaluateSensor(statusInputAsOf(readings, 2, 7), kOneNode, effectiveLevels(levels, {}));
    EXPECT_FALSE(s.rate);
    EXPECT_EQ(s.state, G);
    s = evaluateSensor(statusInputAsOf(readings, 3, 7), kOneNode, effectiveLevels(levels, {}));
    ASSERT_TRUE(s.rate);
    EXPECT_NEAR(*s.rate, 1.0, 1e-9);
    EXPECT_EQ(s.state, A);
    EXPECT_EQ(s.cause, Measure::Rate);
    // The default of two readings gives a rate as soon as there are two.
    EXPECT_TRUE(
        evaluateSensor(statusInputAsOf(readings, 1, 7), kOneNode, effectiveLevels({}, {})).rate);
}

TEST(NoiseLevels, BedSeparationIsJudgedApartFromTheDisplacement) {
    // Three nodes, head at the toe: node 1 moved 5 mm, node 2 1 mm, node 3 0.5 mm. The
    // strand between nodes 1 and 2 opened 4 mm.
    QList<StatusReading> readings = series({0, 0});
    readings[0].channels = {"10.00", "20.00", "30.00"};
    readings[1].channels = {"15.00", "21.00", "30.50"};
    const SensorSetup three{3, false, {"5.00", "3.00", "1.00"}, {}};
    TriggerLevels levels;
    levels.amberDisp = 8;
    SensorStatus s = evaluateSeries(readings, 1, three, effectiveLevels(levels, {}));
    EXPECT_EQ(s.state, G); // no separation level: movement within the horizon judged alone
    ASSERT_TRUE(s.maxSep);
    EXPECT_DOUBLE_EQ(*s.maxSep, 4.0);
    EXPECT_EQ(s.sepNode, 1);

    levels.amberSep = 3;
    levels.redSep = 6;
    s = evaluateSeries(readings, 1, three, effectiveLevels(levels, {}));
    EXPECT_EQ(s.state, A);
    EXPECT_EQ(s.cause, Measure::Separation);
    EXPECT_DOUBLE_EQ(s.causeValue, 4.0);
    EXPECT_DOUBLE_EQ(s.causeLevel, 3.0);
}

TEST(NoiseLevels, BoxesRefuseCountsThatAreNotWholeAndSeparationsOutOfOrder) {
    TriggerLevels levels;
    EXPECT_EQ(changeLevel(levels, LevelField::Consecutive, "2.5").refusal,
              "Consecutive readings must be a whole number from 1 to 100.");
    EXPECT_FALSE(changeLevel(levels, LevelField::Consecutive, "0").accepted);
    EXPECT_EQ(changeLevel(levels, LevelField::MinRateReadings, "1").refusal,
              "Rate readings must be a whole number from 2 to 1000.");
    EXPECT_EQ(changeLevel(levels, LevelField::Consecutive, "3").accepted->consecutive, 3.0);
    levels.redSep = 5;
    EXPECT_EQ(changeLevel(levels, LevelField::AmberSep, "6").refusal,
              "Red separation must not be below amber separation.");
    EXPECT_EQ(changeLevel(levels, LevelField::Hysteresis, "-1").refusal,
              "Hysteresis must not be negative.");
    // The program's defaults, where neither the sensor nor the site sets a value.
    const TriggerLevels applied = effectiveLevels({}, {});
    EXPECT_EQ(applied.consecutive, 1.0);
    EXPECT_EQ(applied.hysteresis, 0.0);
    EXPECT_EQ(applied.minRateReadings, 2.0);
}

namespace {

const QString kId = QStringLiteral("120531001"); // three nodes

class NoiseEventsTest : public EngineDbTest {
protected:
    void prepare() override {
        createTriggerTables(db);
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, HeadLocation, Recess, "
                   "LengthofCable, NodeLocation1, NodeLocation2, NodeLocation3) VALUES (?, '41', "
                   "0, 0.25, 7, 1, 3, 4.5)",
                   {kId});
        createReadingsTable(db, kId);
    }

    // A daily reading whose node 1 moved `node1` mm and nodes 2 and 3 `node2` mm from the
    // first.
    QString add(int day, double node1, double node2) {
        const QDateTime at(QDate(2026, 11, day), QTime(8, 0));
        const QString key = kId + at.toString(" yyyy/MM/dd HH:mm:ss");
        db.execute("INSERT INTO \"120531001\" (DateTimeKey, FullDate, Channel1, Channel2, "
                   "Channel3, ChannelT, Plottemporal) VALUES (?, ?, ?, ?, ?, '18', 1)",
                   {key, at.toString("yyyy-MM-dd HH:mm:ss"), QString::number(5 + node1, 'f', 2),
                    QString::number(20 + node2, 'f', 2), QString::number(7 + node2, 'f', 2)});
        return key;
    }

    std::optional<TriggerEvent> detect(const QStringList& keys) {
        return detectTriggerEvent(db, kId, keys, QDateTime(QDate(2026, 12, 8), QTime(9, 30)),
                                  "surveyor");
    }
};

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(NoiseEventsTest);

TEST_P(NoiseEventsTest, ABedSeparationRaisesItsOwnEventAfterItsConsecutiveReadings) {
    TriggerLevels levels;
    levels.amberSep = 3;
    levels.consecutive = 2;
    writeTriggerLevels(db, kId, levels);
    EXPECT_EQ(readTriggerLevels(db, kId), levels);

    add(1, 0, 0);
    // Node 1 and node 2 move together: no separation however far they go.
    EXPECT_FALSE(detect({add(2, 9, 9)}));
    // Node 1 pulls 4 mm away from node 2 for one reading, then for two.
    EXPECT_FALSE(detect({add(3, 13, 9)}));
    const QString second = add(4, 13.5, 9);
    const std::optional<TriggerEvent> event = detect({second});
    ASSERT_TRUE(event);
    EXPECT_EQ(event->state, TriggerState::Amber);
    EXPECT_EQ(event->measure, Measure::Separation);
    EXPECT_EQ(event->readingKey, second);
    EXPECT_NEAR(event->value, 4.5, 1e-9);
    EXPECT_EQ(event->node, 1);
    EXPECT_EQ(triggerEventMessage(*event),
              "Sensor 120531001 reached AMBER: 4.5 mm bed separation between Node 1 (6.25 m) "
              "and Node 2");
    const QList<TriggerEvent> logged = allTriggerEvents(db);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged[0].measure, Measure::Separation);

    // The site status judges the same way and shows the pair.
    const QList<SiteStatusRow> rows =
        computeSiteStatus(db, QDateTime(QDate(2026, 11, 5), QTime(8, 0)));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].status.state, TriggerState::Amber);
    EXPECT_EQ(siteStatusCells(rows[0]).last(), "4.50 (Node 1-2)");
}

TEST_P(NoiseEventsTest, AnEarlierLevelsTableGainsTheNewColumnsWhenOpened) {
    db.execute("DROP TABLE TriggerLevels");
    db.execute("CREATE TABLE TriggerLevels (InstrumentID TEXT UNIQUE NOT NULL, AmberDisp " +
               QString(GetParam() == Engine::Server ? "double precision" : "REAL") +
               ", RedDisp REAL, AmberRate REAL, RedRate REAL, RateWindow REAL, ReadingInterval "
               "REAL)");
    db.execute("INSERT INTO TriggerLevels (InstrumentID, AmberDisp) VALUES (?, 12)", {kId});
    EXPECT_THROW(readTriggerLevels(db, kId), DbError);

    addMissingLevelColumns(db);
    addMissingLevelColumns(db); // a second opening finds nothing to add
    const TriggerLevels stored = readTriggerLevels(db, kId);
    EXPECT_EQ(stored.amberDisp, 12.0);
    EXPECT_FALSE(stored.consecutive);
    TriggerLevels changed = stored;
    changed.hysteresis = 1.5;
    writeTriggerLevels(db, kId, changed);
    EXPECT_EQ(readTriggerLevels(db, kId), changed);
}
