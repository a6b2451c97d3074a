#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <string_view>
#include <vector>

class Clock;

// A further sheet of a workbook: its name and its cells row by row, heading row first, every
// column written.
struct GridSheet {
    QString name;
    QVector<QStringList> rows;
};

// Copies a grid on screen into a new workbook file and returns the file's path; the caller
// opens it with the desktop's handler. grid holds the cell texts row by row, heading row
// first. The first rowCount rows are copied, and of each row the columns 0 to
// columnCount - 2 (the grid's last column is left out). The sheet is named title when that
// is a valid sheet name, else it keeps the default name. Grid column 1 holds reading dates:
// a date text there becomes a date cell shown "yyyy/mm/dd". Grid column 2 holds reading times:
// an "HH:mm:ss" text there becomes a time cell shown "hh:mm:ss". Texts that read as numbers become
// number cells showing the same decimals; all other texts stay text. Columns are fitted to
// their longest text.
// The file is "<dataFolder>/Exports/<title> yyyy-MM-dd HH.mm.ss.xlsx", with " (2)", " (3)"...
// appended when that name is taken. The further sheets follow the grid's, their cells written
// the same way. Raises DbError when the file cannot be written.
QString FlexGridToExcel(const QVector<QStringList>& grid, int rowCount, int columnCount,
                        const QString& title, const QString& dataFolder, const Clock& clock,
                        const QList<GridSheet>& moreSheets = {});

// Writes the cells of the grid, as FlexGridToExcel does, into a workbook at path (replacing a
// file there). Raises DbError when the file cannot be written.
void writeGridWorkbook(const QVector<QStringList>& grid, int rowCount, int columnCount,
                       const QString& title, const QString& path,
                       const QList<GridSheet>& moreSheets = {});

// One row's cells as the writer takes them, each a text or its UTF-8 bytes; bytes stay the
// caller's and must last until the next row is asked for.
class GridCells {
public:
    struct Cell {
        std::string_view utf8;
        QString text;
        bool isText = false;
    };
    void clear() { cells_.clear(); }
    void add(const QString& text) { cells_.push_back({{}, text, true}); }
    void addUtf8(std::string_view bytes) { cells_.push_back({bytes, {}, false}); }
    int size() const { return static_cast<int>(cells_.size()); }
    const Cell& operator[](int i) const { return cells_[static_cast<size_t>(i)]; }

private:
    std::vector<Cell> cells_;
};

// A grid's rows handed over one at a time, in order, so that no more than one is held: row(i)
// gives the texts of row i, heading row first.
struct GridRows {
    int count = 0;
    std::function<QStringList(int row)> row;
    // When set, fills the row's cells in place of row, without a list of texts per row.
    std::function<void(int row, GridCells& cells)> cells;
};

// FlexGridToExcel and writeGridWorkbook for rows handed over one at a time.
QString FlexGridToExcel(const GridRows& rows, int columnCount, const QString& title,
                        const QString& dataFolder, const Clock& clock,
                        const QList<GridSheet>& moreSheets = {});
void writeGridWorkbook(const GridRows& rows, int columnCount, const QString& title,
                       const QString& path, const QList<GridSheet>& moreSheets = {});

// Rows whose number is known only once all are read: each call fills the next row's cells,
// heading row first, and returns false (cells left empty) when no row is left.
using GridStream = std::function<bool(GridCells& cells)>;

// writeGridWorkbook for a stream of rows; returns the number of rows written, heading row
// included. A failure raised by the stream stops the write and nothing is written: a file
// already at path stays as it was.
int writeGridWorkbook(const GridStream& rows, int columnCount, const QString& title,
                      const QString& path, const QList<GridSheet>& moreSheets = {});

// The folder under the data folder that receives the exported workbooks.
QString exportFolder(const QString& dataFolder);
