#include "logger/LoggerFile.h"
#include "logger/LoggerAppend.h"
#include "logger/LoggerReadings.h"
#include "support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
QStringList row(const QString& date, const QStringList& rest = {}) {
    QStringList fields = QStringList{date} + rest;
    while (fields.size() < kLoggerFields) {
        fields << QString();
    }
    return fields;
}

QVector<QStringList> hourly(int count) {
    QVector<QStringList> rows;
    const QDateTime start(QDate(2013, 4, 5), QTime(0, 30));
    for (int h = 0; h < count; ++h) {
        rows << row(start.addSecs(3600 * h).toString("yyyy/MM/dd HH:mm:ss"));
    }
    return rows;
}

QVector<int> checked(const QVector<bool>& marks) {
    QVector<int> rows;
    for (int r = 0; r < marks.size(); ++r) {
        if (marks[r]) {
            rows << r;
        }
    }
    return rows;
}
} // namespace

TEST(LoggerFile, ReadsSixteenTextFieldsPerLineMissingAndEmptyOnesEmpty) {
    const LoggerFile file = parseLoggerText(
        "2013/04/05 09:30:00,T7,21,001,21.47,-3.456,,4.1,5,6,7,8,9,10,11,12,13,14\r\n"
        "\r\n"
        " 2013/04/05 10:30:00 , \"a, \"\"b\"\"\" ,21\n"
        "2013/04/05 11:30:00");
    ASSERT_TRUE(file.ok());
    ASSERT_EQ(file.rows.size(), 3);
    for (const QStringList& fields : file.rows) {
        EXPECT_EQ(fields.size(), kLoggerFields);
    }
    EXPECT_EQ(file.rows[0].mid(0, 7),
              QStringList({"2013/04/05 09:30:00", "T7", "21", "001", "21.47", "-3.456", ""}));
    // Fields after the sixteenth are not read.
    EXPECT_EQ(file.rows[0][15], "12");
    EXPECT_EQ(file.rows[1][0], "2013/04/05 10:30:00");
    EXPECT_EQ(file.rows[1][1], "a, \"b\"");
    EXPECT_EQ(file.rows[1][2], "21");
    EXPECT_EQ(file.rows[1][3], "");
    EXPECT_EQ(file.rows[2], row("2013/04/05 11:30:00"));
    EXPECT_TRUE(parseLoggerText("").rows.isEmpty());
}

TEST(LoggerFile, AnUnclosedQuoteStopsAtTheLineAtFault) {
    const LoggerFile file = parseLoggerText("2013/04/05 09:30:00,1\n\n2013/04/05 10:30:00,\"2\n"
                                            "2013/04/05 11:30:00,3\n");
    EXPECT_FALSE(file.ok());
    EXPECT_EQ(file.badLine, 3);
    EXPECT_EQ(file.badText, "2013/04/05 10:30:00,\"2");
    EXPECT_EQ(parseLoggerText("a,\"b\"c,d").badLine, 1);
}

TEST(LoggerFile, MarksKeepRowsTheIntervalApart) {
    EXPECT_EQ(checked(appendMarks(hourly(50), 24)), QVector<int>({0, 24, 48}));
    EXPECT_EQ(checked(appendMarks(hourly(5), 1)), QVector<int>({0, 1, 2, 3, 4}));
    // Hour boundaries count, not elapsed time: 10:59 to 11:00 is one hour.
    EXPECT_EQ(checked(appendMarks({row("2013/04/05 10:59:00"), row("2013/04/05 11:00:00")}, 1)),
              QVector<int>({0, 1}));

    // A row without clock time is never kept and leaves the last kept row in place; a row
    // earlier than the last kept one is not kept.
    const QVector<QStringList> rows = {row(kNoClockTime),          row("2013/04/05 08:00:00"),
                                       row(kNoClockTime),          row("2013/04/05 07:00:00"),
                                       row("2013/04/05 15:59:59"), row("2013/04/05 16:00:00"),
                                       row("not a date")};
    EXPECT_EQ(checked(appendMarks(rows, 8)), QVector<int>({1, 5}));
}

TEST(LoggerFile, ReadingsTakeTheDateOrderAndFormatTheirValues) {
    const QStringList fields =
        row("05/04/2013 09:30:00", {"T7", "21", "001", "21.47", "-3.456", "", "7.125", "x"});
    const auto dayFirst = loggerReading("120541001", fields, DateOrder::DayMonthYear, 4);
    ASSERT_TRUE(dayFirst);
    EXPECT_EQ(dayFirst->key, "120541001 2013/04/05 09:30:00");
    EXPECT_EQ(dayFirst->readingDate, "2013/04/05");
    EXPECT_EQ(dayFirst->readingTime, "09:30:00");
    EXPECT_EQ(dayFirst->fullDate, "2013-04-05 09:30:00");
    EXPECT_EQ(dayFirst->channelT, "21.5");
    EXPECT_EQ(dayFirst->channels, QStringList({"-3.46", "0.00", "7.13", "0.00"}));

    const auto monthFirst = loggerReading("120541001", fields, DateOrder::MonthDayYear, 4);
    ASSERT_TRUE(monthFirst);
    EXPECT_EQ(monthFirst->key, "120541001 2013/05/04 09:30:00");

    const auto yearFirst =
        loggerReading("120521001", row("2013/4/5 9:30:00", {"", "", "", "", "1", "2", "3"}),
                      DateOrder::YearMonthDay, loggerChannelCount("21"));
    ASSERT_TRUE(yearFirst);
    EXPECT_EQ(yearFirst->key, "120521001 2013/04/05 09:30:00");
    EXPECT_EQ(yearFirst->channelT, "0.0");
    EXPECT_EQ(yearFirst->channels, QStringList({"1.00", "2.00"}));

    for (const auto& [text, order] :
         {std::pair{kNoClockTime, DateOrder::YearMonthDay},
          std::pair{QString("31/02/2013 09:30:00"), DateOrder::DayMonthYear},
          std::pair{QString("2013/04/05 09:30:00"), DateOrder::DayMonthYear},
          std::pair{QString("05/13/2013 09:30:00"), DateOrder::DayMonthYear},
          std::pair{QString(""), DateOrder::YearMonthDay}}) {
        EXPECT_FALSE(loggerReading("120541001", row(text), order, 4)) << text.toStdString();
    }
}

class LoggerBackupTest : public TempDataFolderTest {};

TEST_F(LoggerBackupTest, TheSensorsLoggerFileMovesIntoTheDatedBackup) {
    const QDate today(2026, 12, 8);
    EXPECT_FALSE(moveLoggerFileToBackup(folder(), "120521001", today));
    EXPECT_TRUE(QDir(path("backup")).exists());

    QFile file(path("QV120521001.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("2013/04/05 09:30:00,1\n");
    file.close();
    EXPECT_TRUE(moveLoggerFileToBackup(folder(), "120521001", today));
    EXPECT_FALSE(QFile::exists(path("QV120521001.txt")));
    QFile moved(path("backup/QV120521001_2026-12-08.txt"));
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), "2013/04/05 09:30:00,1\n");
}
