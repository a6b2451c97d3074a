#include "sensors/FilterCriteria.h"
#include "sensors/SensorFields.h"
#include "sensors/SensorNumber.h"
#include "store/DbError.h"

#include <gtest/gtest.h>

TEST(SensorRulesTest, NumberChecksRunInOrderAndWantNineAsciiDigits) {
    EXPECT_EQ(sensorNumberProblem("ABC123456"), "Sensor # must be a numeric value");
    EXPECT_EQ(sensorNumberProblem("12345678"), "Sensor # must be 9 digits");
    EXPECT_EQ(sensorNumberProblem("1234567890"), "Sensor # must be 9 digits");
    EXPECT_EQ(sensorNumberProblem("120521000"), "Last 3 digits must be between 001 and 999");
    EXPECT_EQ(sensorNumberProblem("120521001"), "");
    EXPECT_EQ(sensorNumberProblem("120521999"), "");
    // Numbers to a parser, but not nine digits: a sign, a space, a point.
    for (const QString number : {"+12052100", " 12052100", "12052100 ", "-12052100", "1234.5678",
                                 "12345.000", "1.2052e10"}) {
        EXPECT_EQ(sensorNumberProblem(number), "Sensor # must be 9 digits") << number.toStdString();
    }
    for (const QString number :
         {"12052100a", "\uFF11\uFF12\uFF10\uFF15\uFF12\uFF11\uFF10\uFF10\uFF11",
          "\u0661\u0662\u0660\u0665\u0662\u0661\u0660\u0660\u0661"}) {
        EXPECT_FALSE(sensorNumberProblem(number).isEmpty()) << number.toStdString();
        EXPECT_FALSE(isSensorNumber(number));
    }
    EXPECT_TRUE(isSensorNumber("120521000"));
    EXPECT_FALSE(isSensorNumber("+12052100"));

    const SensorNumberParts parts = splitSensorNumber("120531042");
    EXPECT_EQ(parts.dateId, "1205");
    EXPECT_EQ(parts.typeId, "31");
    EXPECT_EQ(parts.serial, "042");
}

TEST(SensorRulesTest, CompletionStartsAfterTheFirstEntryAndWraps) {
    const QStringList entries = {"120521001", "120531002", "130521003"};
    EXPECT_EQ(completionIndex(entries, "12"), 1);
    EXPECT_EQ(completionIndex(entries, "13"), 2);
    // Only the first entry matches: the search wraps round to it.
    EXPECT_EQ(completionIndex(entries, "120521"), 0);
    EXPECT_EQ(completionIndex(entries, "9"), -1);
    EXPECT_EQ(completionIndex({"ABC001"}, "ab"), 0);
    EXPECT_EQ(completionIndex({}, "1"), -1);
}

TEST(SensorRulesTest, FilterTypeTakesListEntriesAndBareCodes) {
    EXPECT_EQ(filterTypeCode("31: k2VARLO"), "31");
    EXPECT_EQ(filterTypeCode(" 71: k6VARLO "), "71");
    EXPECT_EQ(filterTypeCode("81"), "81");
    EXPECT_EQ(filterTypeCode(""), "");
    EXPECT_FALSE(filterTypeCode("2"));
    EXPECT_FALSE(filterTypeCode("EX"));
    EXPECT_EQ(filterTypeCode("81: k7VARLO"), "81");
    EXPECT_EQ(filterTypeCode("91: k8VARLO"), "91");
    EXPECT_FALSE(filterTypeCode("91: k7VARLO"));
    EXPECT_FALSE(filterTypeCode("31: k3VARLO"));
}

TEST(SensorRulesTest, FilterCriteriaKeepTheirOrderAndCompleteTheDateRange) {
    const QDate today(2026, 12, 8);
    SensorFilterInput input;
    input.hideDestroyed = true;
    input.type = "31";
    input.level = " 2 Level ";
    input.location = "O'Brien's drift";
    input.endDate = "2005/12/31";
    const SensorFilterResult all = sensorFilterCriteria(input, today);
    ASSERT_EQ(all.problem, FilterProblem::None);
    ASSERT_EQ(all.criteria.size(), 6);
    const QStringList columns = {"Destroyed", "SensorType",  "Level",
                                 "Location",  "InstallDate", "InstallDate"};
    const QVariantList values = {"No",         "31",        "2 Level", "O'Brien's drift",
                                 "1999/01/01", "2005/12/31"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(all.criteria[i].column, columns[i]);
        EXPECT_EQ(all.criteria[i].value, values[i]);
    }
    EXPECT_EQ(all.criteria[4].op, ">=");
    EXPECT_EQ(all.criteria[5].op, "<=");

    SensorFilterInput start;
    start.startDate = "2026-3-4";
    const SensorFilterResult fromStart = sensorFilterCriteria(start, today);
    ASSERT_EQ(fromStart.criteria.size(), 2);
    EXPECT_EQ(fromStart.criteria[0].value, "2026/03/04");
    EXPECT_EQ(fromStart.criteria[1].value, "2026/12/08");
}

TEST(SensorRulesTest, FilterProblemsComeInTheOrderOfTheChecks) {
    const QDate today(2026, 12, 8);
    SensorFilterInput input;
    EXPECT_EQ(sensorFilterCriteria(input, today).problem, FilterProblem::NoCriteria);
    input.startDate = "2026/13/01";
    input.endDate = "soon";
    EXPECT_EQ(sensorFilterCriteria(input, today).problem, FilterProblem::BadStartDate);
    input.startDate.clear();
    EXPECT_EQ(sensorFilterCriteria(input, today).problem, FilterProblem::BadEndDate);
    input.type = "EX";
    EXPECT_EQ(sensorFilterCriteria(input, today).problem, FilterProblem::UnknownType);
    // Blanks alone are not a date.
    SensorFilterInput blank;
    blank.startDate = "  ";
    EXPECT_EQ(sensorFilterCriteria(blank, today).problem, FilterProblem::BadStartDate);
}

TEST(SensorRulesTest, NumericColumnsTakeFormattedNumbersNullOrFail) {
    EXPECT_EQ(formattedNumberValue("12.5", "##0.00").toDouble(), 12.5);
    EXPECT_EQ(formattedNumberValue("3.456", "##0.0#").toDouble(), 3.46);
    EXPECT_TRUE(formattedNumberValue("  ", "##0.00").isNull());
    EXPECT_THROW(formattedNumberValue("12abc", "##0.00"), DbError);

    EXPECT_EQ(installDateValue(" 2026/1/5 ").toString(), "2026/01/05");
    EXPECT_EQ(installDateValue("2026-01-05").toString(), "2026/01/05");
    EXPECT_TRUE(installDateValue("").isNull());
    EXPECT_THROW(installDateValue("last week"), DbError);

    EXPECT_EQ(shownDate(QVariant("2026-1-5")), "2026/01/05");
    EXPECT_EQ(shownDate(QVariant("unknown")), "unknown");
}
