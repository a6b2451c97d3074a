#include "charts/Loads.h"

#include "store/DbError.h"

#include <gtest/gtest.h>

TEST(LoadsTest, LoadIsTheDisplacementDifferencePerMetreTimesStiffness) {
    const LoadResult result = SetLoads({"1.25", "3.25"}, {1.0, 0.2}, 2, 50);
    ASSERT_EQ(result.loads.size(), 1);
    EXPECT_DOUBLE_EQ(result.loads[0], 20);
    EXPECT_EQ(result.loadLocations, (QStringList{"2.25", "1.625", "0", "0", "0"}));
}

TEST(LoadsTest, LocationsAreMidpointsAsShortDecimalText) {
    EXPECT_EQ(loadLocations({"2.25", "2.30", "abc", "-1.00", "4.5m", "", "9"}),
              (QStringList{"2.275", "1.15", "-0.5", "1.75", "2.25"}));
}

TEST(LoadsTest, PairCountFollowsTheNodesUpToFive) {
    const QStringList anchorTexts = {"1.00", "2.00", "3.00", "4.00",
                                     "5.00", "6.00", "7.00", "8.00"};
    const QList<double> disp = {8, 7, 6, 5, 4, 4, 2, 1};
    EXPECT_TRUE(SetLoads(anchorTexts, {0.5}, 1, 10).loads.isEmpty());
    const LoadResult eight = SetLoads(anchorTexts, disp, 8, 10);
    EXPECT_EQ(eight.loads, (QList<double>{10, 10, 10, 10, 0}));
}

TEST(LoadsTest, BadAnchorsFailTheRow) {
    try {
        SetLoads({"1.00", "1.00"}, {1, 0}, 2, 5);
        FAIL() << "equal anchors accepted";
    } catch (const DbError& error) {
        EXPECT_EQ(error.number(), ErrorCode::DivisionByZero);
        EXPECT_EQ(error.description(), "Division by zero");
    }
    // The spacing reads the whole text: "3.00m" is not a number although its location is.
    try {
        SetLoads({"1.00", "3.00m"}, {1, 0}, 2, 5);
        FAIL() << "non-numeric anchor accepted";
    } catch (const DbError& error) {
        EXPECT_EQ(error.number(), ErrorCode::TypeMismatch);
    }
    EXPECT_THROW(SetLoads({"1.00", "2.00", "3.00"}, {1, 0}, 3, 5), DbError);
}
