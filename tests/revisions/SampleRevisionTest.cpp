#include "charts/Geometry.h"
#include "charts/GraphBatch.h"
#include "revisions/RevisionStore.h"
#include "store/Connection.h"
#include "store/EngineSql.h"
#include "support/TempDataFolder.h"
#include "tools/SampleData.h"
#include "triggers/SiteStatus.h"

#include <gtest/gtest.h>

namespace {

// The sample register's repaired sensor: its readout was replaced part way through its record,
// and an offset revision was entered from the first reading after.
class SampleRevisionTest : public TempDataFolderTest {
protected:
    SampleRevisionTest() {
        options.end = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
        options.days = 120;
        options.readingsPerDay = 2;
        options.hourlySensors = 1;
    }

    SampleOptions options;
};

} // namespace

TEST_F(SampleRevisionTest, TheRepairedSensorsChartCarriesOnAndTheOthersAreJudgedAsBefore) {
    const SampleSensor repaired = sampleSensors(options).last();
    ASSERT_TRUE(repaired.repairAt.isValid());
    Connection db;
    db.open(writeSampleDatabase(folder(), options));

    const QList<SensorRevision> revisions = readRevisions(db, repaired.instrumentId);
    ASSERT_EQ(revisions.size(), 1);
    EXPECT_EQ(revisions[0].kind, RevisionKind::Offset);
    EXPECT_GE(revisions[0].fromDate, repaired.repairAt.toString("yyyy-MM-dd HH:mm:ss"));
    EXPECT_EQ(readAllRevisions(db).size(), 1);

    GeometryInput input;
    input.headAtCollar = repaired.headAtCollar;
    input.recess = QString::number(repaired.recess);
    input.lengthOfCable = QString::number(repaired.lengthofCable);
    for (double node : repaired.nodeLocations) {
        input.nodeTexts << QString::number(node);
    }
    input.nodeCount = repaired.nodeCount;
    const BatchGeometry geometry{repaired.headAtCollar, repaired.nodeCount,
                                 CalcReltoRoof(input).anchors, QString::number(repaired.kval)};
    ASSERT_TRUE(GetTemporalData(db, repaired.instrumentId, geometry, errorLog()).completed);

    // The drawn readings on either side of the repair: the raw channels jump by the new
    // readout's shift, the stored displacements and the head carry on from the reading just
    // before it (not drawn), moving only by the ground and the temperature of half a day.
    const QString table = quoteName(repaired.instrumentId);
    const auto side = [&](const QString& where, const QString& column) {
        return db.scalar("SELECT " + column + " FROM " + table + where, {revisions[0].fromDate})
            .toDouble();
    };
    // The readings the time chart draws, the ones its batch writes.
    const QString before =
        " WHERE Plottemporal = 1 AND FullDate < ? ORDER BY FullDate DESC LIMIT 1";
    const QString after = " WHERE Plottemporal = 1 AND FullDate >= ? ORDER BY FullDate LIMIT 1";
    for (int n = 1; n <= repaired.nodeCount; ++n) {
        SCOPED_TRACE(n);
        const QString channel = QStringLiteral("Channel%1").arg(n);
        EXPECT_NEAR(side(after, channel) - side(before, channel), repaired.readoutShift[n - 1],
                    0.2);
        const QString disp = QStringLiteral("Disp%1").arg(n);
        EXPECT_NEAR(side(after, disp), side(before, disp), 0.1);
    }
    const QString head = QStringLiteral("zero%1").arg(repaired.nodeCount);
    EXPECT_NEAR(side(after, head), side(before, head), 0.1);

    // It moves too little to set any of the levels the sample takes from its largest movers.
    const QList<SiteStatusRow> rows = computeSiteStatus(db, options.end);
    QList<double> others;
    for (const SiteStatusRow& row : rows) {
        if (row.sensor.instrumentId == repaired.instrumentId) {
            EXPECT_EQ(row.status.state, TriggerState::Green);
            ASSERT_TRUE(row.status.maxDisp);
        } else if (row.status.maxDisp && !row.sensor.destroyed && row.sensor.setup.nodeCount > 1) {
            others << std::abs(*row.status.maxDisp);
        }
    }
    std::sort(others.begin(), others.end(), std::greater<>());
    ASSERT_GE(others.size(), 3);
    for (const SiteStatusRow& row : rows) {
        if (row.sensor.instrumentId == repaired.instrumentId) {
            EXPECT_LT(std::abs(*row.status.maxDisp), others[2]);
        }
    }
}
