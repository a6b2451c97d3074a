#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// One cell of a worksheet as stored in the file.
struct XlsxCell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    // Text cells: the text (shared strings resolved). Number cells: the stored number as
    // written in the file; dates are their serial day numbers.
    QString value;
    int numFmtId = 0;
    QString numFmtCode; // empty for the built-in formats
};

// Reads back the sheets of an .xlsx file for tests. Raises std::runtime_error when the file
// is not a readable workbook.
class XlsxReader {
public:
    explicit XlsxReader(const QString& path);

    QStringList sheetNames() const { return sheetNames_; }
    // Cell by 1-based row and column of the sheet at index sheet.
    XlsxCell cell(int sheet, int row, int column) const;
    QString text(int sheet, int row, int column) const { return cell(sheet, row, column).value; }
    // Highest row and column holding a cell.
    int rowCount(int sheet) const;
    int columnCount(int sheet) const;
    // Width set for a 1-based column; 0 when none was set.
    double columnWidth(int sheet, int column) const;

private:
    struct Sheet {
        QHash<QPair<int, int>, XlsxCell> cells;
        QHash<int, double> widths;
        int rows = 0;
        int columns = 0;
    };

    QStringList sheetNames_;
    QVector<Sheet> sheets_;
};
