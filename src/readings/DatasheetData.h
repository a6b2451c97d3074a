#pragma once

#include "readings/GridExport.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

class Connection;

// The datasheet's grid of one sensor's readings: its layout by the type digit, its rows (row
// ids and marks first, cell texts block by block as rows come into view), the key rules of its
// cells and the write-back.

// One reading in the grid. cells holds the data columns once loaded: DateTimeKey,
// ReadingDate, ReadingTime, ChannelT, Channel1 .. Channel(t - 1). markTexts are whatever was
// typed into the two mark cells; they are shown, never stored.
struct DatasheetRow {
    qint64 id = 0;
    QStringList cells;
    bool loaded = false;
    bool temporal = true;
    bool spatial = true;
    QString temporalText;
    QString spatialText;
    // Set by every edit of the row; edited by an edit of a cell text.
    bool changed = false;
    bool edited = false;
};

// The first digit of the type code (the fifth character of the sensor number): one more than
// the node count. Held within 2 to 9 so a malformed number still gives a usable grid.
int datasheetTypeDigit(const QString& instrumentId);

// Headings of the t + 5 columns: the data columns, then "PlotTemporal" and "PlotSpatial".
QStringList datasheetHeadings(int typeDigit);

// Pixel widths of the columns 0 .. t + 3 (the last column keeps the grid's default): 8 px
// (120 twips) per character of the heading, 173 px (2600 twips) for the key column.
QVector<int> datasheetWidths(int typeDigit);

// The grid's only cell when the sensor has no readings.
inline const QString kNoReadings = QStringLiteral("No Readings");

// Texts of the whole grid, heading row first, the two mark cells of every row empty (marks are
// pictures, not text); without rows, the one cell "No Readings". Rows not loaded give their
// cells as they stand.
QVector<QStringList> datasheetGridTexts(int typeDigit, const QVector<DatasheetRow>& rows);
// The same grid handed over row by row: rows loaded give their cells as they stand, the others
// are read from the table a block at a time and not kept.
GridRows datasheetGridRows(Connection& db, const QString& table, int typeDigit,
                           const QVector<DatasheetRow>& rows);

// Exports the table's readings as the datasheet shows them when opened: the grid's cells
// (the heading row, then every reading in the grid's order; "No Readings" without one) into a
// workbook at path, as writeGridWorkbook does. The table is read in one pass (on a site
// server a page at a time) and each reading written as it comes, so memory stays flat in the
// number of readings. Returns the
// number of readings written. Raises DbError when the table cannot be read or the file
// written; no file is left at path then.
int writeDatasheetWorkbook(Connection& db, const QString& table, int typeDigit, const QString& path,
                           const QList<GridSheet>& moreSheets = {});

// Every reading of the table in FullDate order with its marks, and no cell texts yet. A mark
// is ticked unless its flag is stored false.
QVector<DatasheetRow> readDatasheetRows(Connection& db, const QString& table);

// Reads the cell texts of the rows first .. first + count - 1 that are not loaded yet. A null
// value gives an empty cell.
void loadDatasheetCells(Connection& db, const QString& table, int typeDigit,
                        QVector<DatasheetRow>& rows, int first, int count);

// Stores the data cells (an emptied cell stores an empty text) and the two marks of every
// row in one transaction. Rows the user changed are written one by one; the cells of a row
// not typed into are its stored values, so of the others only those that differ from what the
// grid shows (a null value, a flag other than 0 or 1) are written, in one statement. Other
// columns are left alone. A failing row stops the work; the rows before it stay stored.
void writeDatasheetRows(Connection& db, const QString& table, int typeDigit,
                        const QVector<DatasheetRow>& rows);

// What a key typed into a cell does.
enum class SheetKey { Nothing, Append, DropLast, NextCell, OnlyChannels, NumbersOnly };

// The rule for the character code key typed into the given column: channel columns (3 and
// right) take digits and "." and Backspace; the date columns take nothing; Tab moves on
// everywhere. OnlyChannels and NumbersOnly name the message the user gets.
SheetKey datasheetKey(int column, int key);

// The cell Tab moves to from (row, column), rows counted with the heading row as 0: the next
// column, then column 0 of the next row, and from the last cell to the heading row's first
// cell. Returns {row, column}.
QPair<int, int> datasheetNextCell(int row, int column, int rowCount, int columnCount);
