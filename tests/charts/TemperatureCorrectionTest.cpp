#include "charts/TemperatureCorrection.h"
#include "charts/GraphBatch.h"
#include "charts/GraphData.h"
#include "store/Connection.h"
#include "store/EngineSql.h"
#include "store/Schema.h"
#include "support/ServerDatabase.h"

#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120541001");

TemperatureCorrection coefficients(const QList<double>& perNode) {
    return {CorrectionMode::Coefficients, perNode, kStrandExpansion};
}

} // namespace

TEST(TemperatureCorrection, HandComputedForBothModesAndNothingWithoutATemperature) {
    // Coefficients 0.05 and 0.02 mm/°C, 4 °C warmer than the reference: 0.2 and 0.08 mm less.
    NodeDisplacements disp{1.0, 2.0, std::nullopt};
    EXPECT_EQ(correctForTemperature(disp, 3, coefficients({0.05, 0.02}), 24.0, 20.0),
              Corrected::Yes);
    EXPECT_NEAR(*disp[0], 0.8, 1e-12);
    EXPECT_NEAR(*disp[1], 1.92, 1e-12);
    EXPECT_FALSE(disp[2]); // a node without a displacement stays without one

    // Free lengths 2 m and 5 m at 11.8e-6 /°C: 0.0236 and 0.059 mm/°C; 5 °C cooler adds
    // 0.118 and 0.295 mm.
    const TemperatureCorrection strand{CorrectionMode::FreeLength, {2.0, 5.0}, kStrandExpansion};
    EXPECT_NEAR(strand.mmPerDegree(1), 0.059, 1e-15);
    QList<double> list{0.0, 1.0};
    EXPECT_EQ(correctForTemperature(list, strand, 15.0, 20.0), Corrected::Yes);
    EXPECT_NEAR(list[0], 0.118, 1e-12);
    EXPECT_NEAR(list[1], 1.295, 1e-12);
    // A node beyond the values given is not corrected; a set expansion replaces the default.
    const TemperatureCorrection steel{CorrectionMode::FreeLength, {2.0}, 12e-6};
    EXPECT_NEAR(steel.mmPerDegree(0), 0.024, 1e-15);
    EXPECT_EQ(steel.mmPerDegree(1), 0.0);

    // An empty temperature channel, or a reference without one: left as it is, and told.
    EXPECT_FALSE(readingTemperature(""));
    EXPECT_FALSE(readingTemperature("  "));
    EXPECT_FALSE(readingTemperature("n/a"));
    EXPECT_EQ(readingTemperature("18.5C"), 18.5);
    list = {1.0, 1.0};
    EXPECT_EQ(correctForTemperature(list, strand, readingTemperature(""), 20.0),
              Corrected::NoTemperature);
    EXPECT_EQ(correctForTemperature(list, strand, 25.0, std::nullopt), Corrected::NoTemperature);
    EXPECT_EQ(correctForTemperature(list, TemperatureCorrection{}, 25.0, 20.0), Corrected::Off);
    EXPECT_EQ(list, (QList<double>{1.0, 1.0}));
}

TEST(TemperatureCorrection, TypedValuesAreRefusedUnlessEveryOneIsANumber) {
    const CorrectionValues ok =
        parseCorrectionValues(" 0.05, -0.01 ,0", CorrectionMode::Coefficients, 3);
    ASSERT_TRUE(ok.values);
    EXPECT_EQ(*ok.values, (QList<double>{0.05, -0.01, 0.0}));

    EXPECT_EQ(parseCorrectionValues("0.05,x", CorrectionMode::Coefficients, 3).refusal,
              "\"x\" is not a number.");
    EXPECT_EQ(parseCorrectionValues("1,2,3,4", CorrectionMode::FreeLength, 3).refusal,
              "4 values were given for 3 nodes.");
    EXPECT_EQ(parseCorrectionValues("2,-1", CorrectionMode::FreeLength, 3).refusal,
              "A free length must not be below 0 m.");
    EXPECT_FALSE(parseCorrectionValues("1,,2", CorrectionMode::FreeLength, 3).values);
    EXPECT_FALSE(checkCorrectionValue("inf", CorrectionMode::Coefficients).accepted);
    EXPECT_TRUE(checkCorrectionValue("", CorrectionMode::Coefficients).accepted);
    EXPECT_EQ(checkExpansion("11.8e-6").value, 11.8e-6);
    EXPECT_FALSE(checkExpansion("0").accepted);
    EXPECT_FALSE(checkExpansion("0.5").accepted);
}

class TemperatureCorrectionDbTest : public EngineDbTest {
protected:
    void prepare() override { createReadingsTable(db, kId); }

    void insert(const QString& fullDate, const QString& channel1, const QVariant& temperature) {
        db.execute("INSERT INTO " + quoteName(kId) +
                       " (FullDate, ReadingDate, Channel1, Channel2, ChannelT, Plottemporal, "
                       "PlotSpatial) VALUES (?, ?, ?, '30.00', ?, 1, 1)",
                   {fullDate, fullDate.left(10), channel1, temperature});
    }

    QList<std::optional<double>> disp1() {
        QList<std::optional<double>> values;
        for (const GraphRow& row : readGraphRows(db, kId, GraphVariant::Time)) {
            values << row.disp[0];
        }
        return values;
    }
};

INSTANTIATE_ON_BOTH_ENGINES(TemperatureCorrectionDbTest);

TEST_P(TemperatureCorrectionDbTest, TheChartBatchCorrectsWhatHasATemperatureAndCountsTheRest) {
    insert("2024-03-01 08:00:00", "10.00", "20");
    insert("2024-03-02 08:00:00", "12.00", "30");
    insert("2024-03-03 08:00:00", "13.00", QVariant());
    const BatchGeometry toe{false, 2, {}, "50"};

    // Off, with or without the table: today's columns.
    BatchResult result = GetTemporalData(db, kId, toe, errorLog());
    const QList<std::optional<double>> plain = disp1();
    EXPECT_EQ(plain, (QList<std::optional<double>>{0.0, 2.0, 3.0}));
    EXPECT_FALSE(result.temperatureCorrected);
    createCorrectionTable(db);
    writeTemperatureCorrection(db, kId, TemperatureCorrection{});
    GetTemporalData(db, kId, toe, errorLog());
    EXPECT_EQ(disp1(), plain);

    // 0.1 mm/°C on node 1: 10 °C warmer takes 1 mm off; the reading without a temperature
    // keeps its 3 mm and is counted.
    writeTemperatureCorrection(db, kId, coefficients({0.1}));
    EXPECT_EQ(readTemperatureCorrection(db, kId), coefficients({0.1}));
    result = GetTemporalData(db, kId, toe, errorLog());
    EXPECT_TRUE(result.temperatureCorrected);
    EXPECT_EQ(result.uncorrectedRows, 1);
    const QList<std::optional<double>> corrected = disp1();
    ASSERT_EQ(corrected.size(), 3);
    EXPECT_NEAR(corrected[1].value_or(0), 1.0, 1e-12);
    EXPECT_EQ(corrected[2], 3.0);

    // Free lengths round-trip with their expansion, and off removes the row.
    const TemperatureCorrection strand{CorrectionMode::FreeLength, {2.5, 0.0, 4.0}, 12e-6};
    writeTemperatureCorrection(db, kId, strand);
    EXPECT_EQ(readAllTemperatureCorrections(db).value(kId), strand);
    writeTemperatureCorrection(db, kId, TemperatureCorrection{});
    EXPECT_TRUE(readAllTemperatureCorrections(db).isEmpty());
}
