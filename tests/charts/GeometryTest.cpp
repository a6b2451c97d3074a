#include "charts/Geometry.h"

#include <gtest/gtest.h>

namespace {

GeometryInput installation(bool headAtCollar) {
    GeometryInput input;
    input.headAtCollar = headAtCollar;
    input.recess = "0.25";
    input.lengthOfCable = "7";
    input.nodeTexts = {"1", "3", "6", "", "", ""};
    input.nodeCount = 3;
    return input;
}

QStringList anchors(std::initializer_list<const char*> computed) {
    QStringList out;
    for (const char* text : computed) {
        out.append(text);
    }
    while (out.size() < MaxAnchors) {
        out.append(QString());
    }
    return out;
}

} // namespace

TEST(GeometryTest, HeadAtCollarAddsTheRecessToEachNode) {
    const GeometryOutput out = CalcReltoRoof(installation(true));
    EXPECT_EQ(out.head, "0.25");
    EXPECT_EQ(out.anchors, anchors({"1.25", "3.25", "6.25"}));
}

TEST(GeometryTest, HeadAtToeHangsTheAnchorsFromTheRoundedHead) {
    const GeometryOutput out = CalcReltoRoof(installation(false));
    EXPECT_EQ(out.head, "7.25");
    EXPECT_EQ(out.anchors, anchors({"6.25", "4.25", "1.25"}));

    // 7.004 + 0 shows as 7.00; the anchors start from that figure, not from 7.004.
    GeometryInput input = installation(false);
    input.recess = "";
    input.lengthOfCable = "7.004";
    input.nodeTexts = {"2.006"};
    input.nodeCount = 1;
    const GeometryOutput rounded = CalcReltoRoof(input);
    EXPECT_EQ(rounded.head, "7.00");
    EXPECT_EQ(rounded.anchors[0], "4.99");
}

TEST(GeometryTest, EmptyOrNegativeRecessShiftsTheAnchors) {
    GeometryInput input = installation(true);
    input.recess = "";
    GeometryOutput out = CalcReltoRoof(input);
    EXPECT_EQ(out.head, "");
    EXPECT_EQ(out.anchors, anchors({"1.00", "3.00", "6.00"}));

    input.recess = "-0.5";
    out = CalcReltoRoof(input);
    EXPECT_EQ(out.head, "-0.50");
    EXPECT_EQ(out.anchors, anchors({"0.50", "2.50", "5.50"}));
}

TEST(GeometryTest, NonNumericInputsLeaveOnlyTheirOwnOutputsEmpty) {
    GeometryInput input = installation(true);
    input.nodeTexts = {"1", "x", "6"};
    EXPECT_EQ(CalcReltoRoof(input).anchors, anchors({"1.25", "", "6.25"}));

    input.nodeCount = 5; // more nodes than boxes given
    EXPECT_EQ(CalcReltoRoof(input).anchors, anchors({"1.25", "", "6.25"}));

    // Without a strand length the head at the toe is unknown, and so is every anchor.
    input = installation(false);
    input.lengthOfCable = "";
    const GeometryOutput out = CalcReltoRoof(input);
    EXPECT_EQ(out.head, "");
    EXPECT_EQ(out.anchors, anchors({}));
}

TEST(GeometryTest, ToeStrandShorterThanANodeGivesANegativeDistance) {
    GeometryInput input = installation(false);
    input.lengthOfCable = "4";
    EXPECT_EQ(CalcReltoRoof(input).anchors, anchors({"3.25", "1.25", "-1.75"}));
}

TEST(GeometryTest, EightNodeSensorFillsEveryAnchorAndNothingBeyond) {
    GeometryInput input = installation(true);
    input.recess = "0";
    input.nodeTexts = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    input.nodeCount = 8;
    const GeometryOutput out = CalcReltoRoof(input);
    EXPECT_EQ(out.anchors,
              anchors({"1.00", "2.00", "3.00", "4.00", "5.00", "6.00", "7.00", "8.00"}));

    input.nodeCount = 1;
    EXPECT_EQ(CalcReltoRoof(input).anchors, anchors({"1.00"}));
}
