#include "site/PositionImport.h"
#include "site/SiteTables.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "support/MainWindowFixture.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kA = QStringLiteral("120521001");
const QString kB = QStringLiteral("120531002");
const QString kC = QStringLiteral("120521003");

TEST(PositionFileTest, TakesGoodLinesAndRefusesEachBadOneWithItsReason) {
    const QSet<QString> known{kA, kB, kC};
    const PositionFile file = parsePositions(
        QString(QChar(0xFEFF)) + QStringLiteral("InstrumentID,Easting,Northing,Elevation\r\n"
                                                "120521001, 15230.25 ,80112.5,-1040.2\r\n"
                                                "\r\n"
                                                "120531002,15300,80100,\r\n"
                                                "120521003,15 300,80100,-1040\n"
                                                "120521003,15300,north,-1040\n"
                                                "120521003,15300,80100,-1040,extra\n"
                                                "120521003,15300\n"
                                                "999999999,1,2,3\n"
                                                "120521001,1,2,3\n"
                                                "120521003,nan,2,3\n"),
        known);
    ASSERT_EQ(file.taken.size(), 2);
    EXPECT_EQ(file.taken[0].instrumentId, kA);
    EXPECT_EQ(file.taken[0].line, 2);
    EXPECT_DOUBLE_EQ(file.taken[0].position.easting, 15230.25);
    EXPECT_DOUBLE_EQ(file.taken[0].position.northing, 80112.5);
    EXPECT_DOUBLE_EQ(*file.taken[0].position.elevation, -1040.2);
    // An empty elevation is no elevation.
    EXPECT_EQ(file.taken[1].instrumentId, kB);
    EXPECT_FALSE(file.taken[1].position.elevation);

    QStringList refused;
    for (const RefusedLine& r : file.refused) {
        refused << QStringLiteral("%1: %2").arg(r.line).arg(r.reason);
    }
    EXPECT_EQ(
        refused,
        (QStringList{"5: Easting '15 300' is not a number", "6: Northing 'north' is not a number",
                     "7: wants InstrumentID,Easting,Northing,Elevation, not 5 fields",
                     "8: wants InstrumentID,Easting,Northing,Elevation, not 2 fields",
                     "9: sensor '999999999' is not in the register",
                     "10: sensor 120521001 was given already on line 2",
                     "11: Easting 'nan' is not a number"}));

    // Without a heading the first line is a sensor's.
    const PositionFile bare = parsePositions("120521003,1,2,3", known);
    ASSERT_EQ(bare.taken.size(), 1);
    EXPECT_EQ(bare.taken[0].line, 1);
}

class PositionImportTest : public OnBothEngines<MainWindowTest> {
protected:
    void SetUp() override {
        OnBothEngines<MainWindowTest>::SetUp();
        if (IsSkipped()) {
            return;
        }
        addSensors({kA, kB, kC});
        db.open(location());
    }

    QString writeFile(const QString& text) {
        const QString name = path("positions.csv");
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
        return name;
    }

    Connection db;
};

TEST_P(PositionImportTest, StoresTheLinesTakenAndReplacesEarlierPositions) {
    // No table yet: no positions, and no failure.
    EXPECT_TRUE(readPositions(db).isEmpty());
    EXPECT_FALSE(readPosition(db, kA));
    storePosition(db, kC, SensorPosition{1, 2, 3});

    const PositionImportResult result = importPositions(
        db, writeFile("InstrumentID,Easting,Northing,Elevation\n120521001,100.5,200.25,-30\n"
                      "120531002,1e3,2e3,\n120521003,x,1,1\n777777777,1,1,1\n"));
    EXPECT_EQ(result.summary(), "positions.csv: 2 lines taken, 2 refused\n"
                                "line 4: Easting 'x' is not a number\n"
                                "line 5: sensor '777777777' is not in the register");
    const QHash<QString, SensorPosition> stored = readPositions(db);
    ASSERT_EQ(stored.size(), 3);
    EXPECT_DOUBLE_EQ(stored[kA].easting, 100.5);
    EXPECT_DOUBLE_EQ(stored[kA].northing, 200.25);
    EXPECT_DOUBLE_EQ(*stored[kA].elevation, -30);
    EXPECT_DOUBLE_EQ(stored[kB].easting, 1000);
    EXPECT_FALSE(stored[kB].elevation);
    // A refused line leaves the sensor's position as it was.
    EXPECT_DOUBLE_EQ(stored[kC].easting, 1);

    // A second file replaces; removing a position leaves the others.
    importPositions(db, writeFile("120521001,5,6,7\n"));
    EXPECT_DOUBLE_EQ(readPosition(db, kA)->easting, 5);
    storePosition(db, kA, std::nullopt);
    EXPECT_FALSE(readPosition(db, kA));
    EXPECT_EQ(readPositions(db).size(), 2);
}

TEST_P(PositionImportTest, AFailureStoresNoLineOfTheFile) {
    storePosition(db, kA, SensorPosition{1, 1, std::nullopt});
    // A sensor's row whose insert the database refuses, after a good line was written: the
    // whole file is rolled back.
    exec(onServer() ? "ALTER TABLE SensorPositions ADD CONSTRAINT small CHECK (Easting < 1e6)"
                    : "CREATE TRIGGER small BEFORE INSERT ON SensorPositions WHEN NEW.Easting "
                      ">= 1e6 BEGIN SELECT RAISE(ABORT, 'too far'); END");
    EXPECT_THROW(importPositions(db, writeFile("120531002,5,6,7\n120521003,5e6,6,7\n")), DbError);
    EXPECT_FALSE(readPosition(db, kB));
    EXPECT_FALSE(readPosition(db, kC));
    EXPECT_DOUBLE_EQ(readPosition(db, kA)->easting, 1);

    try {
        importPositions(db, path("missing.csv"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), ErrorCode::FileNotFound);
        EXPECT_TRUE(e.description().startsWith("The positions file " + path("missing.csv")));
    }
}

INSTANTIATE_ON_BOTH_ENGINES(PositionImportTest);

} // namespace
