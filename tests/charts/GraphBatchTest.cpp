#include "charts/GraphBatch.h"
#include "charts/GraphData.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EngineSql.h"
#include "store/Schema.h"
#include "support/ServerDatabase.h"

#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120541001");

// A reading as inserted: channel texts (nullptr for a null column), temperature and flags.
struct Reading {
    QString fullDate;
    std::vector<const char*> channels;
    const char* temperature = "20";
    bool temporal = true;
    bool spatial = true;
};

QVariant text(const char* value) {
    return value == nullptr ? QVariant() : QVariant(QString::fromUtf8(value));
}

class GraphBatchTest : public EngineDbTest {
protected:
    void prepare() override { createReadingsTable(db, kId); }

    qint64 insert(const Reading& reading) {
        QStringList columns = {"FullDate", "ReadingDate", "ChannelT", "Plottemporal",
                               "PlotSpatial"};
        QVariantList values = {reading.fullDate, reading.fullDate.left(10).replace('-', '/'),
                               text(reading.temperature), reading.temporal ? 1 : 0,
                               reading.spatial ? 1 : 0};
        for (size_t n = 0; n < reading.channels.size(); ++n) {
            columns << QStringLiteral("Channel%1").arg(n + 1);
            values << text(reading.channels[n]);
        }
        return insertReturningRowId(db,
                                    "INSERT INTO " + quoteName(kId) + " (" + columns.join(", ") +
                                        ") VALUES (" + QStringList(columns.size(), "?").join(", ") +
                                        ")",
                                    values);
    }

    QVariant value(qint64 rowid, const QString& column) {
        return db.scalar("SELECT " + column + " FROM " + quoteName(kId) + " WHERE rowid = ?",
                         {rowid});
    }

    void store(qint64 rowid, const QString& column, const QVariant& stored) {
        db.execute("UPDATE " + quoteName(kId) + " SET " + column + " = ? WHERE rowid = ?",
                   {stored, rowid});
    }

    static BatchGeometry geometry(bool headAtCollar, int nodeCount, QStringList anchors = {},
                                  QString kval = "50") {
        return BatchGeometry{headAtCollar, nodeCount, anchors, kval};
    }
};

TEST_P(GraphBatchTest, WorkedExampleHeadAtCollarAndAtToe) {
    const qint64 first = insert({"2024-03-01 08:00:00", {"10.00", "20.00", "30.00"}, "21.5"});
    const qint64 later = insert({"2024-03-02 08:00:00", {"12.00", "21.50", "30.50"}, "19"});

    BatchResult result = GetTemporalData(db, kId, geometry(true, 3), errorLog());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.rowsSelected, 2);
    EXPECT_EQ(result.rowsWritten, 2);
    EXPECT_EQ(value(later, "zero1").toDouble(), 2.0);
    EXPECT_EQ(value(later, "zero2").toDouble(), 1.5);
    EXPECT_EQ(value(later, "zero3").toDouble(), 0.5);
    EXPECT_EQ(value(later, "zero4").toDouble(), 0.0);
    EXPECT_EQ(value(later, "NumTemp").toDouble(), 19.0);
    EXPECT_EQ(value(later, "Disp1").toDouble(), -1.5);
    EXPECT_EQ(value(later, "Disp2").toDouble(), -1.0);
    EXPECT_EQ(value(later, "Disp3").toDouble(), 0.0);
    EXPECT_TRUE(value(later, "Disp4").isNull());
    EXPECT_TRUE(value(later, "Reference").isNull());
    EXPECT_TRUE(value(later, "Load1").isNull());
    for (const QString column : {"zero1", "zero2", "zero3", "Disp1", "Disp2", "Disp3"}) {
        EXPECT_EQ(value(first, column).toDouble(), 0.0) << column.toStdString();
    }
    EXPECT_EQ(value(first, "NumTemp").toDouble(), 21.5);

    result = GetTemporalData(db, kId, geometry(false, 3), errorLog());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(value(later, "Disp1").toDouble(), 2.0);
    EXPECT_EQ(value(later, "Disp2").toDouble(), 1.5);
    EXPECT_EQ(value(later, "Disp3").toDouble(), 0.5);
    EXPECT_EQ(value(later, "Reference").toDouble(), 0.0);
    EXPECT_FALSE(value(later, "Reference").isNull());
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(GraphBatchTest, LoadWorkedExampleAndLocations) {
    // Head at the toe, so the displacements are the changes: 1.0 and 0.2 mm.
    insert({"2024-03-01 08:00:00", {"10.00", "10.00"}});
    const qint64 later = insert({"2024-03-05 08:00:00", {"11.00", "10.20"}});

    const BatchResult result =
        GetTemporalLoadData(db, kId, geometry(false, 2, {"1.25", "3.25"}), errorLog());
    EXPECT_TRUE(result.completed);
    EXPECT_DOUBLE_EQ(value(later, "Disp1").toDouble(), 1.0);
    EXPECT_NEAR(value(later, "Disp2").toDouble(), 0.2, 1e-9);
    EXPECT_NEAR(value(later, "Load1").toDouble(), 20.0, 1e-9);
    EXPECT_TRUE(value(later, "Load2").isNull());
    ASSERT_EQ(result.loadLocations.size(), 5);
    EXPECT_EQ(result.loadLocations[0], "2.25");
}

TEST_P(GraphBatchTest, EarliestTickedReadingIsTheReferenceOfEachSelection) {
    const qint64 a = insert({"2024-01-01 08:00:00", {"5.00"}, "20", false, true});
    const qint64 b = insert({"2024-01-02 08:00:00", {"6.00"}, "20", true, false});
    const qint64 c = insert({"2024-01-03 08:00:00", {"9.00"}});

    GetTemporalData(db, kId, geometry(false, 1), errorLog());
    EXPECT_EQ(value(c, "zero1").toDouble(), 3.0);
    // A reading outside the selection is left as it was.
    EXPECT_TRUE(value(a, "zero1").isNull());
    EXPECT_TRUE(value(a, "Disp1").isNull());

    GetSpatialData(db, kId, geometry(false, 1), errorLog());
    EXPECT_EQ(value(c, "zero1").toDouble(), 4.0);
    EXPECT_EQ(value(b, "zero1").toDouble(), 0.0); // from the temporal batch, untouched since

    store(a, "Plottemporal", 1);
    GetTemporalData(db, kId, geometry(false, 1), errorLog());
    EXPECT_EQ(value(b, "zero1").toDouble(), 1.0);
    EXPECT_EQ(value(c, "Disp1").toDouble(), 4.0);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(GraphBatchTest, AbsentChannelsAndTemperatureTexts) {
    insert({"2024-01-01 08:00:00", {"1.00", "2.00", "3.00"}, "18.5"});
    const qint64 empty = insert({"2024-01-02 08:00:00", {"", "2.50", nullptr}, "21.5C"});
    const qint64 noTemp = insert({"2024-01-03 08:00:00", {"1.50", "2.00", "3.00"}, nullptr});

    GetTemporalData(db, kId, geometry(false, 3), errorLog());
    EXPECT_EQ(value(empty, "zero1").toDouble(), 0.0);
    EXPECT_EQ(value(empty, "zero2").toDouble(), 0.5);
    EXPECT_EQ(value(empty, "zero3").toDouble(), 0.0);
    EXPECT_FALSE(value(empty, "zero3").isNull());
    EXPECT_EQ(value(empty, "NumTemp").toDouble(), 21.5);
    EXPECT_EQ(value(noTemp, "NumTemp").toDouble(), 0.0);
    EXPECT_EQ(value(noTemp, "zero1").toDouble(), 0.5);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(GraphBatchTest, ChannelMissingFromTheReferenceTakesTheEarliestReadingThatHasIt) {
    const qint64 first = insert({"2024-01-01 08:00:00", {"10.00", nullptr, "30.00"}, "20"});
    const qint64 kept = insert({"2024-01-02 08:00:00", {"12.00", "21.00", "30.00"}, "22"});
    const qint64 later = insert({"2024-01-03 08:00:00", {"13.00", "22.00", "31.00"}, "23"});
    const qint64 fine = insert({"2024-01-04 08:00:00", {"14.00", "", "32.00"}, "24"});
    // Values of an earlier batch are replaced, never kept.
    store(kept, "zero2", 7.0);
    store(kept, "NumTemp", 55.0);

    const BatchResult result = GetTemporalData(db, kId, geometry(true, 3), errorLog());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.rowsWritten, 4);
    EXPECT_EQ(logEntries(), 0);

    EXPECT_EQ(value(first, "zero2").toDouble(), 0.0);
    EXPECT_FALSE(value(first, "zero2").isNull());
    EXPECT_EQ(value(kept, "zero1").toDouble(), 2.0);
    EXPECT_EQ(value(kept, "zero2").toDouble(), 0.0);
    EXPECT_EQ(value(kept, "NumTemp").toDouble(), 22.0);
    EXPECT_EQ(value(kept, "Disp1").toDouble(), -2.0);
    EXPECT_EQ(value(kept, "Disp2").toDouble(), 0.0);
    EXPECT_EQ(value(later, "zero2").toDouble(), 1.0);
    EXPECT_EQ(value(later, "Disp1").toDouble(), -2.0);
    EXPECT_EQ(value(later, "Disp2").toDouble(), 0.0);
    EXPECT_EQ(value(later, "NumTemp").toDouble(), 23.0);
    EXPECT_EQ(value(fine, "zero2").toDouble(), 0.0);
    EXPECT_EQ(value(fine, "Disp1").toDouble(), -2.0);
    EXPECT_EQ(value(fine, "Disp2").toDouble(), 2.0);
    EXPECT_EQ(value(fine, "NumTemp").toDouble(), 24.0);
}

TEST_P(GraphBatchTest, NodeNoReadingHasGetsNoValue) {
    const qint64 first = insert({"2024-01-01 08:00:00", {"10.00", "", "30.00"}, "20"});
    const qint64 later = insert({"2024-01-02 08:00:00", {"12.00", nullptr, "30.50"}, "22"});
    store(later, "zero2", 7.0);
    store(later, "Disp2", 7.0);

    EXPECT_TRUE(GetTemporalData(db, kId, geometry(false, 3), errorLog()).completed);
    for (const qint64 row : {first, later}) {
        EXPECT_TRUE(value(row, "zero2").isNull());
        EXPECT_TRUE(value(row, "Disp2").isNull());
    }
    EXPECT_EQ(value(later, "Disp1").toDouble(), 2.0);
    EXPECT_EQ(value(later, "Disp3").toDouble(), 0.5);
    EXPECT_EQ(value(later, "NumTemp").toDouble(), 22.0);

    // With the head at the collar every node is measured against the deepest one: without it
    // no node has a displacement.
    store(first, "Channel2", "20.00");
    store(first, "Channel3", "");
    store(later, "Channel3", QVariant());
    EXPECT_TRUE(GetTemporalData(db, kId, geometry(true, 3), errorLog()).completed);
    for (const QString column : {"zero3", "Disp1", "Disp2", "Disp3"}) {
        EXPECT_TRUE(value(later, column).isNull()) << column.toStdString();
    }
    EXPECT_EQ(value(later, "zero2").toDouble(), 0.0);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(GraphBatchTest, ChannelsBeyondTheNodeCountAreIgnored) {
    insert({"2024-01-01 08:00:00", {"10.00", "20.00", "", "", "", "", "", "", "", ""}, "20"});
    const qint64 logged =
        insert({"2024-01-02 08:00:00", {"11.00", "20.50", "4.00", "junk", "1"}, "19"});
    const qint64 next = insert({"2024-01-03 08:00:00", {"12.00", "21.00", "4.25"}, "18"});

    EXPECT_TRUE(GetTemporalData(db, kId, geometry(true, 2), errorLog()).completed);
    EXPECT_EQ(logEntries(), 0);
    EXPECT_EQ(value(logged, "NumTemp").toDouble(), 19.0);
    EXPECT_EQ(value(logged, "Disp1").toDouble(), -0.5);
    EXPECT_EQ(value(next, "Disp1").toDouble(), -1.0);
    EXPECT_EQ(value(next, "NumTemp").toDouble(), 18.0);
    EXPECT_EQ(value(next, "zero3").toDouble(), 0.25);
    EXPECT_TRUE(value(logged, "zero4").isNull());
}

TEST_P(GraphBatchTest, NodeChannelThatIsNotANumberIsLoggedAndTheRowGoesOn) {
    insert({"2024-01-01 08:00:00", {"10.00", "20.00", "30.00"}, "20"});
    const qint64 bad = insert({"2024-01-02 08:00:00", {"11.00", "2O.50", "31.00"}, "22"});

    const BatchResult result = GetTemporalData(db, kId, geometry(false, 3), errorLog());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains("Err #-13: Type mismatch G_SetZeros"));
    EXPECT_EQ(value(bad, "Disp1").toDouble(), 1.0);
    EXPECT_TRUE(value(bad, "Disp2").isNull());
    EXPECT_EQ(value(bad, "Disp3").toDouble(), 1.0);
    EXPECT_EQ(value(bad, "NumTemp").toDouble(), 22.0);
}

TEST_P(GraphBatchTest, AnchorsAtTheSameDistanceEndTheBatchWithoutWriting) {
    insert({"2024-01-01 08:00:00", {"10.00", "10.00", "10.00"}});
    const qint64 later = insert({"2024-01-02 08:00:00", {"11.00", "10.50", "10.00"}});
    store(later, "zero1", 99.0);

    const BatchResult result =
        GetSpatialLoadData(db, kId, geometry(true, 3, {"1.25", "1.25", "3.25"}), errorLog());
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.rowsWritten, 0);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains("Err #-11: Division by zero G_GetTemporalData"));
    EXPECT_EQ(value(later, "zero1").toDouble(), 99.0);
    EXPECT_TRUE(value(later, "Disp1").isNull());

    // A stiffness that is not a number fails the same way.
    EXPECT_FALSE(GetTemporalLoadData(db, kId, geometry(true, 3, {"1.25", "2.25", "3.25"}, "fifty"),
                                     errorLog())
                     .completed);
    EXPECT_TRUE(logText().contains("Err #-13: Type mismatch G_GetTemporalData"));
}

TEST_P(GraphBatchTest, FailedWriteKeepsTheRowsBeforeIt) {
    const qint64 first = insert({"2024-01-01 08:00:00", {"10.00"}});
    const qint64 second = insert({"2024-01-02 08:00:00", {"11.00"}});
    const qint64 third = insert({"2024-01-03 08:00:00", {"12.00"}});
    if (onServer()) {
        db.execute("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF "
                   "OLD.rowid = " +
                   QString::number(second) +
                   " THEN RAISE EXCEPTION 'row refused'; END IF; RETURN NEW; END $$");
        db.execute("CREATE TRIGGER refuse BEFORE UPDATE ON " + quoteName(kId) +
                   " FOR EACH ROW EXECUTE FUNCTION refuse()");
    } else {
        db.execute("CREATE TRIGGER refuse BEFORE UPDATE ON " + quoteName(kId) +
                   " WHEN old.rowid = " + QString::number(second) +
                   " BEGIN SELECT RAISE(ABORT, 'row refused'); END");
    }

    // The rows before the failure stay written on a file; on a server the batch is all or
    // nothing. The larger page cache of a file's batch is given back all the same.
    const qint64 cache = onServer() ? 0 : db.scalar("PRAGMA cache_size").toLongLong();
    const BatchResult result = GetTemporalData(db, kId, geometry(false, 1), errorLog());
    EXPECT_FALSE(result.completed);
    if (!onServer()) {
        EXPECT_EQ(db.scalar("PRAGMA cache_size").toLongLong(), cache);
    }
    EXPECT_EQ(result.rowsWritten, onServer() ? 0 : 1);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains("row refused")) << logText().toStdString();
    EXPECT_EQ(value(first, "Disp1").isNull(), onServer());
    EXPECT_TRUE(value(second, "Disp1").isNull());
    EXPECT_TRUE(value(third, "Disp1").isNull());
    // The transaction was closed: the connection takes new statements.
    EXPECT_NO_THROW(
        db.execute("DROP TRIGGER refuse" + (onServer() ? " ON " + quoteName(kId) : QString())));
    EXPECT_TRUE(GetTemporalData(db, kId, geometry(false, 1), errorLog()).completed);
    EXPECT_EQ(value(third, "Disp1").toDouble(), 2.0);
}

TEST_P(GraphBatchTest, SevenAndEightNodesWriteEveryDisplacementAndFiveLoads) {
    insert({"2024-01-01 08:00:00", {"0", "0", "0", "0", "0", "0", "0", "0"}});
    const qint64 later = insert({"2024-01-02 08:00:00", {"8", "7", "6", "5", "4", "4", "2", "1"}});
    const QStringList anchors = {"1.00", "2.00", "3.00", "4.00", "5.00", "6.00", "7.00", "8.00"};

    BatchResult result =
        GetTemporalLoadData(db, kId, geometry(false, 8, anchors, "10"), errorLog());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(value(later, "Disp7").toDouble(), 2.0);
    EXPECT_EQ(value(later, "Disp8").toDouble(), 1.0);
    const double loads[] = {10, 10, 10, 10, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(value(later, QStringLiteral("Load%1").arg(i + 1)).toDouble(), loads[i]) << i;
    }

    store(later, "Disp8", QVariant());
    result = GetTemporalLoadData(db, kId, geometry(true, 7, anchors, "10"), errorLog());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(value(later, "Disp1").toDouble(), -6.0);
    EXPECT_EQ(value(later, "Disp7").toDouble(), 0.0);
    EXPECT_TRUE(value(later, "Disp8").isNull());
    EXPECT_EQ(value(later, "Load5").toDouble(), 0.0);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(GraphBatchTest, MissingTableRaisesAndEmptySelectionIsLogged) {
    EXPECT_THROW(GetTemporalData(db, "120541999", geometry(true, 3), errorLog()), DbError);
    EXPECT_THROW(readGraphRows(db, "120541999", GraphVariant::Time), DbError);
    EXPECT_EQ(logEntries(), 0);

    insert({"2024-01-01 08:00:00", {"1"}, "20", false, false});
    const BatchResult result = GetTemporalData(db, kId, geometry(true, 1), errorLog());
    EXPECT_EQ(result.rowsSelected, 0);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains(" Module1_GetOffsets"));
}

TEST_P(GraphBatchTest, ReadGraphRowsGivesTheSelectionInDateOrder) {
    const qint64 later = insert({"2024-01-05 14:30:15", {"3.00", "4.00"}, "20", true, false});
    insert({"2024-01-01 08:00:00", {"1.00", "2.00"}, "18", true, false});
    insert({"2024-01-03 08:00:00", {"2.00", "2.00"}, "18", false, true});
    GetTemporalData(db, kId, geometry(false, 2), errorLog());
    store(later, "Load1", 4.5);

    const QList<GraphRow> rows = readGraphRows(db, kId, GraphVariant::Time);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].fullDate, QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
    EXPECT_EQ(rows[1].fullDate, QDateTime(QDate(2024, 1, 5), QTime(14, 30, 15)));
    EXPECT_EQ(rows[1].readingDate, "2024/01/05");
    EXPECT_EQ(rows[1].numTemp, 20.0);
    EXPECT_EQ(rows[1].zero[0], 2.0);
    EXPECT_EQ(rows[1].disp[1], 2.0);
    EXPECT_FALSE(rows[1].disp[2].has_value());
    EXPECT_EQ(rows[1].reference, 0.0);
    EXPECT_EQ(rows[1].load[0], 4.5);
    EXPECT_FALSE(rows[0].load[0].has_value());
    EXPECT_EQ(readGraphRows(db, kId, GraphVariant::Length).size(), 1);
}

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(GraphBatchTest);
