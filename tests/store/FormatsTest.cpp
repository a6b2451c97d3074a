#include "store/Formats.h"
#include "store/DbError.h"
#include "store/NumberProblem.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(FormatsTest, TwoDecimalPatternRoundsHalvesAwayFromZero) {
    EXPECT_EQ(formatNumber(QString("12.5"), "##0.00"), "12.50");
    EXPECT_EQ(formatNumber(QString("12"), "##0.00"), "12.00");
    EXPECT_EQ(formatNumber(QString("3.456"), "##0.00"), "3.46");
    EXPECT_EQ(formatNumber(QString(".5"), "##0.00"), "0.50");
    EXPECT_EQ(formatNumber(QString("-0.125"), "##0.00"), "-0.13");
    EXPECT_EQ(formatNumber(QString(" 7 "), "##0.00"), "7.00");
    EXPECT_EQ(formatNumber(QString("1234567"), "##0.00"), "1234567.00");
    EXPECT_EQ(formatNumber(1.005, "##0.00"), "1.01");
    EXPECT_EQ(formatNumber(0.995, "##0.00"), "1.00");
    EXPECT_EQ(formatNumber(99.999, "##0.00"), "100.00");
    // A negative value that rounds to nothing shows no sign.
    EXPECT_EQ(formatNumber(-0.001, "##0.00"), "0.00");
}

TEST(FormatsTest, OneOrTwoDecimalPatternDropsOnlyTheOptionalZero) {
    EXPECT_EQ(formatNumber(QString("3"), "##0.0#"), "3.0");
    EXPECT_EQ(formatNumber(QString("3.456"), "##0.0#"), "3.46");
    EXPECT_EQ(formatNumber(QString("3.4"), "##0.0#"), "3.4");
    EXPECT_EQ(formatNumber(QString("3.50"), "##0.0#"), "3.5");
    EXPECT_EQ(formatNumber(QString("-2.999"), "##0.0#"), "-3.0");
}

TEST(FormatsTest, TextThatIsNotANumberPassesUnchanged) {
    EXPECT_EQ(formatNumber(QString(""), "##0.00"), "");
    EXPECT_EQ(formatNumber(QString("12abc"), "##0.00"), "12abc");
    EXPECT_EQ(formatNumber(QString("-"), "##0.00"), "-");
    EXPECT_EQ(formatNumber(QString("1,2,3"), "##0.0#"), "1,2,3");
}

TEST(FormatsTest, LeadingNumberReadsAsFarAsTheTextIsNumeric) {
    EXPECT_DOUBLE_EQ(leadingNumber("12abc"), 12);
    EXPECT_DOUBLE_EQ(leadingNumber("abc"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber(""), 0);
    EXPECT_DOUBLE_EQ(leadingNumber(" 21.5 deg"), 21.5);
    EXPECT_DOUBLE_EQ(leadingNumber("-3.25x"), -3.25);
    EXPECT_DOUBLE_EQ(leadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(leadingNumber("1,5"), 1);
    EXPECT_DOUBLE_EQ(leadingNumber("2e3m"), 2000);
    EXPECT_DOUBLE_EQ(leadingNumber("2e"), 2);
    EXPECT_DOUBLE_EQ(leadingNumber("-"), 0);
    EXPECT_THROW(leadingNumber("1e999"), DbError);
}

TEST(FormatsTest, StrictNumberNeedsTheWholeText) {
    EXPECT_EQ(strictNumber("12.25"), 12.25);
    EXPECT_EQ(strictNumber(" -0.5 "), -0.5);
    EXPECT_EQ(strictNumber("+1e2"), 100);
    EXPECT_EQ(strictNumber("12abc"), std::nullopt);
    EXPECT_EQ(strictNumber(""), std::nullopt);
    EXPECT_EQ(strictNumber("-"), std::nullopt);
    EXPECT_EQ(strictNumber("."), std::nullopt);
    EXPECT_EQ(strictNumber("inf"), std::nullopt);
    EXPECT_EQ(strictNumber("1e999"), std::nullopt);
    EXPECT_TRUE(isNumericText("120521001"));
    EXPECT_FALSE(isNumericText("12052100A"));
}

TEST(FormatsTest, CommaLocaleReadsBothDecimalPointsAndFormatsWithAPoint) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(strictNumber("1,5"), 1.5);
    EXPECT_EQ(strictNumber("1.5"), 1.5);
    EXPECT_EQ(strictNumber("1.500,5"), std::nullopt);
    EXPECT_EQ(formatNumber(QString("2,5"), "##0.00"), "2.50");
    QLocale::setDefault(previous);
}

TEST(FormatsTest, ToNumberFailsWithTypeMismatch) {
    EXPECT_DOUBLE_EQ(toNumber("4.5"), 4.5);
    try {
        toNumber("");
        FAIL() << "empty text converted";
    } catch (const DbError& error) {
        EXPECT_EQ(error.number(), ErrorCode::TypeMismatch);
        EXPECT_EQ(error.description(), "Type mismatch");
    }
}

TEST(FormatsTest, NumberProblemSaysWhyATextIsNoNumberToStore) {
    EXPECT_EQ(numberProblem(" -12.5 ", 100, 24), "");
    EXPECT_EQ(numberProblem("100", 100, 24), "");
    EXPECT_EQ(numberProblem("100.5", 100, 24), "it lies outside -100 to 100");
    EXPECT_EQ(numberProblem("-1e400", 100, 24), "it lies outside -100 to 100");
    for (const QString& text : QStringList{"nan", "NaN", "inf", "-Infinity"}) {
        EXPECT_EQ(numberProblem(text, 100, 24), "it is not a finite number") << text.toStdString();
    }
    for (const QString& text : QStringList{"", "1-2", "1.2.3", "12abc"}) {
        EXPECT_EQ(numberProblem(text, 100, 24), "it is not a number") << text.toStdString();
    }
    EXPECT_EQ(numberProblem("0.00001", 100, 6),
              "it is 7 characters long, and a value has at most 6");
}

TEST(FormatsTest, RoundHalfEvenDecidesHalvesOnTheDecimalFigure) {
    EXPECT_DOUBLE_EQ(roundHalfEven(1.25, 1), 1.2);
    EXPECT_DOUBLE_EQ(roundHalfEven(1.35, 1), 1.4);
    EXPECT_DOUBLE_EQ(roundHalfEven(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(roundHalfEven(-0.456, 2), -0.46);
    EXPECT_DOUBLE_EQ(roundHalfEven(-0.125, 2), -0.12);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.5, 0), 0);
    EXPECT_DOUBLE_EQ(roundHalfEven(1.5, 0), 2);
    EXPECT_DOUBLE_EQ(roundHalfEven(2.5, 0), 2);
    EXPECT_DOUBLE_EQ(roundHalfEven(126.4, 0), 126);
    EXPECT_DOUBLE_EQ(roundHalfEven(9.96, 1), 10);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.004, 2), 0);
    EXPECT_DOUBLE_EQ(roundHalfEven(1e20, 2), 1e20);
}
