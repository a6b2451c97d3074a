#include "store/Formats.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

// Plain decimals skip the locale lookup; they must read the same under any user locale.
class NumberReadingTest : public ::testing::TestWithParam<QLocale::Language> {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(GetParam())); }
    void TearDown() override { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

TEST_P(NumberReadingTest, PlainDecimalsReadAsWritten) {
    EXPECT_EQ(strictNumber("12.34"), 12.34);
    EXPECT_EQ(strictNumber("1.234"), 1.234);
    EXPECT_EQ(strictNumber("-0.5"), -0.5);
    EXPECT_EQ(strictNumber("007"), 7.0);
    EXPECT_EQ(leadingNumber("1.234"), 1.234);
    EXPECT_EQ(leadingNumber("-12.5"), -12.5);
    EXPECT_EQ(strictNumber("12."), 12.0);
    EXPECT_FALSE(strictNumber("1.2.3"));
    EXPECT_FALSE(strictNumber("-"));
    EXPECT_EQ(leadingNumber("12.5C"), 12.5);
    EXPECT_EQ(strictNumber(" 4.5 "), 4.5);
}

INSTANTIATE_TEST_SUITE_P(Locales, NumberReadingTest,
                         ::testing::Values(QLocale::English, QLocale::German, QLocale::French));

TEST(LocaleNumberTest, LocaleFormsStillRead) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(strictNumber("1,5"), 1.5);
    QLocale::setDefault(saved);
}

} // namespace
