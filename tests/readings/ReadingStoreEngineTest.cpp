#include "readings/DatasheetData.h"
#include "readings/ReadingStore.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Schema.h"
#include "support/ServerDatabase.h"

#include <QDate>

namespace {
const QString kId = QStringLiteral("120541001"); // four nodes: three channels on the sheet

class ReadingStoreEngineTest : public EngineDbTest {
protected:
    void prepare() override { createReadingsTable(db, kId); }
    void add(const QString& key, const QVariant& readingDate, const QVariant& fullDate,
             const QVariant& temporal = 1, const QVariant& spatial = 1) {
        db.execute("INSERT INTO " + quoteName(kId) +
                       " (DateTimeKey, ReadingDate, FullDate, Channel1, Plottemporal, PlotSpatial) "
                       "VALUES (?, ?, ?, '1.00', ?, ?)",
                   {key, readingDate, fullDate, temporal, spatial});
    }
    QStringList keys() {
        RecordSet rows(db, kId, {}, {}, "DateTimeKey");
        return rows.texts("DateTimeKey");
    }
};
} // namespace

INSTANTIATE_ON_BOTH_ENGINES(ReadingStoreEngineTest);

TEST_P(ReadingStoreEngineTest, ARangeTakesTheDayOfTheReadingDateOrElseOfTheFullDate) {
    add("a", "2026/11/02", "2026-11-02 08:00:00");
    add("b", " 2026/11/03 ", "1999-01-01 00:00:00"); // the reading date wins, blanks ignored
    add("c", "2026/11/31", "2026-12-01 08:00:00");   // a 31st in any month is taken as it is
    add("d", "not a date", "2026-11-04 10:00:00");
    add("e", QVariant(), "2026-11-05 10:00:00");
    add("f", "2026-13-01", "garbage"); // no day at all: never in a range
    add("g", "2026/11/06", "2026-11-06 08:00:00");

    EXPECT_EQ(deleteReadingsBetween(db, kId, QDate(2026, 12, 1), QDate(2026, 12, 1)), 0);
    EXPECT_EQ(deleteReadingsBetween(db, kId, QDate(2026, 11, 30), QDate(2026, 12, 1)), 1);
    EXPECT_EQ(deleteReadingsBetween(db, kId, QDate(2026, 11, 3), QDate(2026, 11, 5)), 3);
    EXPECT_EQ(keys(), (QStringList{"a", "f", "g"}));
    EXPECT_EQ(deleteReadingsBetween(db, kId, QDate(2026, 11, 6), QDate(2026, 11, 2)), 0);
    EXPECT_EQ(readingsWithKey(db, kId, "g").size(), 1);
    deleteAllReadings(db, kId);
    EXPECT_TRUE(keys().isEmpty());
}

TEST_P(ReadingStoreEngineTest, TheDatasheetReadsFlagsAndStoresEditsAndTicks) {
    add("k1", "2026/11/01", "2026-11-01 08:00:00", 0, QVariant());
    add("k2", "2026/11/02", "2026-11-02 08:00:00", 1, 0);
    add("k3", "2026/11/03", "2026-11-03 08:00:00", QVariant(), 1);

    QVector<DatasheetRow> rows = readDatasheetRows(db, kId);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_FALSE(rows[0].temporal);
    EXPECT_TRUE(rows[0].spatial); // a null flag reads as ticked
    EXPECT_FALSE(rows[1].spatial);
    EXPECT_TRUE(rows[2].temporal);

    const int digit = datasheetTypeDigit(kId);
    loadDatasheetCells(db, kId, digit, rows, 0, 3);
    EXPECT_EQ(rows[1].cells.value(0), "k2");
    EXPECT_EQ(rows[1].cells.value(4), "1.00");

    rows[1].cells[4] = "2.50";
    rows[1].changed = rows[1].edited = true;
    rows[0].temporal = true;
    rows[0].changed = true;
    writeDatasheetRows(db, kId, digit, rows);

    const auto stored = [&](const QString& key, const QString& column) {
        return db.scalar("SELECT " + column + " FROM " + quoteName(kId) + " WHERE DateTimeKey = ?",
                         {key});
    };
    EXPECT_EQ(stored("k2", "Channel1").toString(), "2.50");
    EXPECT_EQ(stored("k1", "Plottemporal").toInt(), 1);
    // Rows nobody touched are stored as the sheet showed them: the null flag becomes a tick.
    EXPECT_EQ(stored("k3", "Plottemporal").toInt(), 1);
    EXPECT_FALSE(stored("k3", "Plottemporal").isNull());
    EXPECT_EQ(stored("k2", "PlotSpatial").toInt(), 0);
}
