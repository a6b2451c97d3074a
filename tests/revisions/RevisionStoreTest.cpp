#include "revisions/RevisionStore.h"

#include "charts/GraphBatch.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EngineSql.h"
#include "store/RegisterCopy.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ServerDatabase.h"
#include "triggers/SiteStatus.h"
#include "triggers/TriggerEvents.h"
#include "triggers/TriggerLevels.h"

#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120541001"); // three nodes, head at the toe

QDateTime day(int d, int hour = 8) {
    return QDateTime(QDate(2026, 11, d), QTime(hour, 0), Qt::UTC);
}

// A register with the sensor and its levels; readings are added by the tests.
class RevisionStoreTest : public EngineDbTest {
protected:
    void prepare() override {
        createTriggerTables(db);
        createRevisionTable(db);
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, HeadLocation, Recess, "
                   "LengthofCable, NodeLocation1, NodeLocation2, NodeLocation3) VALUES (?, '41', "
                   "0, 0.25, 7, 1, 3, 4.5)",
                   {kId});
        createReadingsTable(db, kId);
        TriggerLevels levels;
        levels.amberDisp = 10;
        levels.redDisp = 20;
        writeTriggerLevels(db, kId, levels);
    }

    // A daily reading whose channels have moved by c1..c3 mm from 10, 20 and 30.
    QString add(int d, double c1, double c2, double c3, bool ticked = true) {
        const QString key = kId + day(d).toString(" yyyy/MM/dd HH:mm:ss");
        db.execute("INSERT INTO \"120541001\" (DateTimeKey, FullDate, Channel1, Channel2, "
                   "Channel3, ChannelT, Plottemporal) VALUES (?, ?, ?, ?, ?, '18', ?)",
                   {key, day(d).toString("yyyy-MM-dd HH:mm:ss"), QString::number(10 + c1, 'f', 2),
                    QString::number(20 + c2, 'f', 2), QString::number(30 + c3, 'f', 2),
                    ticked ? 1 : 0});
        return key;
    }

    // Four days; the readout was changed before the third, whose channels read 12 mm more.
    void repairedRecord() {
        add(1, 0, 0, 0);
        add(2, 1.0, 0.5, 0.2);
        add(3, 13.0, 12.5, 12.2);
        add(4, 13.4, 12.7, 12.3);
    }

    SensorRevision revise(int d, RevisionKind kind, int node = 0, QList<double> typed = {}) {
        RevisionRequest request;
        request.instrumentId = kId;
        request.from = day(d);
        request.kind = kind;
        request.node = node;
        request.typedOffsets = typed;
        request.note = "readout swapped";
        return addRevision(db, request, clock_.now(), "surveyor");
    }

    QString refusal(const RevisionRequest& request) {
        try {
            addRevision(db, request, clock_.now(), "surveyor");
        } catch (const RevisionRefused& refused) {
            return refused.reason();
        }
        return {};
    }

    // Disp<node> of each reading, oldest first; -999 for null.
    QList<double> column(const QString& name) {
        QList<double> values;
        for (int d = 1; d <= 4; ++d) {
            const QVariant v =
                db.scalar("SELECT " + name + " FROM " + quoteName(kId) + " WHERE FullDate = ?",
                          {day(d).toString("yyyy-MM-dd HH:mm:ss")});
            values << (v.isNull() ? -999 : std::round(v.toDouble() * 1000) / 1000);
        }
        return values;
    }

    BatchResult timeBatch(bool loads = false) {
        const BatchGeometry geometry{false, 3, {"6.25", "4.25", "2.75"}, "50"};
        return runGraphBatch(db, kId, GraphVariant::Time, loads, geometry, errorLog());
    }

    SiteStatusRow status() { return computeSiteStatus(db, day(5), QStringList{kId}).first(); }
};

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(RevisionStoreTest);

TEST_P(RevisionStoreTest, BadRequestsAreRefusedWithTheReason) {
    RevisionRequest request;
    request.instrumentId = kId;
    request.from = day(2);
    request.kind = RevisionKind::Offset;
    EXPECT_EQ(refusal(request),
              "Sensor 120541001 has no readings: a revision starts at one of its readings.");
    add(1, 0, 0, 0);
    add(2, 1, 1, 1);

    RevisionRequest early = request;
    early.from = QDateTime(QDate(2026, 10, 31), QTime(23, 59, 59), Qt::UTC);
    EXPECT_EQ(refusal(early), "The revision is dated before the first reading of sensor "
                              "120541001 (2026/11/01 08:00:00): there is nothing to revise "
                              "before it.");
    RevisionRequest unknown = request;
    unknown.instrumentId = "999999999";
    EXPECT_EQ(refusal(unknown), "Sensor 999999999 is not in the register.");
    RevisionRequest node = request;
    node.node = 4;
    EXPECT_EQ(refusal(node), "Sensor 120541001 has nodes 1 to 3; there is no node 4.");
    RevisionRequest lost = request;
    lost.kind = RevisionKind::NodeLost;
    EXPECT_EQ(refusal(lost), "A lost node needs its number.");
    RevisionRequest rezero = request;
    rezero.kind = RevisionKind::Rezero;
    rezero.typedOffsets = {1.0};
    EXPECT_EQ(refusal(rezero), "Only an offset revision takes offsets.");
    RevisionRequest few = request;
    few.typedOffsets = {1.0, 2.0};
    EXPECT_EQ(refusal(few), "Sensor 120541001 has 3 nodes: type one offset for each, not 2.");
    EXPECT_TRUE(readRevisions(db, kId).isEmpty());
}

TEST_P(RevisionStoreTest, EntriesAreStoredAsGivenAndNeverChanged) {
    add(1, 0, 0, 0);
    const QString second = add(2, 1, 1, 1);
    const SensorRevision onReading = revise(2, RevisionKind::Offset, 2, {-1.25});
    // After the last reading: kept for the readings to come.
    const SensorRevision ahead = revise(9, RevisionKind::Rezero);

    const QList<SensorRevision> stored = readRevisions(db, kId);
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0].id, onReading.id);
    EXPECT_EQ(stored[0].fromKey, second);
    EXPECT_EQ(stored[0].fromDate, "2026-11-02 08:00:00");
    EXPECT_EQ(stored[0].node, 2);
    EXPECT_FALSE(stored[0].offsets[0].has_value());
    EXPECT_DOUBLE_EQ(stored[0].offsets[1].value_or(0), -1.25);
    EXPECT_EQ(stored[0].note, "readout swapped");
    EXPECT_EQ(stored[0].enteredBy, "surveyor");
    EXPECT_EQ(stored[0].enteredAt, "2026-12-08 09:30:00");
    EXPECT_EQ(stored[1].kind, RevisionKind::Rezero);
    EXPECT_TRUE(stored[1].fromKey.isEmpty());
    EXPECT_EQ(revisionListCells(stored[0], {{onReading.id, ahead.id}}),
              (QStringList{QString::number(onReading.id), "2026/11/02 08:00:00", "offset",
                           "node 2, -1.25 mm", "readout swapped", "surveyor", "2026/12/08 09:30:00",
                           QStringLiteral("by No. %1").arg(ahead.id)}));

    EXPECT_THROW(db.execute("UPDATE SensorRevisions SET Note = 'edited'"), DbError);
    EXPECT_THROW(db.execute("DELETE FROM SensorRevisions"), DbError);
    EXPECT_EQ(readRevisions(db, kId).size(), 2);
}

TEST_P(RevisionStoreTest, TheChartBatchStoresTheRevisedDisplacementAndLoadsFollow) {
    repairedRecord();
    timeBatch(true);
    EXPECT_EQ(column("Disp1"), (QList<double>{0, 1.0, 13.0, 13.4}));
    const QList<double> load1Before = column("Load1");

    revise(3, RevisionKind::Offset);
    timeBatch(true);
    EXPECT_EQ(column("Disp1"), (QList<double>{0, 1.0, 1.0, 1.4}));
    EXPECT_EQ(column("Disp2"), (QList<double>{0, 0.5, 0.5, 0.7}));
    EXPECT_EQ(column("Disp3"), (QList<double>{0, 0.2, 0.2, 0.3}));
    EXPECT_EQ(column("Channel1"), (QList<double>{10, 11, 23, 23.4}));
    // Loads from the revised displacements: (1.0 - 0.5) / (4.25 - 6.25) m * 50 on the third
    // reading.
    EXPECT_EQ(column("Load1").mid(0, 2), load1Before.mid(0, 2));
    EXPECT_EQ(column("Load1")[2], -12.5);

    revise(4, RevisionKind::NodeLost, 2);
    timeBatch(true);
    EXPECT_EQ(column("Disp2"), (QList<double>{0, 0.5, 0.5, -999}));
    EXPECT_EQ(column("Load1")[3], -999);
    EXPECT_EQ(column("Disp1")[3], 1.4);
}

TEST_P(RevisionStoreTest, ReZeroColumnsFollowTheChosenView) {
    repairedRecord();
    revise(3, RevisionKind::Rezero);
    timeBatch();
    EXPECT_EQ(column("Disp1"), (QList<double>{0, 1.0, 0, 0.4}));
    const BatchGeometry installed{
        false, 3, {"6.25", "4.25", "2.75"}, "50", RezeroView::SinceInstallation};
    runGraphBatch(db, kId, GraphVariant::Time, false, installed, errorLog());
    EXPECT_EQ(column("Disp1"), (QList<double>{0, 1.0, 13.0, 13.4}));
}

TEST_P(RevisionStoreTest, TheTriggerStateJudgesTheRevisedDisplacement) {
    repairedRecord();
    EXPECT_EQ(status().status.state, TriggerState::Amber);

    revise(3, RevisionKind::Offset);
    SiteStatusRow revised = status();
    EXPECT_EQ(revised.status.state, TriggerState::Green);
    EXPECT_NEAR(revised.status.maxDisp.value_or(0), 1.4, 1e-9);
    EXPECT_EQ(revised.status.maxNode, 1);

    // A lost node is not judged: node 1 moves 30 mm more, after it was lost.
    revise(4, RevisionKind::NodeLost, 1);
    const QString fifth = add(5, 43.4, 12.8, 12.3);
    revised = status();
    EXPECT_EQ(revised.status.state, TriggerState::Green);
    EXPECT_EQ(revised.status.maxNode, 2);
    EXPECT_NEAR(revised.status.maxDisp.value_or(0), 0.8, 1e-9);
    EXPECT_FALSE(detectTriggerEvent(db, kId, {fifth}, day(6), "surveyor"));
}

TEST_P(RevisionStoreTest, WithoutRevisionsTheStateIsAsBefore) {
    repairedRecord();
    const SiteStatusRow before = status();
    // An entry of another sensor changes nothing here.
    db.execute("INSERT INTO Sensors (InstrumentID, SensorType) VALUES ('120541002', '41')");
    createReadingsTable(db, "120541002");
    db.execute("INSERT INTO \"120541002\" (DateTimeKey, FullDate, Channel1) VALUES ('k', "
               "'2026-11-01 08:00:00', '1')");
    RevisionRequest other;
    other.instrumentId = "120541002";
    other.from = day(1);
    other.kind = RevisionKind::Rezero;
    addRevision(db, other, clock_.now(), "surveyor");
    const SiteStatusRow after = status();
    EXPECT_EQ(after.status.state, before.status.state);
    EXPECT_EQ(after.status.maxDisp, before.status.maxDisp);
    EXPECT_EQ(after.status.rate, before.status.rate);
}

TEST_P(RevisionStoreTest, ACopyOfTheRegisterKeepsItsRevisions) {
    repairedRecord();
    revise(3, RevisionKind::Offset, 0, {-12.0, -12.0, -12.0});
    const QString copy = path("copy.mdb");
    copyRegisterToFile(db, copy);
    Connection copied;
    copied.open(copy);
    const QList<SensorRevision> revisions = readRevisions(copied, kId);
    ASSERT_EQ(revisions.size(), 1);
    EXPECT_EQ(revisions[0].fromDate, "2026-11-03 08:00:00");
    EXPECT_DOUBLE_EQ(revisions[0].offsets[2].value_or(0), -12.0);
    // Still a list that only grows, beside a readings table of the sensor's own.
    EXPECT_THROW(copied.execute("DELETE FROM SensorRevisions"), DbError);
    EXPECT_EQ(copied.scalar("SELECT count(*) FROM " + quoteName(kId)).toInt(), 4);
}

TEST_P(RevisionStoreTest, TheChartCarriesOnFromTheReadingBeforeEvenWhenItIsNotDrawn) {
    add(1, 0, 0, 0);
    add(2, 1.0, 0.5, 0.2, false);
    add(3, 13.0, 12.5, 12.2);
    add(4, 13.4, 12.7, 12.3);
    revise(3, RevisionKind::Offset);
    const BatchResult batch = timeBatch();
    EXPECT_EQ(batch.rowsSelected, 3);
    EXPECT_EQ(batch.rowsWritten, 3);
    // The second reading gives the offset but is not drawn, so nothing is written to it.
    EXPECT_EQ(column("Disp1"), (QList<double>{0, -999, 1.0, 1.4}));
    EXPECT_EQ(logEntries(), 0);
    // The state judges the same displacement as the chart draws.
    EXPECT_NEAR(status().status.maxDisp.value_or(0), 1.4, 1e-9);
}
