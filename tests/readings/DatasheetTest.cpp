#include "ReadingsFixture.h"

#include "readings/DatasheetData.h"
#include "readings/DatasheetModel.h"
#include "readings/GridExport.h"
#include "readings/frmDatasheet.h"
#include "store/Connection.h"
#include "support/XlsxReader.h"
#include "ui/ClickableLabel.h"
#include "ui/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <utility>

namespace {
const QString kOneNode = QStringLiteral("120521001");
const QString kEightNodes = QStringLiteral("120591001");
const QDateTime kFirst(QDate(2026, 12, 1), QTime(10, 0));
const QDateTime kSecond(QDate(2026, 12, 2), QTime(10, 0));
const QDateTime kThird(QDate(2026, 12, 3), QTime(10, 0));

QStringList headings(const QTableView* view) {
    QStringList texts;
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        texts << view->model()->headerData(c, Qt::Horizontal).toString();
    }
    return texts;
}
} // namespace

class DatasheetTest : public OnBothEngines<ReadingsTest> {
protected:
    frmDatasheet* openSheet() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        click("imgDatasheet");
        auto* sheet = window->findChild<frmDatasheet*>();
        EXPECT_NE(sheet, nullptr);
        return sheet;
    }
    QModelIndex cell(frmDatasheet* sheet, int row, int column) {
        return sheet->model().index(row, column);
    }
    void clickCell(frmDatasheet* sheet, int row, int column) {
        QTableView* view = sheet->MSFlexGrid1;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(cell(sheet, row, column)).center());
    }
    void typeInto(frmDatasheet* sheet, int row, int column, const QString& keys) {
        sheet->MSFlexGrid1->setCurrentIndex(cell(sheet, row, column));
        QTest::keyClicks(sheet->MSFlexGrid1, keys);
    }
    QString text(frmDatasheet* sheet, int row, int column) {
        return sheet->model().text(cell(sheet, row, column));
    }
    // Readings 0 .. count - 1 of the one-node sensor, an hour apart from 1 January 2026, with
    // Channel1 "<i>.00", temperature "20" and the time-plot flag given.
    void addHourlyReadings(int count, const QString& temporal) {
        QStringList rows;
        for (int i = 0; i < count; ++i) {
            const QDateTime at = QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(3600 * i);
            rows << QStringLiteral("('%1', '%2', '%3', '%4', '%5.00', '20', %6, 0)")
                        .arg(hourlyKey(i), at.toString("yyyy-MM-dd HH:mm:ss"),
                             at.toString("yyyy/MM/dd"), at.toString("HH:mm:ss"))
                        .arg(i)
                        .arg(temporal);
        }
        exec("INSERT INTO " + quoteName(kOneNode) +
             " (DateTimeKey, FullDate, ReadingDate, ReadingTime, Channel1, ChannelT, "
             "Plottemporal, PlotSpatial) VALUES " +
             rows.join(", "));
    }
    QString hourlyKey(int i) const {
        return key(kOneNode, QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(3600 * i));
    }
};

TEST_P(DatasheetTest, ColumnsFollowTheTypeDigit) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst, kSecond});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    EXPECT_EQ(sheet->windowTitle(), "Quorvelle DataSheet");
    EXPECT_EQ(sheet->lblHeader->text(), "Data for Sensor " + kOneNode);
    EXPECT_EQ(headings(sheet->MSFlexGrid1),
              QStringList({"DateTime Key", "ReadingDate", "R. Time", "ChannelT", "Channel1",
                           "PlotTemporal", "PlotSpatial"}));
    EXPECT_EQ(sheet->model().rowCount(), 2);
    EXPECT_EQ(text(sheet, 0, 0), key(kOneNode, kFirst));
    EXPECT_EQ(text(sheet, 1, 1), "2026/12/02");
    EXPECT_EQ(text(sheet, 1, 2), "10:00:00");
    EXPECT_EQ(text(sheet, 1, 4), "2.00");
    // The designed widths, widened where this desktop's font needs more room.
    const QTableView* view = sheet->MSFlexGrid1;
    const QVector<int> designed = {173, 88, 56, 64, 64, 96};
    for (int c = 0; c < designed.size(); ++c) {
        EXPECT_GE(view->columnWidth(c), designed[c]) << c;
    }
    EXPECT_GT(view->columnWidth(0), view->fontMetrics().horizontalAdvance(text(sheet, 0, 0)));
    EXPECT_GT(view->columnWidth(2), view->fontMetrics().horizontalAdvance("10:00:00"));
    sheet->reject();
}

TEST_P(DatasheetTest, AnEightNodeSensorHasFourteenColumnsAndAnEmptyOneSaysSo) {
    addSensors({kEightNodes});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    EXPECT_EQ(headings(sheet->MSFlexGrid1), QStringList{"No Readings"});
    EXPECT_EQ(sheet->model().rowCount(), 0);
    sheet->reject();

    addReadings(kEightNodes, {kFirst});
    sheet = openSheet();
    const QStringList names = headings(sheet->MSFlexGrid1);
    ASSERT_EQ(names.size(), 14);
    EXPECT_EQ(names[4], "Channel1");
    EXPECT_EQ(names[11], "Channel8");
    EXPECT_EQ(names[12], "PlotTemporal");
    EXPECT_EQ(names[13], "PlotSpatial");
    sheet->reject();
    EXPECT_EQ(page().txtRcount->text(), "1 of 1");
}

TEST_P(DatasheetTest, MarksToggleAndCheckAllIsStoredOnClosing) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst, kSecond, kThird});
    exec("UPDATE " + quoteName(kOneNode) + " SET Plottemporal = NULL WHERE FullDate = ?",
         {"2026-12-01 10:00:00"});
    exec("UPDATE " + quoteName(kOneNode) + " SET Plottemporal = 0 WHERE FullDate <> ?",
         {"2026-12-01 10:00:00"});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    const DatasheetModel& model = sheet->model();
    EXPECT_TRUE(model.data(cell(sheet, 0, 5), DatasheetModel::MarkRole).toBool());
    EXPECT_FALSE(model.data(cell(sheet, 1, 5), DatasheetModel::MarkRole).toBool());
    EXPECT_FALSE(model.data(cell(sheet, 1, 6), DatasheetModel::MarkRole).toBool());

    clickCell(sheet, 0, 6);
    EXPECT_TRUE(model.data(cell(sheet, 0, 6), DatasheetModel::MarkRole).toBool());
    clickCell(sheet, 0, 6);
    EXPECT_FALSE(model.data(cell(sheet, 0, 6), DatasheetModel::MarkRole).toBool());
    EXPECT_TRUE(sheet->SheetDirty);

    sheet->Command1->click();
    sheet->reject();
    EXPECT_EQ(
        scalar("SELECT COUNT(*) FROM " + quoteName(kOneNode) + " WHERE Plottemporal = 1").toInt(),
        3);
    EXPECT_EQ(
        scalar("SELECT COUNT(*) FROM " + quoteName(kOneNode) + " WHERE PlotSpatial = 0").toInt(),
        3);
}

TEST_P(DatasheetTest, TogglingTwiceStillWritesTheGridBack) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst, kSecond});
    exec("UPDATE " + quoteName(kOneNode) +
             " SET Plottemporal = NULL, ChannelT = NULL WHERE FullDate = ?",
         {"2026-12-01 10:00:00"});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    clickCell(sheet, 0, 5);
    clickCell(sheet, 0, 5);
    sheet->reject();
    // The write-back settles the empty flag and the null value the grid showed.
    EXPECT_EQ(stored(kOneNode, key(kOneNode, kFirst), "Plottemporal").toInt(), 1);
    EXPECT_EQ(valueType("ChannelT",
                        "FROM " + quoteName(kOneNode) + " WHERE FullDate = '2026-12-01 10:00:00'"),
              "text");
}

TEST_P(DatasheetTest, ClosingWithoutAChangeWritesNothing) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst, kSecond});
    // Not the reading on screen, which the Readings tab stores on its own.
    exec("UPDATE " + quoteName(kOneNode) +
             " SET Plottemporal = NULL, ChannelT = NULL WHERE FullDate = ?",
         {"2026-12-01 10:00:00"});
    openOnReadings();
    openSheet()->reject();
    EXPECT_TRUE(stored(kOneNode, key(kOneNode, kFirst), "Plottemporal").isNull());
    EXPECT_TRUE(stored(kOneNode, key(kOneNode, kFirst), "ChannelT").isNull());
}

TEST_P(DatasheetTest, ChannelCellsAreEditedKeyByKey) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst, kSecond});
    openOnReadings();
    frmDatasheet* sheet = openSheet();

    // Backspace empties the cell; digits and points are appended.
    sheet->MSFlexGrid1->setCurrentIndex(cell(sheet, 0, 4));
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Backspace);
    }
    EXPECT_EQ(text(sheet, 0, 4), "");
    typeInto(sheet, 1, 3, "1.5");
    EXPECT_EQ(text(sheet, 1, 3), "201.5");
    EXPECT_TRUE(prompter.calls.isEmpty());
    // A second point would make the cell no number: the key is refused and said so.
    typeInto(sheet, 1, 3, ".");
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "The temperature's value 201.5. is not a reading in degrees "
                                    "C: it is not a number; the key was not taken.");
    EXPECT_EQ(text(sheet, 1, 3), "201.5");
    prompter.clear();

    typeInto(sheet, 1, 4, "-");
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);
    EXPECT_EQ(prompter.last().text,
              "Channel Data must be a numeric value\r\n"
              "Use the backspace key to delete, field accepts numeric values only");
    EXPECT_EQ(text(sheet, 1, 4), "2.00");

    sheet->reject();
    EXPECT_EQ(stored(kOneNode, key(kOneNode, kFirst), "Channel1").toString(), "");
    EXPECT_EQ(valueType("Channel1",
                        "FROM " + quoteName(kOneNode) + " WHERE FullDate = '2026-12-01 10:00:00'"),
              "text");
    EXPECT_EQ(stored(kOneNode, key(kOneNode, kSecond), "ChannelT").toString(), "201.5");
}

TEST_P(DatasheetTest, CellsRefuseKeysThatWouldMakeAValueNoChartCanDraw) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    prompter.clear();
    const auto clearCell = [&] {
        sheet->MSFlexGrid1->setCurrentIndex(cell(sheet, 0, 4));
        while (!text(sheet, 0, 4).isEmpty()) {
            QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Backspace);
        }
    };

    clearCell();
    typeInto(sheet, 0, 4, "100000");
    EXPECT_TRUE(prompter.calls.isEmpty());
    typeInto(sheet, 0, 4, "0");
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);
    EXPECT_EQ(prompter.last().text, "Node 1's value 1000000 is not a reading in millimetres: it "
                                    "lies outside -100000 to 100000; the key was not taken.");
    EXPECT_EQ(text(sheet, 0, 4), "100000");

    // Twenty-four characters are a value, the twenty-fifth is refused.
    clearCell();
    const QString longest = "0." + QString(22, '0');
    typeInto(sheet, 0, 4, longest + "1");
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_EQ(prompter.last().text,
              "Node 1's value 0.0000000000000000000000… is not a reading in millimetres: it is 25 "
              "characters long, and a value has at most 24; the key was not taken.");
    EXPECT_EQ(text(sheet, 0, 4), longest);

    sheet->reject();
    EXPECT_EQ(stored(kOneNode, key(kOneNode, kFirst), "Channel1").toString(), longest);
}

TEST_P(DatasheetTest, DatesAndKeysAreNotEditableAndTabWalksTheGrid) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst, kSecond});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    typeInto(sheet, 0, 1, "7");
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "Only Channel Data is editable in this datasheet\r\n"
                                    "Please use the main form to change dates and times");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);
    EXPECT_EQ(text(sheet, 0, 1), "2026/12/01");
    QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Backspace);
    EXPECT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(text(sheet, 0, 1), "2026/12/01");
    EXPECT_FALSE(sheet->SheetDirty);

    QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Tab);
    EXPECT_EQ(sheet->MSFlexGrid1->currentIndex(), cell(sheet, 0, 2));
    sheet->MSFlexGrid1->setCurrentIndex(cell(sheet, 0, 6));
    QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Tab);
    EXPECT_EQ(sheet->MSFlexGrid1->currentIndex(), cell(sheet, 1, 0));
    sheet->MSFlexGrid1->setCurrentIndex(cell(sheet, 1, 6));
    QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Tab);
    // From the last cell Tab goes to the heading row, walks it, then comes down to the data.
    EXPECT_FALSE(sheet->MSFlexGrid1->currentIndex().isValid());
    EXPECT_EQ(sheet->model().currentHeading(), 0);
    for (int column = 1; column <= 6; ++column) {
        QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Tab);
        EXPECT_EQ(sheet->model().currentHeading(), column);
    }
    // The headings are no data: digits typed there change nothing.
    QTest::keyClicks(sheet->MSFlexGrid1, "5");
    EXPECT_EQ(headings(sheet->MSFlexGrid1).value(6), "PlotSpatial");
    EXPECT_FALSE(sheet->SheetDirty);
    QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Tab);
    EXPECT_EQ(sheet->MSFlexGrid1->currentIndex(), cell(sheet, 0, 0));
    EXPECT_EQ(sheet->model().currentHeading(), -1);
    sheet->reject();
}

TEST_P(DatasheetTest, EnterIsRefusedLikeAnyOtherKeyAndLeavesTheWindowOpen) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    ASSERT_TRUE(sheet->isVisible());
    prompter.clear();
    sheet->MSFlexGrid1->setCurrentIndex(cell(sheet, 0, 0));
    QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Return);
    sheet->MSFlexGrid1->setCurrentIndex(cell(sheet, 0, 4));
    QTest::keyClick(sheet->MSFlexGrid1, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_TRUE(prompter.calls[0].text.startsWith("Only Channel Data is editable"));
    EXPECT_TRUE(prompter.calls[1].text.startsWith("Channel Data must be a numeric value"));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(text(sheet, 0, 4), "1.00");
    EXPECT_FALSE(sheet->SheetDirty);
    sheet->reject();
}

TEST_P(DatasheetTest, ClosingReturnsToTheReadingThatWasOnScreen) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst, kSecond, kThird});
    openOnReadings();
    click("imgFirst");
    click("imgNextData");
    page().txtChannel[0]->setText("9");
    frmDatasheet* sheet = openSheet();
    // The reading on screen was stored before the grid was read.
    EXPECT_EQ(text(sheet, 1, 4), "9.00");
    sheet->reject();
    EXPECT_EQ(page().txtRcount->text(), "2 of 3");
    EXPECT_EQ(page().txtReadingID->text(), key(kOneNode, kSecond));
}

TEST_P(DatasheetTest, ExportWritesTheGridAndOpensIt) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst, kSecond});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    emit sheet->Image1->clicked();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_TRUE(prompter.calls.isEmpty());

    const XlsxReader book(desktop.opened.first());
    ASSERT_EQ(book.sheetNames(), QStringList{kOneNode});
    EXPECT_EQ(book.rowCount(0), 3);
    EXPECT_EQ(book.columnCount(0), 6);
    EXPECT_EQ(book.text(0, 1, 1), "DateTime Key");
    EXPECT_EQ(book.text(0, 1, 6), "PlotTemporal");
    EXPECT_EQ(book.text(0, 2, 1), key(kOneNode, kFirst));
    const XlsxCell date = book.cell(0, 3, 2);
    EXPECT_EQ(date.kind, XlsxCell::Kind::Number);
    EXPECT_EQ(date.value.toDouble(), QDate(1899, 12, 30).daysTo(QDate(2026, 12, 2)));
    EXPECT_EQ(date.numFmtCode, "yyyy/mm/dd");
    EXPECT_EQ(book.cell(0, 2, 6).kind, XlsxCell::Kind::Empty);
    EXPECT_EQ(book.cell(0, 1, 7).kind, XlsxCell::Kind::Empty);
    sheet->reject();
}

TEST_P(DatasheetTest, AnExportThatCannotBeOpenedSaysWhereTheFileIs) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst});
    desktop.succeed = false;
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    emit sheet->Image1->clicked();
    ASSERT_EQ(desktop.opened.size(), 1);
    const QString file = desktop.opened.first();
    EXPECT_TRUE(QFile::exists(file));
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(prompter.last().text,
              "No spreadsheet program could be found to open the workbook. It was saved as:\r\n" +
                  QDir::toNativeSeparators(file));
    sheet->reject();
}

TEST_P(DatasheetTest, ALongSheetReadsItsRowsAsNeededAndStoresThemAll) {
    addSensors({kOneNode});
    // None ticked for time plots; reading 400 has no temperature.
    addHourlyReadings(600, "0");
    exec("UPDATE " + quoteName(kOneNode) + " SET ChannelT = NULL WHERE DateTimeKey = ?",
         {hourlyKey(400)});
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    ASSERT_EQ(sheet->model().rowCount(), 600);
    EXPECT_EQ(text(sheet, 599, 0), hourlyKey(599));
    EXPECT_EQ(text(sheet, 599, 4), "599.00");
    typeInto(sheet, 100, 4, "5");
    // The middle of the sheet was never on screen.
    ASSERT_FALSE(sheet->model().rows()[400].loaded);

    sheet->Command1->click();
    sheet->reject();
    const QString table = quoteName(kOneNode);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM " + table + " WHERE Plottemporal = 1").toInt(), 600);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM " + table + " WHERE PlotSpatial = 0").toInt(), 600);
    EXPECT_EQ(stored(kOneNode, hourlyKey(100), "Channel1").toString(), "100.005");
    EXPECT_EQ(stored(kOneNode, hourlyKey(300), "Channel1").toString(), "300.00");
    EXPECT_EQ(stored(kOneNode, hourlyKey(300), "ChannelT").toString(), "20");
    EXPECT_EQ(valueType("ChannelT", "FROM " + table + " WHERE DateTimeKey = ?", {hourlyKey(400)}),
              "text");
}

TEST_P(DatasheetTest, TheExportCopiesRowsNeverShown) {
    addSensors({kOneNode});
    addHourlyReadings(300, "1");
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    emit sheet->Image1->clicked();
    ASSERT_EQ(desktop.opened.size(), 1);
    const XlsxReader book(desktop.opened.first());
    EXPECT_EQ(book.rowCount(0), 301);
    EXPECT_EQ(book.text(0, 301, 1), hourlyKey(299));
    EXPECT_DOUBLE_EQ(book.cell(0, 301, 5).value.toDouble(), 299.0);
    sheet->reject();
}

// The export reads the rows never shown a block at a time: every row of a sheet longer than
// two blocks comes out as the grid gives it, an edit not yet stored included.
TEST_P(DatasheetTest, TheExportWritesEveryRowAsTheGridGivesIt) {
    addSensors({kOneNode});
    addHourlyReadings(2500, "1");
    openOnReadings();
    frmDatasheet* sheet = openSheet();
    typeInto(sheet, 1500, 4, "7.5");
    ASSERT_FALSE(sheet->model().rows()[1024].loaded);
    emit sheet->Image1->clicked();
    ASSERT_EQ(desktop.opened.size(), 1);
    const QVector<QStringList> grid = sheet->model().gridTexts();
    const XlsxReader book(desktop.opened.first());
    ASSERT_EQ(book.rowCount(0), 2501);
    int wrong = 0;
    for (int r = 1; r <= 2500; ++r) {
        wrong += book.text(0, r + 1, 1) == grid[r][0] ? 0 : 1;
        wrong += book.cell(0, r + 1, 5).value.toDouble() == grid[r][4].toDouble() ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0);
    // Typed keys add to the cell's text (a second point is refused).
    EXPECT_EQ(grid[1501][4], "1500.0075");
    EXPECT_DOUBLE_EQ(book.cell(0, 1502, 5).value.toDouble(), 1500.0075);
    sheet->reject();
}

TEST_P(DatasheetTest, AnExportThatCannotBeWrittenIsLoggedAndTold) {
    addSensors({kOneNode});
    addReadings(kOneNode, {kFirst});
    openOnReadings();
    QFile blocker(path("Exports"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    frmDatasheet* sheet = openSheet();
    emit sheet->Image1->clicked();
    EXPECT_TRUE(desktop.opened.isEmpty());
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_TRUE(prompter.last().text.startsWith("The spreadsheet export was not saved: "));
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().trimmed().endsWith(" Module1_FlexGridToExcel"));
    sheet->reject();
}

INSTANTIATE_ON_BOTH_ENGINES(DatasheetTest);

TEST_P(DatasheetTest, FlaggedCellsAreMarkedAndAReadingIsRejectedAndRestoredWithAReason) {
    addSensors({kOneNode});
    addHourlyReadings(5, "1");
    exec("UPDATE " + quoteName(kOneNode) + " SET Channel1 = '40.00' WHERE DateTimeKey = ?",
         {hourlyKey(2)});
    openOnReadings();
    // Closing with a change stores the grid, and the readings are checked.
    frmDatasheet* sheet = openSheet();
    sheet->Command1->click();
    sheet->reject();
    sheet = openSheet();
    const DatasheetModel& model = sheet->model();
    EXPECT_TRUE(model.data(cell(sheet, 2, 4), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model.data(cell(sheet, 2, 3), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model.data(cell(sheet, 1, 4), Qt::BackgroundRole).isValid());
    EXPECT_TRUE(model.data(cell(sheet, 2, 0), Qt::ToolTipRole)
                    .toString()
                    .contains("Channel 1: 40.00 mm is 36.50 mm from its neighbours' median "
                              "3.50 mm"));

    // Cancelled: nothing is stored.
    sheet->MSFlexGrid1->setCurrentIndex(cell(sheet, 2, 1));
    sheet->cmdReject->click();
    EXPECT_EQ(prompter.calls.last().title, "Reject Reading");
    EXPECT_EQ(prompter.calls.last().text, "Why is the reading " + hourlyKey(2) + " rejected?");
    EXPECT_FALSE(model.isRejected(2));

    prompter.inputs.enqueue(QStringLiteral("readout fault"));
    sheet->cmdReject->click();
    EXPECT_TRUE(model.isRejected(2));
    EXPECT_TRUE(
        model.data(cell(sheet, 2, 1), Qt::ToolTipRole).toString().contains(": readout fault"));
    EXPECT_TRUE(model.data(cell(sheet, 2, 1), Qt::ForegroundRole).isValid());
    EXPECT_EQ(scalar("SELECT count(*) FROM ReadingRejections WHERE Rejected = 1").toInt(), 1);

    prompter.inputs.enqueue(QStringLiteral("second readout agrees"));
    sheet->cmdReject->click();
    EXPECT_EQ(prompter.calls.last().title, "Restore Reading");
    EXPECT_FALSE(model.isRejected(2));
    EXPECT_EQ(scalar("SELECT count(*) FROM ReadingRejections").toInt(), 2);
    sheet->reject();
}

// The export reads the table in one pass in the grid's order; rows the pass does not meet
// where the grid has them are still written as stored, and a row gone since is left empty.
TEST_P(DatasheetTest, TheExportWritesRowsOutOfTheTablesOrderAndLeavesOutNone) {
    addSensors({kOneNode});
    addHourlyReadings(5, "1");
    Connection db;
    db.open(location());
    QVector<DatasheetRow> rows = readDatasheetRows(db, kOneNode);
    std::swap(rows[1], rows[3]);
    exec("DELETE FROM " + quoteName(kOneNode) + " WHERE DateTimeKey = ?", {hourlyKey(2)});
    const QString file = path("rows.xlsx");
    writeGridWorkbook(datasheetGridRows(db, kOneNode, datasheetTypeDigit(kOneNode), rows), 7,
                      kOneNode, file);

    const XlsxReader book(file);
    ASSERT_EQ(book.rowCount(0), 6);
    const QStringList keys = {hourlyKey(0), hourlyKey(3), {}, hourlyKey(1), hourlyKey(4)};
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(book.text(0, r + 2, 1), keys[r]) << r;
    }
    EXPECT_DOUBLE_EQ(book.cell(0, 3, 5).value.toDouble(), 3.0);
    EXPECT_EQ(book.cell(0, 4, 5).kind, XlsxCell::Kind::Empty);
}
