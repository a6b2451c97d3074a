#include "charts/Displacement.h"

#include <gtest/gtest.h>

namespace {

std::array<double, ChannelCount> zeros(std::initializer_list<double> values) {
    std::array<double, ChannelCount> out{};
    std::copy(values.begin(), values.end(), out.begin());
    return out;
}

} // namespace

TEST(DisplacementTest, EachChannelTakesTheEarliestReadingThatHasIt) {
    ChannelOffsets offsets = GetOffsets({"1.00", "", "3.50", "x"});
    EXPECT_EQ(offsets[0], 1.0);
    EXPECT_FALSE(offsets[1]);
    EXPECT_EQ(offsets[2], 3.5);
    EXPECT_FALSE(offsets[3]);
    EXPECT_FALSE(offsets[9]);

    takeOffsets(offsets, {"2.00", "4.25", "", "5", "", "", "", "", "", "7"});
    EXPECT_EQ(offsets[0], 1.0);
    EXPECT_EQ(offsets[1], 4.25);
    EXPECT_EQ(offsets[2], 3.5);
    EXPECT_EQ(offsets[3], 5.0);
    EXPECT_EQ(offsets[9], 7.0);
}

TEST(DisplacementTest, ZerosAreTheReadingMinusTheReference) {
    const QStringList reference = {"10.00", "20.00", "5.00"};
    const ChannelOffsets offsets = GetOffsets(reference);

    const ZeroResult self = SetZeros(reference, "21.5", offsets, 3);
    EXPECT_FALSE(self.error);
    for (int n = 0; n < ChannelCount; ++n) {
        EXPECT_EQ(self.zero[n], 0.0) << n;
    }
    EXPECT_EQ(self.numTemp, 21.5);

    // A grown channel gives a positive change; an absent one gives 0, not a gap.
    const ZeroResult later = SetZeros({"12.50", "19.25", ""}, "18 deg", offsets, 3);
    EXPECT_FALSE(later.error);
    EXPECT_EQ(later.zero[0], 2.5);
    EXPECT_EQ(later.zero[1], -0.75);
    EXPECT_EQ(later.zero[2], 0.0);
    EXPECT_EQ(later.numTemp, 18);

    EXPECT_EQ(SetZeros(reference, "", offsets, 3).numTemp, 0);
}

TEST(DisplacementTest, ChannelsAreComputedEachOnItsOwn) {
    const ChannelOffsets offsets = GetOffsets({"10.00", "", "5.00", "", "1.00"});
    // Node 2 has no reference and node 3 is not a number: the others and the temperature are
    // computed all the same; beyond the three nodes nothing is an error.
    const ZeroResult result = SetZeros({"11.00", "4.00", "six", "9", "abc", "2"}, "20", offsets, 3);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->number(), ErrorCode::TypeMismatch);
    EXPECT_EQ(result.error->description(), "Type mismatch");
    EXPECT_EQ(result.zero[0], 1.0);
    EXPECT_FALSE(result.zero[1]);
    EXPECT_FALSE(result.zero[2]);
    EXPECT_FALSE(result.zero[3]);
    EXPECT_FALSE(result.zero[4]);
    EXPECT_FALSE(result.zero[5]);
    EXPECT_EQ(result.zero[6], 0.0);
    EXPECT_EQ(result.numTemp, 20);

    const ZeroResult beyond = SetZeros({"11.00", "", "5.00", "abc"}, "20", offsets, 3);
    EXPECT_FALSE(beyond.error);
    // A node channel that no reading has has no value; one beyond the nodes changes by 0.
    EXPECT_FALSE(beyond.zero[1]);
    EXPECT_EQ(beyond.zero[7], 0.0);
}

// Three nodes, head at the collar: two readings typed with the unused channels left empty,
// then two from a logger file that fills channel 4 as well.
TEST(DisplacementTest, TypedThenLoggedReadingsHandComputed) {
    const QStringList empty(5, QString(""));
    const QList<QStringList> readings = {
        QStringList{"10.00", "20.00", "30.00"} + empty,
        QStringList{"10.50", "20.25", "30.00"} + empty,
        QStringList{"11.00", "20.50", "30.25", "4.00"},
        QStringList{"12.00", "21.00", "30.50", "4.50"},
    };
    const QStringList temperatures = {"21.5", "20.0", "19.5", "18.0"};
    ChannelOffsets offsets{};
    for (const QStringList& r : readings) {
        takeOffsets(offsets, r);
    }
    EXPECT_EQ(offsets[3], 4.0);

    struct Row {
        double zero1, zero2, zero3, zero4, disp1, disp2;
    };
    const Row table[] = {
        {0, 0, 0, 0, 0, 0},
        {0.5, 0.25, 0, 0, -0.5, -0.25},
        {1.0, 0.5, 0.25, 0, -0.75, -0.25},
        {2.0, 1.0, 0.5, 0.5, -1.5, -0.5},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const ZeroResult zeros = SetZeros(readings[i], temperatures[i], offsets, 3);
        EXPECT_FALSE(zeros.error);
        EXPECT_EQ(zeros.numTemp, temperatures[i].toDouble());
        EXPECT_EQ(zeros.zero[0], table[i].zero1);
        EXPECT_EQ(zeros.zero[1], table[i].zero2);
        EXPECT_EQ(zeros.zero[2], table[i].zero3);
        EXPECT_EQ(zeros.zero[3], table[i].zero4);
        const NodeDisplacements disp = displacementsOf(zeros.zero, 3, true);
        EXPECT_EQ(disp[0], table[i].disp1);
        EXPECT_EQ(disp[1], table[i].disp2);
        EXPECT_EQ(disp[2], 0.0);
        EXPECT_FALSE(disp[3]);
    }
}

TEST(DisplacementTest, NodeWithoutAValueHasNoDisplacement) {
    ZeroColumns zero{};
    zero[0] = 2.0;
    zero[2] = 0.5;
    // A middle node without a value leaves the others measured against the deepest.
    NodeDisplacements collar = displacementsOf(zero, 3, true);
    EXPECT_EQ(collar[0], -1.5);
    EXPECT_FALSE(collar[1]);
    EXPECT_EQ(collar[2], 0.0);
    const NodeDisplacements toe = displacementsOf(zero, 3, false);
    EXPECT_EQ(toe[0], 2.0);
    EXPECT_FALSE(toe[1]);
    EXPECT_EQ(toe[2], 0.5);

    // Without the deepest node nothing at the collar has a reference.
    zero[1] = 1.5;
    zero[2].reset();
    collar = displacementsOf(zero, 3, true);
    EXPECT_FALSE(collar[0]);
    EXPECT_FALSE(collar[1]);
    EXPECT_FALSE(collar[2]);
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
