#include "logger/LoggerFile.h"
#include "logger/LoggerAppend.h"
#include "logger/LoggerReadings.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"
#include "support/TempDataFolder.h"
#include "triggers/TriggerEvents.h"
#include "triggers/TriggerLevels.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {
const QString kId = "120541001";

QByteArray hourly(int count, const QString& form = "yyyy/MM/dd HH:mm:ss") {
    QByteArray text;
    const QDateTime start(QDate(2013, 4, 5), QTime(0, 30), QTimeZone::utc());
    for (int h = 0; h < count; ++h) {
        text += start.addSecs(3600 * h).toString(form).toLatin1() + ",T7,41,001,20,1,2,3,4\r\n";
    }
    return text;
}

QVector<qint64> checked(const QBitArray& marks) {
    QVector<qint64> rows;
    for (qint64 r = 0; r < marks.size(); ++r) {
        if (marks.testBit(r)) {
            rows << r;
        }
    }
    return rows;
}

std::string fixed(const char* field, int decimals) {
    std::string out;
    EXPECT_TRUE(appendFixed(out, field, decimals));
    return out;
}

class LocaleScope {
public:
    explicit LocaleScope(const QString& name) { QLocale::setDefault(QLocale(name)); }
    ~LocaleScope() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};
} // namespace

TEST(LoggerLines, ReadsSixteenTextFieldsPerLineMissingAndEmptyOnesEmpty) {
    const auto full =
        loggerFields("2013/04/05 09:30:00,T7,21,001,21.47,-3.456,,4.1,5,6,7,8,9,10,11,12,13,14");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->size(), kLoggerFields);
    EXPECT_EQ(full->mid(0, 7),
              QStringList({"2013/04/05 09:30:00", "T7", "21", "001", "21.47", "-3.456", ""}));
    // Fields after the sixteenth are not read.
    EXPECT_EQ(full->at(15), "12");

    const auto quoted = loggerFields(" 2013/04/05 10:30:00 , \"a, \"\"b\"\"\" ,21");
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->mid(0, 4), QStringList({"2013/04/05 10:30:00", "a, \"b\"", "21", ""}));
    EXPECT_EQ(loggerFields("x,ab\"c")->at(1), "ab\"c");

    EXPECT_FALSE(loggerFields("2013/04/05 10:30:00,\"2"));
    EXPECT_FALSE(loggerFields("a,\"b\"c,d"));
}

class LoggerStageTest : public TempDataFolderTest {
protected:
    QString write(const QString& name, const QByteArray& text) {
        QFile out(path(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
        return path(name);
    }
    StageResult stage(const QByteArray& text, int interval,
                      DateOrder order = DateOrder::DayMonthYear) {
        return stageLoggerFile(folder(), write(kId + ".txt", text), interval, order);
    }
    QStringList rowTexts(const LoggerStage& staged) {
        LoggerRowReader reader(staged);
        QStringList rows;
        for (qint64 r = 0; r < staged.rows; ++r) {
            rows << QString::fromUtf8(reader.line(r));
        }
        return rows;
    }
};

TEST_F(LoggerStageTest, StagesAByteCopyAndReadsEveryLineBack) {
    const QByteArray text = "\xEF\xBB\xBF"
                            "2013/04/05 09:30:00,1\r\n"
                            "\r\n"
                            "2013/04/05 10:30:00,\"2\n"
                            "  \n"
                            "2013/04/05 11:30:00,3\n";
    const StageResult result = stage(text, 1);
    ASSERT_EQ(result.status, StageResult::Status::Staged);
    QFile copy(path("datafile.txt"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), text);

    // Blank lines are no rows; a line that cannot be read is a row, never kept.
    const LoggerStage& staged = result.stage;
    EXPECT_EQ(staged.rows, 3);
    EXPECT_EQ(rowTexts(staged), QStringList({"2013/04/05 09:30:00,1", "2013/04/05 10:30:00,\"2",
                                             "2013/04/05 11:30:00,3"}));
    EXPECT_EQ(staged.unreadableCount, 1);
    EXPECT_TRUE(staged.unreadable.testBit(1));
    EXPECT_EQ(checked(staged.marks), QVector<qint64>({0, 2}));

    // Rows across many blocks, in any order of reading, and a last line without its end.
    QByteArray many = hourly(300);
    many += "2013/05/01 00:00:00,last";
    const StageResult big = stage(many, 24);
    ASSERT_EQ(big.stage.rows, 301);
    LoggerRowReader reader(big.stage);
    EXPECT_EQ(reader.line(300), "2013/05/01 00:00:00,last");
    EXPECT_TRUE(reader.line(64).startsWith("2013/04/07 16:30:00,"));
    EXPECT_TRUE(reader.line(0).startsWith("2013/04/05 00:30:00,"));
    EXPECT_EQ(checked(big.stage.marks).mid(0, 3), QVector<qint64>({0, 24, 48}));
}

TEST_F(LoggerStageTest, RefusesBinaryAndMissingFilesAndStopsWhenCancelled) {
    EXPECT_EQ(stageLoggerFile(folder(), path("none.txt"), 1, DateOrder::DayMonthYear).status,
              StageResult::Status::NoFile);
    EXPECT_EQ(stage(QByteArray("2013/04/05 09:30:00,1\n\0\x01\x02", 25), 1).status,
              StageResult::Status::NotText);
    EXPECT_FALSE(QFile::exists(path("datafile.txt")));
    EXPECT_EQ(stage("", 1).stage.rows, 0);

    const StageResult cancelled =
        stageLoggerFile(folder(), write("big.txt", hourly(40000)), 1, DateOrder::DayMonthYear,
                        [](qint64 done, qint64) { return done < (1 << 20); });
    EXPECT_EQ(cancelled.status, StageResult::Status::Cancelled);
    EXPECT_FALSE(QFile::exists(path("datafile.txt")));
}

TEST_F(LoggerStageTest, MarksKeepRowsTheIntervalApart) {
    EXPECT_EQ(checked(stage(hourly(50), 24).stage.marks), QVector<qint64>({0, 24, 48}));
    EXPECT_EQ(checked(stage(hourly(5), 1).stage.marks), QVector<qint64>({0, 1, 2, 3, 4}));
    // Hour boundaries count, not elapsed time: 10:59 to 11:00 is one hour.
    EXPECT_EQ(checked(stage("2013/04/05 10:59:00\n2013/04/05 11:00:00\n", 1).stage.marks),
              QVector<qint64>({0, 1}));
    // A row without clock time is never kept and leaves the last kept row in place; a row
    // earlier than the last kept one is not kept.
    const QByteArray rows = "2000/01/01 00:00:80\n2013/04/05 08:00:00\n2000/01/01 00:00:80\n"
                            "2013/04/05 07:00:00\n2013/04/05 15:59:59\n2013/04/05 16:00:00\n"
                            "not a date\n";
    EXPECT_EQ(checked(stage(rows, 8).stage.marks), QVector<qint64>({1, 5}));
}

TEST_F(LoggerStageTest, DayFirstAndMonthFirstFilesAreKeptInEveryLocale) {
    // Hourly lines over days 1 to 30 of April: day-first texts give no date for a month-first
    // desktop past the 12th, and the other way round, so each is read in the other order.
    const QByteArray dayFirst = hourly(24 * 29, "dd/MM/yyyy HH:mm:ss");
    const QByteArray monthFirst = hourly(24 * 29, "MM/dd/yyyy HH:mm:ss");
    const QByteArray yearFirst = hourly(24 * 29, "yyyy-MM-dd HH:mm:ss");
    for (const char* locale : {"C", "en_US", "en_GB", "de_DE", "en_AU", "ja_JP"}) {
        const LocaleScope scope(QString::fromLatin1(locale));
        const DateOrder order = localeDateOrder(QLocale());
        for (const QByteArray& text : {dayFirst, monthFirst, yearFirst}) {
            EXPECT_EQ(checked(stage(text, 1, order).stage.marks).size(), 24 * 29)
                << locale << " " << text.left(19).toStdString();
        }
    }
    EXPECT_EQ(localeDateOrder(QLocale("en_US")), DateOrder::MonthDayYear);
    EXPECT_EQ(localeDateOrder(QLocale("de_DE")), DateOrder::DayMonthYear);
    EXPECT_EQ(localeDateOrder(QLocale::c()), DateOrder::DayMonthYear);
}

TEST(LoggerDates, ReadsTheThreeOrdersAndRefusesWhatIsNoDate) {
    const LoggerMoment april5{2013, 4, 5, 9, 30, 0};
    const LoggerMoment may4{2013, 5, 4, 9, 30, 0};
    EXPECT_EQ(readLoggerMoment("2013/4/5 9:30:00", DateOrder::DayMonthYear), april5);
    EXPECT_EQ(readLoggerMoment(" 2013-04-05 09:30 ", DateOrder::DayMonthYear), april5);
    EXPECT_EQ(readLoggerMoment("05/04/2013 09:30:00", DateOrder::DayMonthYear), april5);
    EXPECT_EQ(readLoggerMoment("05/04/2013 09:30:00", DateOrder::MonthDayYear), may4);
    EXPECT_EQ(readLoggerMoment("05.04.2013 09:30:00", DateOrder::DayMonthYear), april5);
    // No date in the desktop's order: the other order.
    EXPECT_EQ(readLoggerMoment("04/13/2013 09:30:00", DateOrder::DayMonthYear),
              (LoggerMoment{2013, 4, 13, 9, 30, 0}));
    EXPECT_EQ(readLoggerMoment("2013/04/05", DateOrder::DayMonthYear),
              (LoggerMoment{2013, 4, 5, 0, 0, 0}));
    for (const char* text : {"2000/01/01 00:00:80", "-2013/04/05 09:30:00", "12013/04/05 09:30:00",
                             "2013/02/29 09:30:00", "2013/04/05 24:00:00", "2013/04-05 09:30:00",
                             "13/13/2013 09:30:00", "05/04/13 09:30:00", "2013/04/05 09:30:00 x",
                             "", "2013/04/05T09:30:00"}) {
        EXPECT_FALSE(readLoggerMoment(text, DateOrder::DayMonthYear)) << text;
    }

    // The append's two year-last orders read by character position only.
    EXPECT_EQ(appendMoment("05/04/2013 09:30:00", DateOrder::DayMonthYear, DateOrder::MonthDayYear),
              april5);
    EXPECT_EQ(appendMoment("05/04/2013 09:30:00", DateOrder::MonthDayYear, DateOrder::DayMonthYear),
              may4);
    EXPECT_EQ(appendMoment("2013/04/05 09:30:00", DateOrder::YearMonthDay, DateOrder::DayMonthYear),
              april5);
    for (const auto& [text, order] : {std::pair{"31/02/2013 09:30:00", DateOrder::DayMonthYear},
                                      std::pair{"2013/04/05 09:30:00", DateOrder::DayMonthYear},
                                      std::pair{"05/13/2013 09:30:00", DateOrder::DayMonthYear},
                                      std::pair{"5/4/2013 09:30:00", DateOrder::DayMonthYear},
                                      std::pair{"2000/01/01 00:00:80", DateOrder::YearMonthDay}}) {
        EXPECT_FALSE(appendMoment(text, order, DateOrder::DayMonthYear)) << text;
    }
}

TEST(LoggerDates, FormatsValuesAsTheFormatterDoes) {
    EXPECT_EQ(fixed("21.47", 1), "21.5");
    EXPECT_EQ(fixed("-3.456", 2), "-3.46");
    EXPECT_EQ(fixed("", 2), "0.00");
    EXPECT_EQ(fixed("x", 2), "0.00");
    EXPECT_EQ(fixed("7.125", 2), "7.13");
    EXPECT_EQ(fixed("-0.004", 2), "0.00");
    EXPECT_EQ(fixed("0099.995", 2), "100.00");
    EXPECT_EQ(fixed("12abc", 1), "12.0");
    EXPECT_EQ(fixed("1e3", 2), "1000.00");
    EXPECT_EQ(fixed("5.", 2), "5.00");
    EXPECT_EQ(fixed("-.5", 1), "-0.5");
    EXPECT_EQ(fixed("1.0000000000000005", 2), "1.00");
    // A carry runs back over the point and may add an integer digit.
    EXPECT_EQ(fixed("0.95", 1), "1.0");
    EXPECT_EQ(fixed("19.96", 1), "20.0");
    EXPECT_EQ(fixed("-9.995", 2), "-10.00");
    EXPECT_EQ(fixed("-0.005", 2), "-0.01");
    EXPECT_EQ(fixed("3.14", 2), "3.14");
    EXPECT_EQ(fixed("42", 1), "42.0");
    // The number is appended to what the text already holds, which the carry leaves alone.
    std::string after = "9.";
    EXPECT_TRUE(appendFixed(after, "99.96", 1));
    EXPECT_EQ(after, "9.100.0");
    std::string out;
    EXPECT_FALSE(appendFixed(out, "1e999", 2));
}

class LoggerAppendTest : public LoggerStageTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Server) {
            server_ = std::make_unique<ServerDatabase>();
            if (!server_->available()) {
                GTEST_SKIP() << server_->reason().toStdString();
            }
            db.open(server_->uri());
            createSchema(db);
        } else {
            createDatabaseFile(path("readings.mdb"));
            db.open(path("readings.mdb"));
        }
        createReadingsTable(db, kId);
    }
    LoggerAppendResult append(const LoggerStage& staged, LoggerAppendOptions options = {},
                              std::optional<QBitArray> marks = {}) {
        options.instrumentId = kId;
        options.channelCount = 4;
        return appendLoggerRows(db, kId, staged, marks.value_or(staged.marks), options);
    }
    int count() { return db.scalar("SELECT COUNT(*) FROM " + quoteName(kId)).toInt(); }
    QVariant value(const QString& key, const QString& column) {
        return db.scalar("SELECT " + column + " FROM " + quoteName(kId) + " WHERE DateTimeKey = ?",
                         {kId + " " + key});
    }
    std::unique_ptr<ServerDatabase> server_;
    Connection db;
};

INSTANTIATE_ON_BOTH_ENGINES(LoggerAppendTest);

TEST_P(LoggerAppendTest, StoresEachMarkedRowOnceAndCountsWhatItPassedOver) {
    const LoggerStage staged = stage("05/04/2013 09:30:00,T7,41,001,21.47,-3.456,,7.125,x\n"
                                     "05/04/2013 10:30:00,\"bad\n"
                                     "05/04/2013 11:30:00,T7,41,001,1e999\n"
                                     "05/04/2013 09:30:00,T7,41,001,20\n"
                                     "31/04/2013 12:30:00,T7,41,001,20\n",
                                     1)
                                   .stage;
    LoggerAppendOptions options;
    options.order = DateOrder::DayMonthYear;
    QStringList asked;
    options.askDuplicate = [&](const QString& key) {
        asked << key;
        return DuplicateAnswer::Skip;
    };
    // Every row marked, the unreadable one included: it is still passed over.
    const LoggerAppendResult result = append(staged, options, QBitArray(5, true));
    EXPECT_EQ(result.status, LoggerAppendResult::Status::Appended);
    EXPECT_EQ(result.appended, 1);
    // The repeated line is a duplicate of the row this walk stored.
    EXPECT_EQ(result.duplicates, 1);
    EXPECT_EQ(asked, QStringList({kId + " 2013/04/05 09:30:00"}));
    // The bad line, the overflowing value and the 31st of April.
    EXPECT_EQ(result.passedOver, 3);
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(value("2013/04/05 09:30:00", "ReadingDate").toString(), "2013/04/05");
    EXPECT_EQ(value("2013/04/05 09:30:00", "ReadingTime").toString(), "09:30:00");
    EXPECT_EQ(value("2013/04/05 09:30:00", "FullDate").toString(), "2013-04-05 09:30:00");
    EXPECT_EQ(value("2013/04/05 09:30:00", "ChannelT").toString(), "21.5");
    EXPECT_EQ(value("2013/04/05 09:30:00", "Channel1").toString(), "-3.46");
    EXPECT_EQ(value("2013/04/05 09:30:00", "Channel2").toString(), "0.00");
    EXPECT_EQ(value("2013/04/05 09:30:00", "Channel3").toString(), "7.13");
    EXPECT_EQ(value("2013/04/05 09:30:00", "Channel4").toString(), "0.00");
    EXPECT_TRUE(value("2013/04/05 09:30:00", "Channel5").isNull());
    EXPECT_EQ(value("2013/04/05 09:30:00", "IsDirty").toInt(), 1);
    EXPECT_EQ(value("2013/04/05 09:30:00", "Plottemporal").toInt(), 1);
    EXPECT_EQ(value("2013/04/05 09:30:00", "PlotSpatial").toInt(), 0);

    // Skip All: one question, every further duplicate counted.
    const LoggerStage again = stage(hourly(30), 1).stage;
    EXPECT_EQ(append(again).appended, 29); // 2013/04/05 09:30:00 is there
    asked.clear();
    options.order = DateOrder::YearMonthDay;
    options.askDuplicate = [&](const QString& key) {
        asked << key;
        return DuplicateAnswer::SkipAll;
    };
    const LoggerAppendResult skipped = append(again, options);
    EXPECT_EQ(skipped.appended, 0);
    EXPECT_EQ(skipped.duplicates, 30);
    EXPECT_EQ(asked.size(), 1);
}

// Rows that go back in time among many: a repeat of a row this walk stored is found however
// many rows wait to be stored with it, an earlier moment that is new is stored, and every row
// keeps its own values, in the order of the file.
TEST_P(LoggerAppendTest, RowsGoingBackInTimeAreCheckedAgainstTheWalksOwn) {
    const QDateTime start(QDate(2013, 4, 5), QTime(0, 30));
    const auto line = [&](const QDateTime& at, int node) {
        return at.toString("yyyy/MM/dd HH:mm:ss").toLatin1() + ",T7,41,001,20," +
               QByteArray::number(node) + ",2,3,4\n";
    };
    QByteArray text;
    QStringList order;
    for (int h = 0; h < 100; ++h) {
        if (h == 70) {
            text += line(start.addSecs(3600 * 68), 999);
            text += line(start.addSecs(3600 * 68 + 60), 500);
            order << start.addSecs(3600 * 68 + 60).toString("yyyy/MM/dd HH:mm:ss");
        }
        text += line(start.addSecs(3600 * h), h);
        order << start.addSecs(3600 * h).toString("yyyy/MM/dd HH:mm:ss");
    }
    const LoggerStage staged = stage(text, 1, DateOrder::YearMonthDay).stage;
    LoggerAppendOptions options;
    options.order = DateOrder::YearMonthDay;
    options.duplicates = DuplicatePolicy::SkipAll;
    const LoggerAppendResult result = append(staged, options, QBitArray(102, true));
    EXPECT_EQ(result.status, LoggerAppendResult::Status::Appended);
    EXPECT_EQ(result.appended, 101);
    EXPECT_EQ(result.duplicates, 1);
    EXPECT_EQ(count(), 101);
    for (int h = 0; h < 100; ++h) {
        EXPECT_EQ(value(start.addSecs(3600 * h).toString("yyyy/MM/dd HH:mm:ss"), "Channel1"),
                  QString::number(h) + ".00");
    }
    EXPECT_EQ(value(order[70], "Channel1").toString(), "500.00");
    if (GetParam() == Engine::File) {
        const QString stored =
            db.scalar("SELECT group_concat(k, '|') FROM (SELECT ReadingDate || ' ' || "
                      "ReadingTime AS k FROM " +
                      quoteName(kId) + " ORDER BY rowid)")
                .toString();
        EXPECT_EQ(stored, order.join('|'));
    }
}

TEST_P(LoggerAppendTest, CancelAndAFailedCommitStoreNothing) {
    const LoggerStage staged = stage(hourly(10000), 1).stage;
    LoggerAppendOptions options;
    options.progress = [](qint64 done, qint64) { return done < 8000; };
    const LoggerAppendResult cancelled = append(staged, options);
    EXPECT_EQ(cancelled.status, LoggerAppendResult::Status::Cancelled);
    EXPECT_EQ(cancelled.appended, 0);
    EXPECT_EQ(count(), 0);

    // A failure injected at the commit: each stored reading owes a row of a deferred
    // foreign key that no row satisfies, so COMMIT itself is refused.
    if (GetParam() == Engine::Server) {
        db.execute("CREATE FUNCTION owe() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE "
                   "EXCEPTION 'owed row missing' USING ERRCODE = 'foreign_key_violation'; END $$");
        db.execute("CREATE CONSTRAINT TRIGGER owe AFTER INSERT ON " + quoteName(kId) +
                   " DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION owe()");
    } else {
        db.execute("PRAGMA foreign_keys = ON");
        db.execute("CREATE TABLE parent (id INTEGER PRIMARY KEY)");
        db.execute("CREATE TABLE owed (parent INTEGER REFERENCES parent(id) "
                   "DEFERRABLE INITIALLY DEFERRED)");
        db.execute("CREATE TRIGGER owe AFTER INSERT ON " + quoteName(kId) +
                   " BEGIN INSERT INTO owed VALUES (1); END");
    }
    const LoggerAppendResult failed = append(staged);
    EXPECT_EQ(failed.status, LoggerAppendResult::Status::Failed);
    EXPECT_EQ(failed.appended, 0);
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_EQ(count(), 0);
    // The connection is usable afterwards.
    db.execute("DROP TRIGGER owe" +
               (GetParam() == Engine::Server ? " ON " + quoteName(kId) : QString()));
    EXPECT_EQ(append(staged).appended, 10000);
}

// The trigger check, run before the commit, judges every reading the append stored: here the
// one that reaches amber lies among thousands of others, after a gap in the hours and a
// reading the table already held. Cancel at the last step before the commit stores nothing
// and runs no check.
TEST_P(LoggerAppendTest, TheTriggerCheckSeesEveryAppendedReadingAndCancelStopsBeforeIt) {
    createTriggerTables(db);
    db.execute("INSERT INTO Sensors (InstrumentID, SensorType, HeadLocation, Recess, "
               "LengthofCable, NodeLocation1, NodeLocation2, NodeLocation3, NodeLocation4) "
               "VALUES (?, '41', 0, 0.25, 7, 1, 3, 4.5, 6)",
               {kId});
    TriggerLevels levels;
    levels.amberDisp = 10;
    levels.redDisp = 20;
    writeTriggerLevels(db, kId, levels);

    const QDateTime start(QDate(2014, 3, 1), QTime(6, 0));
    const auto line = [&](int hour, double node2) {
        return start.addSecs(3600LL * hour).toString("yyyy/MM/dd HH:mm:ss").toLatin1() +
               ",T7,41,001,18,5.00," + QByteArray::number(20 + node2, 'f', 2) + ",7.00,9.00\n";
    };
    QByteArray text;
    for (int hour = 0; hour < 6000; ++hour) {
        if (hour != 2500) {
            text += line(hour, hour == 4321 ? 12.5 : 1);
        }
    }
    db.execute("INSERT INTO " + quoteName(kId) +
                   " (DateTimeKey, FullDate, Channel1, Channel2, Channel3, Channel4, ChannelT, "
                   "Plottemporal) VALUES (?, ?, '5.00', '21.00', '7.00', '9.00', '18', 1)",
               {kId + start.addSecs(3600 * 100).toString(" yyyy/MM/dd HH:mm:ss"),
                start.addSecs(3600 * 100).toString("yyyy-MM-dd HH:mm:ss")});
    const LoggerStage staged = stage(text, 1, DateOrder::YearMonthDay).stage;
    const QString amberKey = kId + start.addSecs(3600LL * 4321).toString(" yyyy/MM/dd HH:mm:ss");

    LoggerAppendOptions options;
    options.order = DateOrder::YearMonthDay;
    options.duplicates = DuplicatePolicy::SkipAll;
    int checks = 0;
    options.beforeCommit = [&](Connection& appending, const AddedReadings& added) {
        ++checks;
        EXPECT_EQ(&appending, &db);
        return logTriggerEvent(appending, kId, added, QDateTime(QDate(2026, 12, 8), QTime(9, 30)),
                               "surveyor");
    };
    options.progress = [](qint64 done, qint64 total) { return done < total; };
    EXPECT_EQ(append(staged, options).status, LoggerAppendResult::Status::Cancelled);
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(count(), 1);

    options.progress = {};
    const LoggerAppendResult result = append(staged, options);
    EXPECT_EQ(result.status, LoggerAppendResult::Status::Appended);
    EXPECT_EQ(result.appended, 5998);
    EXPECT_EQ(result.duplicates, 1);
    ASSERT_TRUE(result.levelReached);
    EXPECT_TRUE(result.levelReached->startsWith("Sensor " + kId + " reached AMBER"))
        << result.levelReached->toStdString();
    const QList<TriggerEvent> events = allTriggerEvents(db);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.first().readingKey, amberKey);
    EXPECT_EQ(events.first().state, TriggerState::Amber);
}

TEST_P(LoggerAppendTest, AMomentInADaylightSavingGapIsStoredAsRead) {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    tzset();
    const LoggerAppendResult result = append(stage("2015/03/08 02:30:00,T7,41,001,20\n", 1).stage);
    qputenv("TZ", zone);
    tzset();
    EXPECT_EQ(result.appended, 1);
    EXPECT_EQ(value("2015/03/08 02:30:00", "FullDate").toString(), "2015-03-08 02:30:00");
    EXPECT_EQ(value("2015/03/08 02:30:00", "ReadingTime").toString(), "02:30:00");
}

TEST_F(LoggerStageTest, TheSensorsLoggerFileMovesIntoTheDatedBackup) {
    const QDate today(2026, 12, 8);
    EXPECT_FALSE(moveLoggerFileToBackup(folder(), "120521001", today));
    EXPECT_FALSE(QDir(path("backup")).exists());

    write("QV120521001.txt", "2013/04/05 09:30:00,1\n");
    EXPECT_TRUE(moveLoggerFileToBackup(folder(), "120521001", today));
    EXPECT_FALSE(QFile::exists(path("QV120521001.txt")));
    QFile moved(path("backup/QV120521001_2026-12-08.txt"));
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), "2013/04/05 09:30:00,1\n");
}
