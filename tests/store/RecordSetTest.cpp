#include "store/RecordSet.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "support/ServerDatabase.h"

#include <gtest/gtest.h>

namespace {
class RecordSetTest : public EngineDbTest {
protected:
    void prepare() override {
        for (const char* id : {"120521003", "120521001", "120531002"}) {
            db.execute("INSERT INTO Sensors (InstrumentID, SensorType, Level) VALUES (?, ?, ?)",
                       {QString(id), QString(id).mid(4, 2), QString("L1")});
        }
    }
};
} // namespace

INSTANTIATE_ON_BOTH_ENGINES(RecordSetTest);

TEST_P(RecordSetTest, PositionsAndMovesFollowTheStatementsOrder) {
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

TEST_P(RecordSetTest, BookmarksSurviveRequeryAndAdditions) {
    RecordSet rs(db, "Sensors", {}, {}, "InstrumentID");
    rs.moveLast();
    const qint64 mark = rs.bookmark();
    db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('120511001')");
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_EQ(rs.text("InstrumentID"), "120511001");
    rs.setBookmark(mark);
    EXPECT_EQ(rs.text("InstrumentID"), "120531002");
    EXPECT_EQ(rs.absolutePosition(), 4);
}

TEST_P(RecordSetTest, FindSearchesForwardAndAMissLeavesEof) {
    RecordSet rs(db, "Sensors", {}, {}, "InstrumentID");
    rs.moveLast();
    EXPECT_FALSE(rs.find("InstrumentID", "120521001"));
    EXPECT_TRUE(rs.eof());
    rs.moveFirst();
    EXPECT_TRUE(rs.find("instrumentID", "120521003"));
    EXPECT_EQ(rs.absolutePosition(), 2);
    // A quote in the value is bound, not pasted.
    rs.moveFirst();
    EXPECT_FALSE(rs.find("InstrumentID", "x' OR '1'='1"));
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.lookup("InstrumentID", "120531002"), rs.lookup("InstrumentID", "120531002"));
    EXPECT_NE(rs.lookup("InstrumentID", "120531002"), 0);
    EXPECT_EQ(rs.lookup("InstrumentID", "999999999"), 0);
}

TEST_P(RecordSetTest, FilterNarrowsAndRemovalRestores) {
    db.execute("UPDATE Sensors SET Level = ? WHERE InstrumentID = '120531002'",
               {QString("O'Brien 4")});
    RecordSet rs(db, "Sensors", {}, {}, "InstrumentID");
    rs.setFilter({{"Level", "=", QString("O'Brien 4")}});
    EXPECT_TRUE(rs.filtered());
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.text("InstrumentID"), "120531002");
    rs.setFilter({{"SensorType", "=", QString("21")}, {"InstrumentID", ">", QString("120521001")}});
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.text("InstrumentID"), "120521003");
    rs.setFilter({{"SensorType", "=", QString("99")}});
    EXPECT_TRUE(rs.bof() && rs.eof());
    rs.removeFilter();
    EXPECT_EQ(rs.recordCount(), 3);
    EXPECT_THROW(rs.setFilter({{"Level", "; DROP TABLE Sensors", 1}}), DbError);
    EXPECT_THROW(rs.setFilter({{"NoSuchColumn", "=", 1}}), DbError);
}

TEST_P(RecordSetTest, EditsAreWrittenThroughAndNullsReadAsEmptyText) {
    RecordSet rs(db, "Sensors", {}, {}, "InstrumentID");
    EXPECT_TRUE(rs.value("Borehole").isNull());
    EXPECT_EQ(rs.text("Borehole"), "");
    rs.setValue("borehole", "BH-7");
    EXPECT_EQ(rs.text("Borehole"), "BH-7");
    rs.moveNext(); // moving off an edited row writes it
    EXPECT_EQ(db.scalar("SELECT Borehole FROM Sensors WHERE InstrumentID = '120521001'").toString(),
              "BH-7");

    rs.addNew();
    rs.setValue("InstrumentID", "120541004");
    rs.update();
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_EQ(rs.absolutePosition(), 4);
    EXPECT_EQ(rs.text("InstrumentID"), "120541004");

    rs.setAbsolutePosition(2);
    rs.deleteCurrent();
    EXPECT_EQ(rs.recordCount(), 3);
    EXPECT_THROW(rs.value("InstrumentID"), DbError);
    rs.moveNext();
    EXPECT_EQ(rs.text("InstrumentID"), "120531002");
    EXPECT_EQ(db.scalar("SELECT count(*) FROM Sensors").toInt(), 3);
    EXPECT_THROW(rs.setAbsolutePosition(9), DbError);
    EXPECT_THROW(rs.value("NoSuchColumn"), DbError);
}

TEST_P(RecordSetTest, DeletingTheLastRowThenMovingNextReachesEof) {
    RecordSet rs(db, "Sensors", {}, {}, "InstrumentID");
    rs.moveLast();
    rs.deleteCurrent();
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    rs.moveFirst();
    rs.deleteCurrent();
    rs.moveFirst();
    rs.deleteCurrent();
    rs.moveFirst();
    EXPECT_TRUE(rs.bof() && rs.eof());
    EXPECT_EQ(rs.recordCount(), 0);
}

TEST_P(RecordSetTest, TextsOfAColumnFollowTheSetsOrderAndFilter) {
    RecordSet rs(db, "Sensors", {}, {}, "InstrumentID DESC");
    EXPECT_EQ(rs.texts("instrumentid"), (QStringList{"120531002", "120521003", "120521001"}));
    EXPECT_EQ(rs.texts("Borehole"), (QStringList{"", "", ""}));
    rs.setFilter({{"SensorType", "=", QString("21")}});
    EXPECT_EQ(rs.texts("InstrumentID"), (QStringList{"120521003", "120521001"}));
    EXPECT_THROW(rs.texts("NoSuchColumn"), DbError);
    rs.close();
    EXPECT_THROW(rs.texts("InstrumentID"), DbError);
}

TEST_P(RecordSetTest, StoringValuesTheRowHoldsWritesNothing) {
    db.execute("UPDATE Sensors SET Recess = 0.25, Plate = 1, Borehole = 'BH-1'");
    RecordSet rs(db, "Sensors", {}, {}, "InstrumentID");
    // What the rows went through: SQLite counts the changes, the server gives every version of
    // a row a new transaction id.
    const auto changes = [&] {
        return db
            .scalar(onServer() ? "SELECT string_agg(xmin::text, ',' ORDER BY rowid) FROM Sensors"
                               : "SELECT total_changes()")
            .toString();
    };
    const QString before = changes();
    rs.setValue("Borehole", "BH-1");
    rs.setValue("Plate", 1);
    rs.setValue("Recess", 0.25);
    rs.setValue("Notes", QVariant());
    rs.update();
    rs.setValue("Plate", true);
    rs.moveNext();
    EXPECT_EQ(changes(), before);

    // An empty text is not a null; a changed value is written with the unchanged ones kept.
    rs.setValue("Notes", "");
    rs.setValue("Borehole", "BH-1");
    rs.update();
    EXPECT_NE(changes(), before);
    EXPECT_FALSE(db.scalar("SELECT Notes FROM Sensors WHERE InstrumentID = '120521003'").isNull());

    // A value changed behind the set's back is compared as it is now, and put back.
    db.execute("UPDATE Sensors SET Borehole = 'BH-9' WHERE InstrumentID = '120521003'");
    rs.setValue("Borehole", "BH-1");
    rs.update();
    EXPECT_EQ(db.scalar("SELECT Borehole FROM Sensors WHERE InstrumentID = '120521003'").toString(),
              "BH-1");
}
