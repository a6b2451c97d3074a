#include "readings/GridExport.h"
#include "store/DbError.h"
#include "support/TempDataFolder.h"
#include "support/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
using Kind = XlsxCell::Kind;

// The datasheet of a one-node sensor: seven columns, the last one not exported.
QVector<QStringList> oneNodeDatasheet() {
    return {
        {"DateTime Key", "ReadingDate", "R. Time", "ChannelT", "Channel1", "PlotTemporal",
         "PlotSpatial"},
        {"120521001 2012/05/03 14:20:00", "2012/05/03", "14:20:00", "21.456", "12.00", "", "x"},
        {"120521001 2012/05/04 08:00:00", "2012/05/04", "08:00:00", "", "-3.5", "", "x"},
        {"120521001 2012/05/05 08:00:00", "not read", "08:00:00", "19", "abc", "", ""},
    };
}

double serialOf(const QDate& date) {
    return static_cast<double>(QDate(1899, 12, 30).daysTo(date));
}

class GridExportTest : public TempDataFolderTest {
protected:
    QString exportGrid(const QVector<QStringList>& grid, const QString& title) {
        return FlexGridToExcel(grid, static_cast<int>(grid.size()),
                               static_cast<int>(grid.first().size()), title, folder(), clock_);
    }
};
} // namespace

TEST_F(GridExportTest, CopiesEveryCellButTheLastColumn) {
    const XlsxReader book(exportGrid(oneNodeDatasheet(), "120521001"));

    ASSERT_EQ(book.sheetNames(), QStringList{"120521001"});
    EXPECT_EQ(book.rowCount(0), 4);
    EXPECT_EQ(book.columnCount(0), 6);
    EXPECT_EQ(book.text(0, 1, 1), "DateTime Key");
    EXPECT_EQ(book.text(0, 1, 6), "PlotTemporal");
    EXPECT_EQ(book.cell(0, 1, 7).kind, Kind::Empty);
    EXPECT_EQ(book.cell(0, 2, 7).kind, Kind::Empty);
    EXPECT_EQ(book.cell(0, 2, 6).kind, Kind::Empty);

    const XlsxCell key = book.cell(0, 2, 1);
    EXPECT_EQ(key.kind, Kind::Text);
    EXPECT_EQ(key.value, "120521001 2012/05/03 14:20:00");
    EXPECT_EQ(book.text(0, 4, 5), "abc");
    EXPECT_EQ(book.cell(0, 3, 4).kind, Kind::Empty);
}

TEST_F(GridExportTest, NumbersBecomeNumberCellsShowingTheGridsDecimals) {
    const XlsxReader book(exportGrid(oneNodeDatasheet(), "120521001"));

    const XlsxCell twelve = book.cell(0, 2, 5);
    EXPECT_EQ(twelve.kind, Kind::Number);
    EXPECT_DOUBLE_EQ(twelve.value.toDouble(), 12.0);
    EXPECT_EQ(twelve.numFmtCode, "0.00");

    const XlsxCell temperature = book.cell(0, 2, 4);
    EXPECT_EQ(temperature.kind, Kind::Number);
    EXPECT_DOUBLE_EQ(temperature.value.toDouble(), 21.456);
    EXPECT_EQ(temperature.numFmtCode, "0.000");

    EXPECT_DOUBLE_EQ(book.cell(0, 3, 5).value.toDouble(), -3.5);
    const XlsxCell whole = book.cell(0, 4, 4);
    EXPECT_EQ(whole.kind, Kind::Number);
    EXPECT_EQ(whole.value, "19");
    EXPECT_EQ(whole.numFmtId, 0);
}

TEST_F(GridExportTest, ReadingDatesBecomeDateCellsAndOtherTextStaysText) {
    const XlsxReader book(exportGrid(oneNodeDatasheet(), "120521001"));

    const XlsxCell date = book.cell(0, 2, 2);
    EXPECT_EQ(date.kind, Kind::Number);
    EXPECT_DOUBLE_EQ(date.value.toDouble(), serialOf(QDate(2012, 5, 3)));
    EXPECT_EQ(date.numFmtCode, "yyyy/mm/dd");
    EXPECT_DOUBLE_EQ(book.cell(0, 3, 2).value.toDouble(), serialOf(QDate(2012, 5, 4)));

    EXPECT_EQ(book.cell(0, 1, 2).kind, Kind::Text);
    EXPECT_EQ(book.text(0, 1, 2), "ReadingDate");
    EXPECT_EQ(book.cell(0, 4, 2).kind, Kind::Text);
    EXPECT_EQ(book.text(0, 4, 2), "not read");
    // Dates are only read in the reading-date column: the key keeps its text.
    EXPECT_EQ(book.cell(0, 2, 1).kind, Kind::Text);
}

TEST_F(GridExportTest, ReadingTimesBecomeTimeCellsAndOtherTextStaysText) {
    QVector<QStringList> grid = oneNodeDatasheet();
    grid[3][2] = "8:00";
    const XlsxReader book(exportGrid(grid, "120521001"));

    const XlsxCell time = book.cell(0, 2, 3);
    EXPECT_EQ(time.kind, Kind::Number);
    EXPECT_NEAR(time.value.toDouble(), (14 * 3600 + 20 * 60) / 86400.0, 1e-12);
    EXPECT_EQ(time.numFmtCode, "hh:mm:ss");
    EXPECT_NEAR(book.cell(0, 3, 3).value.toDouble(), 8 / 24.0, 1e-12);
    EXPECT_EQ(book.cell(0, 3, 3).numFmtCode, "hh:mm:ss");

    EXPECT_EQ(book.cell(0, 1, 3).kind, Kind::Text);
    EXPECT_EQ(book.text(0, 1, 3), "R. Time");
    // Not the stored form of a reading time: kept as typed.
    EXPECT_EQ(book.cell(0, 4, 3).kind, Kind::Text);
    EXPECT_EQ(book.text(0, 4, 3), "8:00");
    // Times are only read in the reading-time column: the key keeps its text.
    EXPECT_EQ(book.cell(0, 2, 1).kind, Kind::Text);
}

TEST_F(GridExportTest, EmptyOrRefusedTitleKeepsTheDefaultSheetName) {
    EXPECT_EQ(XlsxReader(exportGrid(oneNodeDatasheet(), "")).sheetNames(), QStringList{"Sheet1"});

    const QString path = exportGrid(oneNodeDatasheet(), "Level 3 [north]/drive");
    EXPECT_EQ(XlsxReader(path).sheetNames(), QStringList{"Sheet1"});
    EXPECT_EQ(QFileInfo(path).dir().path(), exportFolder(folder()));
    EXPECT_EQ(QFileInfo(path).fileName(), "Level 3 [north]_drive 2026-12-08 09.30.00.xlsx");
}

TEST_F(GridExportTest, EachExportWritesANewFile) {
    const QString first = exportGrid(oneNodeDatasheet(), "120521001");
    const QString second = exportGrid(oneNodeDatasheet(), "120521001");
    clock_.set(clock_.now().addSecs(1));
    const QString third = exportGrid(oneNodeDatasheet(), "120521001");

    EXPECT_EQ(QFileInfo(first).fileName(), "120521001 2026-12-08 09.30.00.xlsx");
    EXPECT_EQ(QFileInfo(second).fileName(), "120521001 2026-12-08 09.30.00 (2).xlsx");
    EXPECT_EQ(QFileInfo(third).fileName(), "120521001 2026-12-08 09.30.01.xlsx");
    for (const QString& path : {first, second, third}) {
        EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
    }
}

TEST_F(GridExportTest, ColumnsAreFittedToTheirLongestText) {
    const XlsxReader book(exportGrid(oneNodeDatasheet(), "120521001"));

    const double key = book.columnWidth(0, 1);
    const double date = book.columnWidth(0, 2);
    const double time = book.columnWidth(0, 3);
    const double plot = book.columnWidth(0, 6);
    EXPECT_GT(key, 29.0);  // the whole reading key
    EXPECT_GE(date, 11.0); // "ReadingDate" is longer than the dates it heads
    EXPECT_GT(key, date);
    EXPECT_GT(plot, time);
    EXPECT_EQ(book.columnWidth(0, 7), 0.0);
}

TEST_F(GridExportTest, RowCountLimitsTheRowsCopied) {
    const QVector<QStringList> grid = oneNodeDatasheet();
    const XlsxReader two(FlexGridToExcel(grid, 2, 7, "120521001", folder(), clock_));
    EXPECT_EQ(two.rowCount(0), 2);

    const XlsxReader beyond(FlexGridToExcel(grid, 99, 7, "120521001", folder(), clock_));
    EXPECT_EQ(beyond.rowCount(0), 4);
}

TEST_F(GridExportTest, UnwritableFolderRaises) {
    QFile blocker(path("Exports"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(exportGrid(oneNodeDatasheet(), "120521001"), DbError);
}

TEST_F(GridExportTest, CellsGivenAsBytesAreWrittenAsTheSameTexts) {
    // The forms the byte path writes itself, and the ones it must leave to the text path.
    QVector<QStringList> grid = {
        {"DateTime Key", "ReadingDate", "R. Time", "ChannelT", "Channel1", "Channel2", ""},
        {"120521001 2012/05/03 14:20:00", "2012/05/03", "14:20:00", "21.456", "-3.50", "0", ""},
        {"x", "2012-5-3", "8:00", " 12.5 ", "1e3", "1,000", ""},
        {"inf", "1899/12/31", "25:00:00", "-", ".5", "5.", ""},
        {"nan", "2012/02/30", "14:20", "\t7", "température", "12.000000000000000000001", ""},
        {"a:b", "2012/05/03 ", "", "-0.0", "99999999999999999999.5", "+4", ""},
    };
    const QString texts = path("texts.xlsx");
    const QString bytes = path("bytes.xlsx");
    writeGridWorkbook(grid, static_cast<int>(grid.size()), 7, "120521001", texts);
    QVector<QByteArray> held;
    GridRows rows;
    rows.count = static_cast<int>(grid.size());
    rows.cells = [&](int row, GridCells& cells) {
        held.clear();
        held.reserve(grid[row].size());
        for (const QString& text : grid[row]) {
            held << text.toUtf8();
            cells.addUtf8(std::string_view(held.back().constData(), held.back().size()));
        }
    };
    writeGridWorkbook(rows, 7, "120521001", bytes);

    const XlsxReader a(texts);
    const XlsxReader b(bytes);
    ASSERT_EQ(b.rowCount(0), a.rowCount(0));
    ASSERT_EQ(b.columnCount(0), a.columnCount(0));
    for (int r = 1; r <= a.rowCount(0); ++r) {
        for (int c = 1; c <= a.columnCount(0); ++c) {
            const XlsxCell x = a.cell(0, r, c);
            const XlsxCell y = b.cell(0, r, c);
            EXPECT_EQ(y.kind, x.kind) << r << "," << c;
            EXPECT_EQ(y.value, x.value) << r << "," << c;
            EXPECT_EQ(y.numFmtCode, x.numFmtCode) << r << "," << c;
        }
    }
    for (int c = 1; c <= 7; ++c) {
        EXPECT_EQ(b.columnWidth(0, c), a.columnWidth(0, c)) << c;
    }
}

// A stream of rows is counted as written; one that fails part way raises, and the workbook
// already at the path stays as it was, with no part-written file beside it.
TEST_F(GridExportTest, AStreamIsCountedAndOneFailingPartWayLeavesTheFileAsItWas) {
    const QString file = path("stream.xlsx");
    const auto rowsUpTo = [](int last, bool fails) {
        return [last, fails, i = 0](GridCells& cells) mutable {
            if (i == last) {
                if (fails) {
                    throw DbError(ErrorCode::ServerFailure, "The connection was lost.");
                }
                return false;
            }
            cells.add(QString::number(i++));
            cells.add(QStringLiteral("x"));
            return true;
        };
    };
    ASSERT_EQ(writeGridWorkbook(rowsUpTo(5, false), 2, "120521001", file), 5);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray before = written.readAll();
    written.close();
    EXPECT_EQ(XlsxReader(file).rowCount(0), 5);

    EXPECT_THROW(writeGridWorkbook(rowsUpTo(3000, true), 2, "120521001", file), DbError);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), before);
    EXPECT_FALSE(QFile::exists(file + ".part"));
}
