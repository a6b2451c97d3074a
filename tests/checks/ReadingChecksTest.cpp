#include "checks/ReadingChecks.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 8), QTime(9, 30, 0));

// One reading of a two-node sensor every six hours from 2026/12/01 00:00, at 16 °C.
CheckedReading reading(int index, const QString& c1, const QString& c2 = QStringLiteral("20.00"),
                       const QString& temperature = QStringLiteral("16.0")) {
    const QDateTime at = QDateTime(QDate(2026, 12, 1), QTime(0, 0)).addSecs(index * 6 * 3600);
    CheckedReading r;
    r.key = at.toString("'120531001 'yyyy/MM/dd HH:mm:ss");
    r.fullDate = at.toString("yyyy-MM-dd HH:mm:ss");
    r.readingDate = at.toString("yyyy/MM/dd");
    r.readingTime = at.toString("HH:mm:ss");
    r.channels = {c1, c2};
    r.channelT = temperature;
    return r;
}

// Readings whose first channel takes these values in turn, slowly drifting noise otherwise.
QList<CheckedReading> series(const QList<double>& values) {
    QList<CheckedReading> readings;
    for (int i = 0; i < values.size(); ++i) {
        readings << reading(i, QString::number(values[i], 'f', 2),
                            QString::number(20.0 + 0.01 * (i % 3), 'f', 2));
    }
    return readings;
}

// The flags of one check, as "key channel" texts.
QStringList found(const QList<ReadingFlag>& flags, CheckKind kind) {
    QStringList keys;
    for (const ReadingFlag& flag : flags) {
        if (flag.check == kind) {
            keys << flag.key.right(19) + QStringLiteral(" c%1").arg(flag.channel);
        }
    }
    return keys;
}

} // namespace

TEST(ReadingChecksTest, QuietSeriesRaisesNothing) {
    QList<double> values;
    for (int i = 0; i < 30; ++i) {
        values << 10.0 + 0.02 * i + (i % 2 == 0 ? 0.01 : -0.01);
    }
    EXPECT_TRUE(checkReadings(series(values), CheckSettings{}, kNow).isEmpty());
}

TEST(ReadingChecksTest, SpikeStandsApartFromBothSidesButAStepDoesNot) {
    CheckSettings settings; // two neighbours each side, 3 mm
    // A spike of 8 mm at reading 4; a step of 7 mm at reading 9 that stays.
    const QList<CheckedReading> readings =
        series({10.0, 10.1, 10.0, 10.1, 18.1, 10.2, 10.1, 10.2, 10.1, 17.2, 17.3, 17.2, 17.3});
    const QList<ReadingFlag> flags = checkReadings(readings, settings, kNow);
    EXPECT_EQ(found(flags, CheckKind::Spike), QStringList{"2026/12/02 00:00:00 c1"});
    // The detail names the value, its distance from the nearer of the two medians and the
    // threshold.
    for (const ReadingFlag& flag : flags) {
        if (flag.check == CheckKind::Spike) {
            EXPECT_EQ(flag.detail, "Channel 1: 18.10 mm is 7.95 mm from its neighbours' median "
                                   "10.15 mm (threshold 3.00 mm)");
        }
    }
    // Within the threshold of one side, it is no spike.
    settings.spikeThreshold = 8.0;
    EXPECT_TRUE(found(checkReadings(readings, settings, kNow), CheckKind::Spike).isEmpty());
    // The first and the last reading have no neighbours on one side.
    EXPECT_TRUE(found(checkReadings(series({30.0, 10.0, 10.1, 10.0, 10.1, 10.0, 30.0}),
                                    CheckSettings{}, kNow),
                      CheckKind::Spike)
                    .isEmpty());
}

TEST(ReadingChecksTest, RejectedReadingIsNobodysNeighbour) {
    QList<CheckedReading> readings = series({10.0, 10.1, 10.0, 25.0, 10.1, 10.0, 10.1});
    const QList<ReadingFlag> before = checkReadings(readings, CheckSettings{}, kNow);
    // The spike, its rise and its fall are all flagged.
    EXPECT_EQ(found(before, CheckKind::Spike), QStringList{"2026/12/01 18:00:00 c1"});
    EXPECT_EQ(found(before, CheckKind::RateJump),
              (QStringList{"2026/12/01 18:00:00 c1", "2026/12/02 00:00:00 c1"}));
    readings[3].rejected = true;
    const QList<ReadingFlag> after = checkReadings(readings, CheckSettings{}, kNow);
    // Still flagged itself, but the reading after it is judged against the one before it.
    EXPECT_EQ(found(after, CheckKind::Spike), QStringList{"2026/12/01 18:00:00 c1"});
    EXPECT_EQ(found(after, CheckKind::RateJump), QStringList{"2026/12/01 18:00:00 c1"});
}

TEST(ReadingChecksTest, RateIsJudgedOverAtLeastAnHour) {
    CheckSettings settings;
    settings.maxRate = 10.0;
    QList<CheckedReading> readings = series({10.0, 11.0, 14.0});
    // 1 mm in six hours is 4 mm/day; 3 mm in six hours is 12 mm/day.
    QList<ReadingFlag> flags = checkReadings(readings, settings, kNow);
    ASSERT_EQ(found(flags, CheckKind::RateJump), QStringList{"2026/12/01 12:00:00 c1"});
    EXPECT_EQ(flags.last().detail,
              "Channel 1: moved 12.0 mm/day since the reading before (at most 10.0 mm/day)");
    // Two readings a minute apart differing by 0.2 mm: 4.8 mm/day over the hour, not 288.
    readings = series({10.0, 10.2});
    readings[1].fullDate = "2026-12-01 00:01:00";
    EXPECT_TRUE(found(checkReadings(readings, settings, kNow), CheckKind::RateJump).isEmpty());
}

TEST(ReadingChecksTest, FlatLineFromTheNthEqualValueOn) {
    CheckSettings settings;
    settings.flatCount = 4;
    QList<CheckedReading> readings = series({10.0, 10.5, 10.5, 10.5, 10.5, 10.5, 10.6, 10.5});
    // An empty channel neither breaks nor lengthens the run.
    readings.insert(3, reading(30, QString()));
    readings[3].fullDate = readings[2].fullDate.left(11) + "13:00:00";
    EXPECT_EQ(found(checkReadings(readings, settings, kNow), CheckKind::FlatLine),
              (QStringList{"2026/12/02 00:00:00 c1", "2026/12/02 06:00:00 c1"}));
    // The second channel varies and is never flat.
    for (const ReadingFlag& flag : checkReadings(readings, settings, kNow)) {
        EXPECT_NE(flag.channel, 2);
    }
}

TEST(ReadingChecksTest, RangeDatesAndTemperatureOfOneReading) {
    CheckSettings settings;
    settings.channelMin = 0.0;
    settings.channelMax = 100.0;
    settings.maxRate = 1000.0;
    QList<CheckedReading> readings{reading(0, "-0.01", "100.00"), reading(1, "abc", "100.01"),
                                   reading(2, "50", "50", ""), reading(3, "50", "50", "95.5")};
    readings[1].readingDate = "2026/02/30";
    readings[2].readingTime = "24:00:00";
    readings[3].fullDate = "2026-12-08 09:30:01";
    const QList<ReadingFlag> flags = checkReadings(readings, settings, kNow);
    QStringList details;
    for (const ReadingFlag& flag : flags) {
        details << checkName(flag.check) + ": " + flag.detail;
    }
    EXPECT_EQ(details, (QStringList{
                           "range: Channel 1: -0.01 mm is outside 0.00 mm to 100.00 mm",
                           "date: No such date or time: 2026/02/30 06:00:00",
                           "range: Channel 1: \"abc\" is not a number",
                           "range: Channel 2: 100.01 mm is outside 0.00 mm to 100.00 mm",
                           "date: No such date or time: 2026/12/01 24:00:00",
                           "temperature: No temperature: the reading is not corrected for it",
                           "future: Dated after now (2026/12/08 09:30:00)",
                           "range: Temperature 95.5 °C is outside -20.0 to 70.0 °C",
                       }));
    // A moment as stored, to the second, is not in the future.
    readings[3].fullDate = "2026-12-08 09:30:00";
    EXPECT_TRUE(found(checkLone(readings[3], settings, kNow), CheckKind::FutureDate).isEmpty());
}

TEST(ReadingChecksTest, PossibleMoments) {
    EXPECT_TRUE(isPossibleMoment("2024/02/29", "23:59:59"));
    EXPECT_FALSE(isPossibleMoment("2026/02/29", "10:00:00"));
    EXPECT_FALSE(isPossibleMoment("2026/13/01", "10:00:00"));
    EXPECT_FALSE(isPossibleMoment("2026/1/01", "10:00:00"));
    EXPECT_FALSE(isPossibleMoment("2026/01/01", "10:60:00"));
    EXPECT_FALSE(isPossibleMoment("", ""));
    for (CheckKind kind :
         {CheckKind::Range, CheckKind::Spike, CheckKind::RateJump, CheckKind::FlatLine,
          CheckKind::FutureDate, CheckKind::ImpossibleDate, CheckKind::NoTemperature}) {
        EXPECT_EQ(checkKindOf(checkName(kind)), kind);
    }
}

TEST(ReadingChecksTest, ChangeReachesSpikeNeighboursNextRateAndTheRestOfAFlatLine) {
    const auto reach = [](const QList<CheckedReading>& stretch, qsizetype at, bool fromStart) {
        const CheckReach r = checkReach(stretch, at, at + 1, fromStart, true, CheckSettings{});
        return QList<qsizetype>{r.judgedFrom, r.judgedTo, r.wantsEarlier, r.wantsLater};
    };
    QList<double> noise;
    QList<double> flat;
    for (int i = 0; i < 100; ++i) {
        noise << 10.0 + (i % 2 == 0 ? 0.1 : 0.0);
        flat << (i >= 30 && i < 70 ? 5.0 : noise.back());
    }
    // Two neighbours each side, and what those are judged against is in the stretch.
    EXPECT_EQ(reach(series(noise), 50, false), (QList<qsizetype>{48, 53, false, false}));
    EXPECT_EQ(reach(series(noise) << reading(100, "10.00"), 100, false),
              (QList<qsizetype>{98, 101, false, false}));
    // The flat line's count runs on to its end and is counted from its start.
    EXPECT_EQ(reach(series(flat), 40, false), (QList<qsizetype>{38, 71, false, false}));
    // Rejected readings are nobody's neighbour.
    QList<CheckedReading> rejected = series(noise);
    rejected[49].rejected = true;
    rejected[51].rejected = true;
    EXPECT_EQ(reach(rejected, 50, false), (QList<qsizetype>{47, 54, false, false}));
    // Too few readings before the change: more are read unless these are the first.
    EXPECT_EQ(reach(series(noise), 1, false), (QList<qsizetype>{1, 4, true, false}));
    EXPECT_EQ(reach(series(noise), 1, true), (QList<qsizetype>{0, 4, false, false}));
}
