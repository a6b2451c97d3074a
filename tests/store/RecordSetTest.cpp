#include "store/Connection.h"
#include "store/DbError.h"
#include "store/RecordSet.h"
#include "store/Schema.h"
#include "support/TempDataFolder.h"

#include <gtest/gtest.h>

namespace {
class RecordSetTest : public TempDataFolderTest {
protected:
    void SetUp() override {
        createDatabaseFile(path("db.mdb"));
        db.open(path("db.mdb"));
        for (const char* id : {"120521003", "120521001", "120531002"}) {
            db.execute("INSERT INTO Sensors (InstrumentID, SensorType, Level) VALUES (?, ?, ?)",
                       {QString(id), QString(id).mid(4, 2), QString("L1")});
        }
    }
    Connection db;
};
} // namespace

TEST_F(RecordSetTest, PositionsAndMovesFollowTheStatementsOrder) {
    RecordSet rs(db, "Sensors", {}, {}, "InstrumentID DESC");
    ASSERT_EQ(rs.recordCount(), 3);
    EXPECT_FALSE(rs.bof());
    EXPECT_EQ(rs.absolutePosition(), 1);
    EXPECT_EQ(rs.text("instrumentid"), "120531002");
    rs.moveLast();
    EXPECT_EQ(rs.text("InstrumentID"), "120521001");
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.absolutePosition(), 0);
    EXPECT_THROW(rs.moveNext(), DbError);
    rs.setAbsolutePosition(2);
    EXPECT_EQ(rs.text("InstrumentId"), "120521003");
    rs.movePrevious();
    rs.movePrevious();
    EXPECT_TRUE(rs.bof());
    EXPECT_THROW(rs.value("InstrumentID"), DbError);
}
