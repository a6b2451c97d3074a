#include "triggers/TriggerEvents.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"
#include "support/TestReadings.h"
#include "triggers/SiteStatus.h"

#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120531001"); // three nodes

class TriggerEventsTest : public EngineDbTest {
protected:
    void prepare() override { addSensorWithLevels(db, kId, 10, 20); }

    // A daily reading whose node 2 has moved `node2` mm from the first one.
    QString add(int day, double node2) {
        const QDateTime at(QDate(2026, 11, day), QTime(8, 0));
        const QString key = kId + at.toString(" yyyy/MM/dd HH:mm:ss");
        db.execute("INSERT INTO \"120531001\" (DateTimeKey, FullDate, Channel1, Channel2, "
                   "Channel3, ChannelT, Plottemporal) VALUES (?, ?, '5.00', ?, '7.00', '18', 1)",
                   {key, at.toString("yyyy-MM-dd HH:mm:ss"), QString::number(20 + node2, 'f', 2)});
        return key;
    }

    std::optional<TriggerEvent> detect(const QStringList& keys) {
        return detectTriggerEvent(db, kId, keys, QDateTime(QDate(2026, 12, 8), QTime(9, 30)),
                                  "surveyor");
    }
};

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(TriggerEventsTest);

TEST_P(TriggerEventsTest, AnEventIsWrittenOncePerRiseInState) {
    add(1, 0);
    EXPECT_FALSE(detect({add(2, 4)}));

    const QString amberKey = add(3, 12.5);
    const std::optional<TriggerEvent> amber = detect({amberKey});
    ASSERT_TRUE(amber);
    EXPECT_EQ(amber->state, TriggerState::Amber);
    EXPECT_EQ(amber->readingKey, amberKey);
    EXPECT_DOUBLE_EQ(amber->value, 12.5);
    EXPECT_DOUBLE_EQ(amber->level, 10);
    EXPECT_EQ(amber->node, 2);
    // Head at the toe 7.25 m from the roof, node 2 three metres from it.
    EXPECT_EQ(amber->anchor, "4.25");
    EXPECT_EQ(triggerEventMessage(*amber),
              "Sensor 120531001 reached AMBER: 12.5 mm at Node 2 (4.25 m)");

    // Saving the same reading again, or a reading that stays amber, logs nothing more.
    EXPECT_FALSE(detect({amberKey}));
    EXPECT_FALSE(detect({add(4, 15)}));

    // A logger append that crosses red part way and falls back: the event is at the crossing.
    const QString redKey = add(5, 27.3);
    const QString lastKey = add(6, 15);
    const std::optional<TriggerEvent> red = detect({redKey, lastKey});
    ASSERT_TRUE(red);
    EXPECT_EQ(red->state, TriggerState::Red);
    EXPECT_EQ(red->readingKey, redKey);
    EXPECT_EQ(triggerEventMessage(*red),
              "Sensor 120531001 reached RED: 27.3 mm at Node 2 (4.25 m)");

    const QList<TriggerEvent> logged = allTriggerEvents(db);
    ASSERT_EQ(logged.size(), 2);
    EXPECT_EQ(logged[1].detectedAt, "2026-12-08 09:30:00");
    EXPECT_EQ(logged[1].detectedBy, "surveyor");
    EXPECT_EQ(unacknowledgedEvents(db).first().id, logged[1].id);
}

TEST_P(TriggerEventsTest, AHugeStoredRateWindowStillLetsTheDisplacementBeJudged) {
    // Written by hand or by an older version: no box accepts these windows.
    int day = 1;
    for (const double window : {3650000.0, 1e308}) {
        SCOPED_TRACE(window);
        db.execute("DELETE FROM TriggerLevels");
        db.execute("DELETE FROM " + quoteName(kId));
        db.execute("INSERT INTO TriggerLevels (InstrumentID, RedDisp, RateWindow) VALUES (?, 1, ?)",
                   {kId, window});
        add(day++, 0);
        const QString key = add(day++, 87);
        const std::optional<TriggerEvent> event = detect({key});
        ASSERT_TRUE(event);
        EXPECT_EQ(event->state, TriggerState::Red);
        EXPECT_DOUBLE_EQ(event->value, 87);

        const QList<SiteStatusRow> rows =
            computeSiteStatus(db, QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows.first().status.state, TriggerState::Red);
        EXPECT_EQ(rows.first().status.newestKey, key);
        EXPECT_EQ(rows.first().levels.rateWindow, kMaxRateWindow);
    }
}

TEST_P(TriggerEventsTest, AcknowledgementIsStoredOnceAndTheLogRefusesOtherChanges) {
    add(1, 0);
    const std::optional<TriggerEvent> event = detect({add(2, 25)});
    ASSERT_TRUE(event);

    const QDateTime at(QDate(2026, 12, 8), QTime(10, 0));
    EXPECT_EQ(acknowledgeEvents(db, {event->id}, at, "shift boss", "Area barricaded"), 1);
    // A second acknowledgement does not replace the first.
    EXPECT_EQ(acknowledgeEvents(db, {event->id}, at.addSecs(60), "someone else", "late"), 0);
    const TriggerEvent stored = allTriggerEvents(db).first();
    EXPECT_EQ(stored.ackAt, "2026-12-08 10:00:00");
    EXPECT_EQ(stored.ackBy, "shift boss");
    EXPECT_EQ(stored.ackNote, "Area barricaded");
    EXPECT_TRUE(unacknowledgedEvents(db).isEmpty());

    EXPECT_THROW(db.execute("DELETE FROM TriggerEvents"), DbError);
    EXPECT_THROW(db.execute("UPDATE TriggerEvents SET Value = 1"), DbError);
    EXPECT_THROW(db.execute("UPDATE TriggerEvents SET AckBy = 'someone else'"), DbError);
    if (onServer()) {
        EXPECT_THROW(db.execute("TRUNCATE TriggerEvents"), DbError);
    }
    EXPECT_EQ(allTriggerEvents(db).first().value, 25);
}

TEST_P(TriggerEventsTest, AnEarlierZeroReferenceRecomputesTheStateButKeepsEarlierEvents) {
    add(2, 0);
    ASSERT_TRUE(detect({add(3, 21)}));
    // A reading before them, ticked for the time chart, becomes the zero reference: the
    // sensor is judged against it and is green again, and the red event stays as recorded.
    const QString earlier = kId + " 2026/11/01 08:00:00";
    db.execute("INSERT INTO \"120531001\" (DateTimeKey, FullDate, Channel1, Channel2, Channel3, "
               "Plottemporal) VALUES (?, '2026-11-01 08:00:00', '5.00', '40.00', '7.00', 1)",
               {earlier});
    EXPECT_FALSE(detect({earlier}));
    EXPECT_EQ(allTriggerEvents(db).size(), 1);
    EXPECT_EQ(allTriggerEvents(db).first().state, TriggerState::Red);
}

TEST_P(TriggerEventsTest, TheEventIsStoredOrRolledBackWithTheReadingsThatRaiseIt) {
    add(1, 0);
    const QDateTime at(QDate(2026, 12, 8), QTime(9, 30));
    const QString red = QStringLiteral("Sensor 120531001 reached RED: 25.0 mm at Node 2 (4.25 m)");
    // A failure after the event was logged takes the reading and the event back together.
    EXPECT_THROW(db.inTransaction([&] {
        EXPECT_EQ(logTriggerEvent(db, kId, {add(2, 25)}, at, "surveyor"), red);
        throw DbError(ErrorCode::ServerFailure, "the connection went away");
    }),
                 DbError);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM \"120531001\"").toInt(), 1);
    EXPECT_TRUE(allTriggerEvents(db).isEmpty());

    // Stored again, both stay.
    db.inTransaction(
        [&] { EXPECT_EQ(logTriggerEvent(db, kId, {add(2, 25)}, at, "surveyor"), red); });
    EXPECT_EQ(db.scalar("SELECT count(*) FROM \"120531001\"").toInt(), 2);
    ASSERT_EQ(allTriggerEvents(db).size(), 1);
    EXPECT_EQ(allTriggerEvents(db).first().readingKey, kId + " 2026/11/02 08:00:00");
}

TEST(TriggerEventTimes, AreShownAsTheRegisterWritesAMomentAndOtherTextsAsStored) {
    EXPECT_EQ(shownEventTime("2026-12-09 00:58:01"), "2026/12/09 00:58:01");
    EXPECT_EQ(shownEventTime("2026/01/02 10:00"), "2026/01/02 10:00");
    EXPECT_EQ(shownEventTime("2026-12-09"), "2026-12-09");
    EXPECT_EQ(shownEventTime(""), "");
}
