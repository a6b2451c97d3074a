#include "charts/Displacement.h"
#include "charts/Geometry.h"
#include "charts/GraphBatch.h"
#include "charts/GraphData.h"
#include "charts/Loads.h"
#include "charts/TemperatureCorrection.h"
#include "revisions/RevisionStore.h"
#include "store/Formats.h"
#include "support/ServerDatabase.h"
#include "tools/SampleData.h"

#include <gtest/gtest.h>

namespace {

// The chart batches over a whole sample register, whose readings hold every channel of their
// sensor from the zero reference on, against the rule of one zero reference reading for all
// channels, worked out here from the generated readings. The register has the revision table,
// empty: without revisions every column is as computed without them.
class SampleBatchTest : public EngineDbTest {
protected:
    void prepare() override {
        options.end = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
        options.days = 240;
        options.readingsPerDay = 2;
        options.hourlySensors = 1;
        createRevisionTable(db);
    }

    struct Expected {
        std::array<double, ChannelCount> zero{};
        double numTemp = 0;
        QList<double> disp;
        QList<double> loads;
    };

    static QList<Expected> expected(const SampleSensor& sensor,
                                    const QVector<SampleReading>& selection,
                                    const QStringList& anchors) {
        const QStringList& reference = selection.first().channels;
        QList<Expected> rows;
        for (const SampleReading& r : selection) {
            Expected e;
            for (int n = 0; n < ChannelCount; ++n) {
                const QString channel = r.channels.value(n);
                if (!channel.isEmpty()) {
                    e.zero[n] = toNumber(channel) - toNumber(reference.value(n));
                }
            }
            e.numTemp = r.temperature.isEmpty() ? 0.0 : leadingNumber(r.temperature);
            e.disp = SetHeadlocs(e.zero, sensor.nodeCount, sensor.headAtCollar).disp;
            e.loads = SetLoads(anchors, e.disp, sensor.nodeCount, sensor.kval).loads;
            rows << e;
        }
        return rows;
    }

    SampleOptions options;
};

TEST_P(SampleBatchTest, CompleteReadingsGiveTheColumnsOfOneReferenceReading) {
    // A register that can hold temperature corrections but sets none computes as before.
    createCorrectionTable(db);
    int readingsMissingAChannel = 0;
    for (const SampleSensor& sensor : sampleSensors(options)) {
        SCOPED_TRACE(sensor.instrumentId.toStdString());
        writeSensor(db, sensor);
        const QVector<SampleReading> readings = sampleReadings(sensor, options);
        writeReadings(db, sensor.instrumentId, readings);

        GeometryInput input;
        input.headAtCollar = sensor.headAtCollar;
        input.recess = QString::number(sensor.recess);
        input.lengthOfCable = QString::number(sensor.lengthofCable);
        for (double node : sensor.nodeLocations) {
            input.nodeTexts << QString::number(node);
        }
        input.nodeCount = sensor.nodeCount;
        const BatchGeometry geometry{sensor.headAtCollar, sensor.nodeCount,
                                     CalcReltoRoof(input).anchors, QString::number(sensor.kval)};
        const int loadCount = std::min(sensor.nodeCount - 1, MaxLoads);

        for (const GraphVariant variant : {GraphVariant::Time, GraphVariant::Length}) {
            QVector<SampleReading> selection;
            for (const SampleReading& r : readings) {
                if (variant == GraphVariant::Time ? r.plotTemporal : r.plotSpatial) {
                    selection << r;
                }
            }
            const BatchResult result =
                runGraphBatch(db, sensor.instrumentId, variant, true, geometry, errorLog());
            ASSERT_TRUE(result.completed);
            ASSERT_EQ(result.rowsWritten, selection.size());

            const QList<Expected> want = expected(sensor, selection, geometry.anchorTexts);
            const QList<GraphRow> got = readGraphRows(db, sensor.instrumentId, variant);
            ASSERT_EQ(got.size(), want.size());
            for (int i = 0; i < got.size(); ++i) {
                SCOPED_TRACE(i);
                const Expected& e = want[i];
                if (selection[i].channels.mid(0, sensor.nodeCount).contains(QString(""))) {
                    ++readingsMissingAChannel;
                }
                for (int n = 0; n < ChannelCount; ++n) {
                    ASSERT_EQ(got[i].zero[n], e.zero[n]) << "zero" << n + 1;
                }
                ASSERT_EQ(got[i].numTemp, e.numTemp);
                for (int n = 0; n < sensor.nodeCount; ++n) {
                    ASSERT_EQ(got[i].disp[n], e.disp[n]) << "Disp" << n + 1;
                }
                for (int n = sensor.nodeCount; n < MaxDispNodes; ++n) {
                    ASSERT_FALSE(got[i].disp[n]) << "Disp" << n + 1;
                }
                for (int l = 0; l < loadCount; ++l) {
                    ASSERT_EQ(got[i].load[l], e.loads[l]) << "Load" << l + 1;
                }
            }
        }
    }
    // The register's readings that missed a channel take part too.
    EXPECT_GT(readingsMissingAChannel, 0);
    EXPECT_EQ(logEntries(), 0);
}

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(SampleBatchTest);
