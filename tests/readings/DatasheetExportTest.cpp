#include "readings/DatasheetData.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/RowPass.h"
#include "store/Schema.h"
#include "support/ServerDatabase.h"
#include "support/XlsxReader.h"

#include <QFile>

namespace {
const QString kId = QStringLiteral("120541001"); // type digit 4: three node channels

class DatasheetExportTest : public EngineDbTest {
protected:
    void prepare() override { createReadingsTable(db, kId); }

    // count hourly readings, stored newest first so that the table's order is not the grid's,
    // with cells of every form the export types: plain decimals of several lengths, a whole
    // number, a text that is no number, and empty (null) cells.
    void addReadings(int count) {
        constexpr int kBlock = 500;
        for (int from = count - 1; from >= 0; from -= kBlock) {
            QStringList rows;
            for (int i = from; i > from - kBlock && i >= 0; --i) {
                const QDateTime at = QDateTime(QDate(2024, 3, 1), QTime(6, 0)).addSecs(3600 * i);
                const QString channel2 =
                    i % 7 == 0 ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(i % 41);
                const QString channel3 =
                    i % 11 == 0 ? QStringLiteral("'n/a'") : QStringLiteral("'-%1.125'").arg(i % 13);
                rows << QStringLiteral("('%1 %2', '%3', '%4', '%5', '%6.%7', %8, %9, '1%10.5', "
                                       "1, 0)")
                            .arg(kId, at.toString("yyyy/MM/dd HH:mm:ss"),
                                 at.toString("yyyy-MM-dd HH:mm:ss"), at.toString("yyyy/MM/dd"),
                                 at.toString("HH:mm:ss"))
                            .arg(i)
                            .arg(i % 100, 2, 10, QChar('0'))
                            .arg(channel2, channel3)
                            .arg(i % 10);
            }
            db.execute("INSERT INTO " + quoteName(kId) +
                       " (DateTimeKey, FullDate, ReadingDate, ReadingTime, Channel1, Channel2, "
                       "Channel3, ChannelT, Plottemporal, PlotSpatial) VALUES " +
                       rows.join(", "));
        }
    }

    // The workbook the window writes of the grid as opened, every row read from the table.
    QString gridWorkbook(const QList<GridSheet>& moreSheets = {}) {
        const int digit = datasheetTypeDigit(kId);
        const QVector<DatasheetRow> rows = readDatasheetRows(db, kId);
        const int columns = rows.isEmpty() ? 1 : static_cast<int>(datasheetHeadings(digit).size());
        const QString file = path("grid.xlsx");
        writeGridWorkbook(datasheetGridRows(db, kId, digit, rows), columns, kId, file, moreSheets);
        return file;
    }

    // Cells, their number formats and the column widths that differ between two workbooks.
    static int differences(const QString& first, const QString& second) {
        const XlsxReader a(first);
        const XlsxReader b(second);
        if (a.sheetNames() != b.sheetNames()) {
            return -1;
        }
        int differ = 0;
        for (int s = 0; s < a.sheetNames().size(); ++s) {
            const int rows = std::max(a.rowCount(s), b.rowCount(s));
            const int columns = std::max(a.columnCount(s), b.columnCount(s));
            for (int r = 1; r <= rows; ++r) {
                for (int c = 1; c <= columns; ++c) {
                    const XlsxCell x = a.cell(s, r, c);
                    const XlsxCell y = b.cell(s, r, c);
                    differ += x.kind != y.kind || x.value != y.value || x.numFmtCode != y.numFmtCode
                                  ? 1
                                  : 0;
                }
            }
            for (int c = 1; c <= columns; ++c) {
                differ += a.columnWidth(s, c) != b.columnWidth(s, c) ? 1 : 0;
            }
        }
        return differ;
    }
};
} // namespace

INSTANTIATE_ON_BOTH_ENGINES(DatasheetExportTest);

TEST_P(DatasheetExportTest, ALargeTableIsWrittenAsTheGridWritesItAndCounted) {
    constexpr int kReadings = 20000;
    addReadings(kReadings);
    const QList<GridSheet> revisions = {
        {QStringLiteral("Revisions"), {{"No.", "From"}, {"1", "2024/03/02 06:00:00"}}}};
    const QString file = path("table.xlsx");

    EXPECT_EQ(writeDatasheetWorkbook(db, kId, datasheetTypeDigit(kId), file, revisions), kReadings);
    EXPECT_EQ(differences(file, gridWorkbook(revisions)), 0);
    const XlsxReader book(file);
    ASSERT_EQ(book.rowCount(0), kReadings + 1);
    // Oldest first whatever the order stored in.
    EXPECT_EQ(book.text(0, 2, 1), kId + " 2024/03/01 06:00:00");
    EXPECT_EQ(book.cell(0, kReadings + 1, 5).value.toDouble(), (kReadings - 1) + 0.99);
    EXPECT_EQ(book.cell(0, kReadings + 1, 5).numFmtCode, "0.00");
    EXPECT_EQ(book.cell(0, 2, 6).kind, XlsxCell::Kind::Empty);
    EXPECT_EQ(book.text(0, 2, 7), "n/a");
}

TEST_P(DatasheetExportTest, AnEmptyTableIsWrittenAsTheGridWritesIt) {
    const QString file = path("empty.xlsx");
    EXPECT_EQ(writeDatasheetWorkbook(db, kId, datasheetTypeDigit(kId), file), 0);
    EXPECT_EQ(differences(file, gridWorkbook()), 0);
    EXPECT_EQ(XlsxReader(file).sheetNames(), QStringList{kId});
}

// An export that fails, whether before its first row or once the file is begun, raises and
// leaves a workbook already at the path as it was, with no part-written file beside it.
TEST_P(DatasheetExportTest, AnExportThatFailsRaisesAndLeavesTheFileThereAsItWas) {
    addReadings(3);
    const QString file = path("kept.xlsx");
    ASSERT_EQ(writeDatasheetWorkbook(db, kId, datasheetTypeDigit(kId), file), 3);
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    const QByteArray before = kept.readAll();
    kept.close();

    EXPECT_THROW(writeDatasheetWorkbook(db, "120541999", datasheetTypeDigit(kId), file), DbError);
    EXPECT_THROW(writeDatasheetWorkbook(db, kId, datasheetTypeDigit(kId), path("no folder/x.xlsx")),
                 DbError);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before);
    EXPECT_FALSE(QFile::exists(file + ".part"));
    EXPECT_FALSE(QFile::exists(path("no folder/x.xlsx.part")));
}

// On a server the rows come through a cursor a page at a time, in a transaction of their own
// unless the caller has one open; either way the connection is left as it was found, also
// when the rows are an exact number of pages or the pass is ended early.
TEST_P(DatasheetExportTest, AnExportLeavesTheConnectionAsItFoundIt) {
    addReadings(2000);
    EXPECT_EQ(writeDatasheetWorkbook(db, kId, datasheetTypeDigit(kId), path("a.xlsx")), 2000);
    EXPECT_FALSE(db.transactionIsOpen());

    db.beginTransaction();
    EXPECT_EQ(writeDatasheetWorkbook(db, kId, datasheetTypeDigit(kId), path("b.xlsx")), 2000);
    // The caller's transaction is still there to end.
    EXPECT_NO_THROW(db.commit());

    {
        RowPass pass(db, "SELECT rowid FROM " + quoteName(kId) + " ORDER BY rowid");
        ASSERT_TRUE(pass.step());
    }
    EXPECT_FALSE(db.transactionIsOpen());
    EXPECT_EQ(db.scalar("SELECT count(*) FROM " + quoteName(kId)).toInt(), 2000);
    EXPECT_EQ(differences(path("a.xlsx"), gridWorkbook()), 0);
}
