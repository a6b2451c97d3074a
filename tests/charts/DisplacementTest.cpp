#include "charts/Displacement.h"

#include <gtest/gtest.h>

namespace {

std::array<double, ChannelCount> zeros(std::initializer_list<double> values) {
    std::array<double, ChannelCount> out{};
    std::copy(values.begin(), values.end(), out.begin());
    return out;
}

} // namespace

TEST(DisplacementTest, OffsetsCopyTheReferenceChannelsAsTenTexts) {
    const QStringList offsets = GetOffsets({"1.00", "", "3.50"});
    ASSERT_EQ(offsets.size(), ChannelCount);
    EXPECT_EQ(offsets[0], "1.00");
    EXPECT_EQ(offsets[1], "");
    EXPECT_EQ(offsets[2], "3.50");
    EXPECT_EQ(offsets[9], "");
}

TEST(DisplacementTest, ZerosAreTheReadingMinusTheReference) {
    const QStringList reference = {"10.00", "20.00", "5.00"};
    const QStringList offsets = GetOffsets(reference);

    const ZeroResult self = SetZeros(reference, "21.5", offsets);
    EXPECT_FALSE(self.error);
    EXPECT_EQ(self.zeroCount, ChannelCount);
    EXPECT_EQ(self.zero, zeros({}));
    EXPECT_EQ(self.numTemp, 21.5);

    // A grown channel gives a positive change; an absent one gives 0, not a gap.
    const ZeroResult later = SetZeros({"12.50", "19.25", ""}, "18 deg", offsets);
    EXPECT_FALSE(later.error);
    EXPECT_DOUBLE_EQ(later.zero[0], 2.5);
    EXPECT_DOUBLE_EQ(later.zero[1], -0.75);
    EXPECT_DOUBLE_EQ(later.zero[2], 0);
    EXPECT_EQ(later.numTemp, 18);

    EXPECT_EQ(SetZeros(reference, "", offsets).numTemp, 0);
}

TEST(DisplacementTest, ChannelMissingFromTheReferenceStopsAtThatChannel) {
    const QStringList offsets = GetOffsets({"10.00", "", "5.00"});
    const ZeroResult result = SetZeros({"11.00", "4.00", "6.00"}, "20", offsets);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->number(), ErrorCode::TypeMismatch);
    EXPECT_EQ(result.error->description(), "Type mismatch");
    EXPECT_EQ(result.zeroCount, 1);
    EXPECT_DOUBLE_EQ(result.zero[0], 1);
    EXPECT_FALSE(result.numTemp);
}

TEST(DisplacementTest, HeadAtCollarIsRelativeToTheDeepestNode) {
    const HeadlocResult collar = SetHeadlocs(zeros({2.0, 1.5, 0.5}), 3, true);
    EXPECT_EQ(collar.disp, (QList<double>{-1.5, -1.0, 0.0}));
    EXPECT_FALSE(collar.writesReference);

    EXPECT_EQ(SetHeadlocs(zeros({4.0}), 1, true).disp, QList<double>{0.0});

    const HeadlocResult eight = SetHeadlocs(zeros({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), 8, true);
    ASSERT_EQ(eight.disp.size(), 8);
    EXPECT_DOUBLE_EQ(eight.disp[0], 7);
    EXPECT_DOUBLE_EQ(eight.disp[7], 0);
}

TEST(DisplacementTest, HeadAtToeTakesTheChangesAndWritesTheReference) {
    const HeadlocResult toe = SetHeadlocs(zeros({2.0, 1.5, 0.5, 9.0}), 3, false);
    EXPECT_EQ(toe.disp, (QList<double>{2.0, 1.5, 0.5}));
    EXPECT_TRUE(toe.writesReference);
}

TEST(DisplacementTest, NodeCountBeyondTheDisplacementColumnsIsRefused) {
    EXPECT_THROW(SetHeadlocs(zeros({}), 9, true), DbError);
    EXPECT_THROW(SetHeadlocs(zeros({}), -1, false), DbError);
}
