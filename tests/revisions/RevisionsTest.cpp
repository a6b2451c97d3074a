#include "revisions/Revisions.h"

#include <gtest/gtest.h>

namespace {

const QStringList kDates{"2026-01-01 10:00:00", "2026-01-02 10:00:00", "2026-01-03 10:00:00",
                         "2026-01-04 10:00:00"};

SensorRevision revision(qint64 id, const QString& from, RevisionKind kind, int node = 0,
                        RevisionNodes offsets = {}) {
    SensorRevision r;
    r.id = id;
    r.fromDate = from;
    r.kind = kind;
    r.node = node;
    r.offsets = offsets;
    return r;
}

std::vector<RevisionNodes> rows(const std::vector<std::vector<double>>& values) {
    std::vector<RevisionNodes> out;
    for (const auto& row : values) {
        RevisionNodes nodes{};
        for (std::size_t n = 0; n < row.size(); ++n) {
            nodes[n] = row[n];
        }
        out.push_back(nodes);
    }
    return out;
}

// Compares the first `nodes` nodes of every row; NAN in expected stands for no value.
void expectRows(const std::vector<RevisionNodes>& actual,
                const std::vector<std::vector<double>>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
        for (std::size_t n = 0; n < expected[r].size(); ++n) {
            SCOPED_TRACE(testing::Message() << "row " << r << " node " << n + 1);
            if (std::isnan(expected[r][n])) {
                EXPECT_FALSE(actual[r][n].has_value());
            } else {
                ASSERT_TRUE(actual[r][n].has_value());
                EXPECT_NEAR(*actual[r][n], expected[r][n], 1e-9);
            }
        }
    }
}

// A collar-head sensor of three nodes (the deepest plots 0): its readout was changed before
// the third reading, which jumps by 5.0 and 2.0 mm.
const std::vector<std::vector<double>> kCollar{
    {0, 0, 0}, {1.0, 0.5, 0}, {6.0, 2.5, 0}, {6.4, 2.7, 0}};
// A toe-head sensor of two nodes with the same jump.
const std::vector<std::vector<double>> kToe{{0, 0}, {1.0, 0.5}, {6.0, 2.5}, {6.4, 2.7}};

TEST(ReviseDisplacementsTest, WithoutRevisionsTheRowsComeBackAsComputed) {
    const auto disp = rows(kCollar);
    EXPECT_EQ(reviseDisplacements(kDates, disp, {}, 3, true), disp);
}

TEST(ReviseDisplacementsTest, AComputedOffsetCarriesEachNodeOnFromTheReadingBefore) {
    const QList<SensorRevision> offset{revision(1, kDates[2], RevisionKind::Offset)};
    expectRows(reviseDisplacements(kDates, rows(kCollar), offset, 3, true),
               {{0, 0, 0}, {1.0, 0.5, 0}, {1.0, 0.5, 0}, {1.4, 0.7, 0}});
    expectRows(reviseDisplacements(kDates, rows(kToe), offset, 2, false),
               {{0, 0}, {1.0, 0.5}, {1.0, 0.5}, {1.4, 0.7}});
    // Dated between two readings, it starts at the first reading after its date.
    const QList<SensorRevision> between{revision(1, "2026-01-02 18:00:00", RevisionKind::Offset)};
    expectRows(reviseDisplacements(kDates, rows(kToe), between, 2, false),
               {{0, 0}, {1.0, 0.5}, {1.0, 0.5}, {1.4, 0.7}});
}

TEST(ReviseDisplacementsTest, TypedOffsetsAreAddedFromTheRevisionOnAndAddUp) {
    RevisionNodes typed{};
    typed[0] = -4.5;
    typed[1] = -1.5;
    const QList<SensorRevision> once{revision(1, kDates[2], RevisionKind::Offset, 0, typed)};
    expectRows(reviseDisplacements(kDates, rows(kToe), once, 2, false),
               {{0, 0}, {1.0, 0.5}, {1.5, 1.0}, {1.9, 1.2}});
    // One node's offset leaves the others; a second one adds to the first.
    RevisionNodes second{};
    second[1] = 0.25;
    const QList<SensorRevision> twice{once.first(),
                                      revision(2, kDates[3], RevisionKind::Offset, 2, second)};
    expectRows(reviseDisplacements(kDates, rows(kToe), twice, 2, false),
               {{0, 0}, {1.0, 0.5}, {1.5, 1.0}, {1.9, 1.45}});
}

TEST(ReviseDisplacementsTest, AComputedOffsetAfterAnotherCarriesOnTheRevisedValues) {
    // A second readout change before the fourth reading, which jumps by 3.0 and 3.0 mm more.
    const auto disp = rows({{0, 0}, {1.0, 0.5}, {6.0, 2.5}, {9.4, 5.7}});
    const QList<SensorRevision> both{revision(1, kDates[2], RevisionKind::Offset),
                                     revision(2, kDates[3], RevisionKind::Offset)};
    expectRows(reviseDisplacements(kDates, disp, both, 2, false),
               {{0, 0}, {1.0, 0.5}, {1.0, 0.5}, {1.0, 0.5}});
}

TEST(ReviseDisplacementsTest, ARezeroStartsAtZeroUnlessShownSinceInstallation) {
    const QList<SensorRevision> rezero{revision(1, kDates[2], RevisionKind::Rezero)};
    expectRows(reviseDisplacements(kDates, rows(kCollar), rezero, 3, true),
               {{0, 0, 0}, {1.0, 0.5, 0}, {0, 0, 0}, {0.4, 0.2, 0}});
    expectRows(reviseDisplacements(kDates, rows(kToe), rezero, 2, false),
               {{0, 0}, {1.0, 0.5}, {0, 0}, {0.4, 0.2}});
    EXPECT_EQ(
        reviseDisplacements(kDates, rows(kToe), rezero, 2, false, RezeroView::SinceInstallation),
        rows(kToe));
    // One node only.
    const QList<SensorRevision> node2{revision(1, kDates[2], RevisionKind::Rezero, 2)};
    expectRows(reviseDisplacements(kDates, rows(kToe), node2, 2, false),
               {{0, 0}, {1.0, 0.5}, {6.0, 0}, {6.4, 0.2}});
}

TEST(ReviseDisplacementsTest, ALostNodeHasNoValueFromItOnAndTheDeepestCollarNodeTakesAll) {
    const QList<SensorRevision> toeLost{revision(1, kDates[2], RevisionKind::NodeLost, 2)};
    expectRows(reviseDisplacements(kDates, rows(kToe), toeLost, 2, false),
               {{0, 0}, {1.0, 0.5}, {6.0, NAN}, {6.4, NAN}});
    const QList<SensorRevision> collarMiddle{revision(1, kDates[3], RevisionKind::NodeLost, 2)};
    expectRows(reviseDisplacements(kDates, rows(kCollar), collarMiddle, 3, true),
               {{0, 0, 0}, {1.0, 0.5, 0}, {6.0, 2.5, 0}, {6.4, NAN, 0}});
    // Every collar node is measured against the deepest one.
    const QList<SensorRevision> collarDeepest{revision(1, kDates[3], RevisionKind::NodeLost, 3)};
    expectRows(reviseDisplacements(kDates, rows(kCollar), collarDeepest, 3, true),
               {{0, 0, 0}, {1.0, 0.5, 0}, {6.0, 2.5, 0}, {NAN, NAN, NAN}});
}

TEST(ReviseDisplacementsTest, ARevisionWithoutAReadingOnOneSideChangesNothingYet) {
    const QList<SensorRevision> later{revision(1, "2026-02-01 00:00:00", RevisionKind::Offset)};
    EXPECT_EQ(reviseDisplacements(kDates, rows(kToe), later, 2, false), rows(kToe));
    // Typed offsets kept for readings to come apply as they arrive.
    RevisionNodes typed{};
    typed[0] = 2.0;
    const QList<SensorRevision> kept{
        revision(1, "2026-01-05 00:00:00", RevisionKind::Offset, 1, typed)};
    QStringList dates = kDates;
    dates << "2026-01-05 10:00:00";
    expectRows(
        reviseDisplacements(dates, rows({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}), kept, 2, false),
        {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {6, 4}});
}

TEST(SupersessionTest, ALaterEntryOnTheSameReadingAndNodeReplacesTheEarlier) {
    RevisionNodes wrong{};
    wrong[0] = 10.0;
    wrong[1] = 10.0;
    const QList<SensorRevision> entries{
        revision(1, kDates[2], RevisionKind::Offset, 0, wrong),
        revision(2, kDates[2], RevisionKind::Offset), // the correction: computed
        revision(3, kDates[1], RevisionKind::NodeLost, 1),
        revision(4, kDates[1], RevisionKind::NodeLost, 2), // another node: both stand
        revision(5, kDates[3], RevisionKind::Rezero, 1),
        revision(6, kDates[3], RevisionKind::Offset, 0), // every node: replaces node 1's
    };
    const QHash<qint64, qint64> replaced = supersededBy(entries);
    EXPECT_EQ(replaced, (QHash<qint64, qint64>{{1, 2}, {5, 6}}));
    QList<qint64> inForce;
    for (const SensorRevision& r : effectiveRevisions(entries)) {
        inForce << r.id;
    }
    EXPECT_EQ(inForce, (QList<qint64>{3, 4, 2, 6}));
    expectRows(reviseDisplacements(kDates, rows(kToe), entries.mid(0, 2), 2, false),
               {{0, 0}, {1.0, 0.5}, {1.0, 0.5}, {1.4, 0.7}});
}

TEST(SupersessionTest, KindsReadBackFromTheirWords) {
    for (const RevisionKind kind :
         {RevisionKind::Offset, RevisionKind::Rezero, RevisionKind::NodeLost}) {
        EXPECT_EQ(revisionKindOf(revisionKindWord(kind)), kind);
        EXPECT_EQ(revisionKindOf(revisionKindShown(kind)), kind);
    }
    EXPECT_EQ(revisionKindShown(RevisionKind::NodeLost), "node lost");
    EXPECT_FALSE(revisionKindOf("repair").has_value());
}

} // namespace
