#include "checks/ReadingFlagStore.h"

#include "charts/GraphData.h"
#include "store/CheckTables.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/RegisterCopy.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"
#include "support/TestReadings.h"
#include "triggers/SiteStatus.h"
#include "triggers/TriggerLevels.h"

#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120541001"); // three nodes, head at the toe

QDateTime day(int d) {
    return QDateTime(QDate(2026, 11, d), QTime(8, 0));
}

QString keyOf(int d) {
    return kId + day(d).toString(" yyyy/MM/dd HH:mm:ss");
}

// A sensor read daily, levels of 5 and 10 mm, and the check tables.
class ReadingFlagStoreTest : public EngineDbTest {
protected:
    void prepare() override {
        addSensorWithLevels(db, kId, 5, 10);
        clock_.set(day(20));
    }

    void add(int d, double c1, const QString& temperature = QStringLiteral("18")) {
        db.execute("INSERT INTO \"120541001\" (DateTimeKey, FullDate, ReadingDate, ReadingTime, "
                   "Channel1, Channel2, Channel3, ChannelT, Plottemporal) VALUES (?, ?, ?, ?, ?, "
                   "'20.00', '30.00', ?, 1)",
                   {keyOf(d), day(d).toString("yyyy-MM-dd HH:mm:ss"), day(d).toString("yyyy/MM/dd"),
                    day(d).toString("HH:mm:ss"), QString::number(c1, 'f', 2), temperature});
    }

    // A reading with channel 3 stepping through four values.
    QString insert(const QDateTime& at, const QString& c1, const QString& c2,
                   const QString& temperature = QStringLiteral("18")) {
        const QString key = kId + at.toString(" yyyy/MM/dd HH:mm:ss");
        db.execute("INSERT INTO \"120541001\" (DateTimeKey, FullDate, ReadingDate, ReadingTime, "
                   "Channel1, Channel2, Channel3, ChannelT, Plottemporal) VALUES (?, ?, ?, ?, ?, "
                   "?, ?, ?, 1)",
                   {key, at.toString("yyyy-MM-dd HH:mm:ss"), at.toString("yyyy/MM/dd"),
                    at.toString("HH:mm:ss"), c1, c2,
                    QString::number(30.0 + 0.01 * (at.time().hour() % 4), 'f', 2), temperature});
        return key;
    }

    // The flags as lines of text, for a readable difference.
    std::string flagTexts() {
        QStringList texts;
        for (const ReadingFlag& flag : readFlags(db, kId)) {
            texts << QStringLiteral("%1 %2 %3: %4")
                         .arg(flag.key, checkName(flag.check))
                         .arg(flag.channel)
                         .arg(flag.detail);
        }
        return texts.join('\n').toStdString();
    }

    TriggerState state() {
        const QList<SiteStatusRow> rows = computeSiteStatus(db, clock_.now(), QStringList{kId});
        return rows.isEmpty() ? TriggerState::Grey : rows.first().status.state;
    }

    QStringList flagged(CheckKind kind) {
        QStringList keys;
        for (const ReadingFlag& flag : readFlags(db, kId)) {
            if (flag.check == kind) {
                keys << flag.key;
            }
        }
        return keys;
    }

    QString refusal(const QString& key, bool reject, const QString& reason) {
        try {
            rejectReading(db, kId, key, reject, reason, "surveyor", clock_.now());
        } catch (const RejectionRefused& refused) {
            return refused.reason();
        }
        return {};
    }
};

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(ReadingFlagStoreTest);

TEST_P(ReadingFlagStoreTest, RejectedSpikeLeavesStateChartsAndNeighboursAndComesBackRestored) {
    for (int d = 1; d <= 6; ++d) {
        add(d, 10.0 + 0.1 * d);
    }
    add(7, 70.0); // a spike as the newest reading: red at once
    EXPECT_EQ(refreshReadingFlags(db, kId, clock_.now()), 1);
    EXPECT_EQ(flagged(CheckKind::RateJump), QStringList{keyOf(7)});
    EXPECT_EQ(state(), TriggerState::Red);

    rejectReading(db, kId, keyOf(7), true, "readout fault", "surveyor", clock_.now());
    EXPECT_EQ(rejectedKeys(db, kId), QSet<QString>{keyOf(7)});
    // Kept and still flagged, but out of the state and of the chart's selection.
    EXPECT_EQ(state(), TriggerState::Green);
    EXPECT_EQ(countGraphRows(db, kId, GraphVariant::Time), 6);
    for (const GraphRow& row : readGraphRows(db, kId, GraphVariant::Time)) {
        EXPECT_NE(row.fullDate.date(), day(7).date());
    }

    // The next reading shows the rejected one was a spike; it is nobody's neighbour, so the
    // return is judged against the reading before it and is no rate jump.
    add(8, 10.8, QString());
    refreshReadingFlags(db, kId, clock_.now());
    EXPECT_EQ(db.scalar("SELECT count(*) FROM \"120541001\"").toInt(), 8);
    EXPECT_EQ(flagged(CheckKind::Spike), QStringList{keyOf(7)});
    EXPECT_EQ(flagged(CheckKind::RateJump), QStringList{keyOf(7)});
    EXPECT_EQ(flagged(CheckKind::NoTemperature), QStringList{keyOf(8)});

    EXPECT_EQ(refusal(keyOf(7), true, "again"),
              "The reading " + keyOf(7) + " is rejected already.");
    EXPECT_EQ(refusal(keyOf(6), false, "why"), "The reading " + keyOf(6) + " is not rejected.");
    EXPECT_EQ(refusal(keyOf(6), true, "  "), "A reading is rejected with a reason.");
    EXPECT_EQ(refusal(keyOf(9), true, "gone"),
              "Sensor " + kId + " has no reading " + keyOf(9) + ".");

    rejectReading(db, kId, keyOf(7), false, "checked with a second readout", "engineer",
                  clock_.now());
    refreshReadingFlags(db, kId, clock_.now());
    EXPECT_TRUE(rejectedKeys(db, kId).isEmpty());
    EXPECT_EQ(countGraphRows(db, kId, GraphVariant::Time), 8);
    EXPECT_EQ(flagged(CheckKind::RateJump), (QStringList{keyOf(7), keyOf(8)}));
    const QList<Rejection> log = readRejections(db, kId);
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].rejected);
    EXPECT_EQ(log[0].reason, "readout fault");
    EXPECT_EQ(log[0].enteredBy, "surveyor");
    EXPECT_EQ(log[0].enteredAt, "2026-11-20 08:00:00");
    EXPECT_FALSE(log[1].rejected);
    EXPECT_EQ(log[1].enteredBy, "engineer");

    // The log is never changed nor emptied.
    EXPECT_THROW(db.execute("DELETE FROM ReadingRejections"), DbError);
    EXPECT_THROW(db.execute("UPDATE ReadingRejections SET Rejected = 1"), DbError);
    EXPECT_EQ(readRejections(db, kId).size(), 2);
}

TEST_P(ReadingFlagStoreTest, NeighbourhoodCheckFlagsAsTheFullCheckDoes) {
    // Hourly readings with noise, spikes, jumps, a flat line longer than a block read at once,
    // a channel left empty for a while, a rejected reading and one dated after now.
    const QDateTime start(QDate(2026, 10, 1), QTime(0, 0));
    const auto at = [&](double hours) { return start.addSecs(qint64(hours * 3600)); };
    QStringList keys;
    db.beginTransaction();
    for (int i = 0; i < 300; ++i) {
        double c1 = 10.0 + 0.01 * i + (i % 2 == 0 ? 0.04 : -0.04);
        if (i >= 60 && i < 210) {
            c1 = 12.5;
        } else if (i % 37 == 0) {
            c1 += 9.0;
        }
        const QString c2 =
            i >= 100 && i < 140 ? QString() : QString::number(20.0 + (i % 50 == 7 ? 6 : 0), 'f', 2);
        keys << insert(at(i), QString::number(c1, 'f', 2), c2, i % 90 == 5 ? QString() : "18");
    }
    insert(QDateTime(QDate(2026, 12, 1), QTime(6, 0)), "14.00", "20.00");
    db.commit();
    rejectReading(db, kId, keys[111], true, "readout fault", "surveyor", clock_.now());
    refreshReadingFlags(db, kId, clock_.now());

    const auto sameAsFull = [&](const char* change, const QList<ReadingSpan>& spans) {
        SCOPED_TRACE(change);
        const int count = refreshReadingFlagsNear(db, kId, spans, clock_.now());
        const std::string near = flagTexts();
        EXPECT_EQ(refreshReadingFlags(db, kId, clock_.now()), count);
        EXPECT_EQ(near, flagTexts());
    };

    const QString end = insert(at(300), "25.00", "20.00");
    sameAsFull("appended at the end", spansOfKeys(db, kId, {end}));
    // Into the flat line: its count starts again after it, up to where it ends.
    const QString middle = insert(at(130.5), "12.60", "");
    sameAsFull("appended in the middle", spansOfKeys(db, kId, {middle, keys[20]}));
    db.execute("UPDATE \"120541001\" SET Channel1 = '19.00', Channel2 = '' WHERE DateTimeKey = ?",
               {keys[250]});
    db.execute("UPDATE \"120541001\" SET Channel2 = '27.00' WHERE DateTimeKey = ?", {keys[120]});
    sameAsFull("edited", spansOfKeys(db, kId, {keys[250], keys[120]}));
    const QString gone = at(74).toString("yyyy-MM-dd HH:mm:ss");
    db.execute("DELETE FROM \"120541001\" WHERE DateTimeKey = ? OR DateTimeKey = ?",
               {keys[74], keys[259]});
    const QString goneToo = at(259).toString("yyyy-MM-dd HH:mm:ss");
    sameAsFull("deleted", {{gone, gone, true}, {goneToo, goneToo, true}});
    rejectReading(db, kId, keys[222], true, "spike", "surveyor", clock_.now());
    rejectReading(db, kId, keys[111], false, "checked", "engineer", clock_.now());
    sameAsFull("rejected and restored", spansOfKeys(db, kId, {keys[222], keys[111]}));
    clock_.set(QDateTime(QDate(2026, 12, 2), QTime(0, 0)));
    sameAsFull("a day later", {});
    CheckSettings tighter;
    tighter.spikeThreshold = 1.0;
    tighter.flatCount = 5;
    writeCheckSettings(db, tighter);
    sameAsFull("new thresholds", {});
}

TEST_P(ReadingFlagStoreTest, RegisterCopyCarriesFlagsRejectionsAndThresholds) {
    for (int d = 1; d <= 4; ++d) {
        add(d, d == 3 ? 40.0 : 10.0);
    }
    CheckSettings settings;
    settings.spikeThreshold = 1.5;
    settings.flatCount = 30;
    writeCheckSettings(db, settings);
    rejectReading(db, kId, keyOf(3), true, "spike", "surveyor", clock_.now());
    refreshReadingFlags(db, kId, clock_.now());
    const QString copy = path("copy.mdb");
    copyRegisterToFile(db, copy);

    Connection copied;
    copied.open(copy);
    EXPECT_EQ(readCheckSettings(copied), settings);
    EXPECT_EQ(rejectedKeys(copied, kId), QSet<QString>{keyOf(3)});
    EXPECT_EQ(readFlags(copied, kId), readFlags(db, kId));
    EXPECT_FALSE(readFlags(copied, kId).isEmpty());
    // The copy keeps the log's rules.
    EXPECT_THROW(copied.execute("DELETE FROM ReadingRejections"), DbError);
    EXPECT_EQ(countGraphRows(copied, kId, GraphVariant::Time), 3);
}

TEST_P(ReadingFlagStoreTest, RegisterWithoutTheTablesRejectsNothing) {
    add(1, 10.0);
    add(2, 10.1);
    EXPECT_FALSE(db.hasTable(kRejectionTable));
    EXPECT_EQ(readCheckSettings(db), CheckSettings{});
    EXPECT_TRUE(rejectedKeys(db, kId).isEmpty());
    EXPECT_EQ(countGraphRows(db, kId, GraphVariant::Time), 2);
    EXPECT_EQ(state(), TriggerState::Green);
}

TEST(CheckSettingsTest, UnusableThresholdsAreRefusedWithTheReason) {
    EXPECT_EQ(checkSettingsProblem(CheckSettings{}), QString());
    const auto problem = [](auto change) {
        CheckSettings s;
        change(s);
        return checkSettingsProblem(s);
    };
    EXPECT_EQ(problem([](CheckSettings& s) { s.channelMin = s.channelMax; }),
              "The lowest channel value must be below the highest.");
    EXPECT_EQ(problem([](CheckSettings& s) { s.temperatureMax = -30; }),
              "The lowest temperature must be below the highest.");
    EXPECT_EQ(problem([](CheckSettings& s) { s.spikeNeighbours = 0; }),
              "The neighbours of a spike must be 1 to 20 readings each side.");
    EXPECT_EQ(problem([](CheckSettings& s) { s.spikeThreshold = 0; }),
              "The spike threshold must be above 0 mm.");
    EXPECT_EQ(problem([](CheckSettings& s) { s.maxRate = -1; }),
              "The highest rate must be above 0 mm/day.");
    EXPECT_EQ(problem([](CheckSettings& s) { s.flatCount = 1; }),
              "A flat line must be 2 to 1000 readings.");
}
