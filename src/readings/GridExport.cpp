#include "readings/GridExport.h"

#include "store/Clock.h"
#include "store/DbError.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <xlsxwriter.h>

namespace {
// Grid column holding the reading dates (sheet column 2).
constexpr int kDateColumn = 1;
constexpr char kDateFormat[] = "yyyy/mm/dd";
// Text shown in place of a date cell, for the column widths.
constexpr int kDateTextLength = 10;
// Grid column holding the reading times (sheet column 3).
constexpr int kTimeColumn = 2;
constexpr char kTimeFormat[] = "hh:mm:ss";
constexpr int kTimeTextLength = 8;
constexpr double kSecondsPerDay = 86400.0;

// Most cells are plain texts of digits: those are read here, character by character, and only
// the others go through Qt's parsers, which give the same results for the plain ones.

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

char16_t unitOf(QChar c) {
    return c.unicode();
}
char16_t unitOf(char c) {
    return static_cast<unsigned char>(c);
}

// The number of the digits at text[from, from + count); -1 when one is not a digit.
template <typename Text> int digitsAt(const Text& text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = unitOf(text[static_cast<size_t>(i)]);
        if (!isDigit(c)) {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

// A reading time in "HH:mm:ss", as seconds of the day.
template <typename Text> std::optional<int> plainTime(const Text& text, qsizetype size) {
    if (size == 8 && unitOf(text[2]) == u':' && unitOf(text[5]) == u':') {
        const int hour = digitsAt(text, 0, 2);
        const int minute = digitsAt(text, 3, 2);
        const int second = digitsAt(text, 6, 2);
        if (QTime::isValid(hour, minute, second)) {
            return hour * 3600 + minute * 60 + second;
        }
    }
    return std::nullopt;
}

// A reading date in "yyyy/MM/dd" or "yyyy-MM-dd", from 1900 on as spreadsheets count.
template <typename Text> std::optional<lxw_datetime> plainDate(const Text& text, qsizetype size) {
    if (size == 10 && (unitOf(text[4]) == u'/' || unitOf(text[4]) == u'-') &&
        unitOf(text[7]) == unitOf(text[4])) {
        const int year = digitsAt(text, 0, 4);
        const int month = digitsAt(text, 5, 2);
        const int day = digitsAt(text, 8, 2);
        if (year >= 1900 && QDate::isValid(year, month, day)) {
            return lxw_datetime{year, month, day, 0, 0, 0.0};
        }
    }
    return std::nullopt;
}

// A reading time as the readings table stores it, "HH:mm:ss".
std::optional<QTime> parseTime(const QString& text) {
    if (const auto seconds = plainTime(text, text.size())) {
        return QTime::fromMSecsSinceStartOfDay(*seconds * 1000);
    }
    const QTime time = QTime::fromString(text.trimmed(), QStringLiteral("HH:mm:ss"));
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

std::optional<QDate> parseDate(const QString& text) {
    // "yyyy/MM/dd" or "yyyy-MM-dd", as the readings table stores its dates.
    if (const auto date = plainDate(text, text.size())) {
        return QDate(date->year, date->month, date->day);
    }
    const QString trimmed = text.trimmed();
    for (const char* form : {"yyyy/M/d", "yyyy-M-d"}) {
        const QDate date = QDate::fromString(trimmed, QLatin1String(form));
        // Spreadsheet dates start in 1900.
        if (date.isValid() && date.year() >= 1900) {
            return date;
        }
    }
    return std::nullopt;
}

// A plain decimal such as "-12.50": its value, correctly rounded as Qt's conversion rounds it,
// and the decimals written; nothing for any other text.
struct PlainNumber {
    double value = 0;
    std::optional<int> decimals;
};

constexpr qsizetype kLongestPlain = 40;

// The characters of a plain decimal, as Latin-1 in latin; false for any other text.
bool plainLatin(QStringView text, char* latin) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c > 0x7f) {
            return false;
        }
        latin[i] = static_cast<char>(c);
    }
    return true;
}

std::optional<PlainNumber> plainNumber(std::string_view text) {
    const auto size = static_cast<qsizetype>(text.size());
    if (size == 0 || size > kLongestPlain) {
        return std::nullopt;
    }
    qsizetype point = -1;
    int digits = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text[static_cast<size_t>(i)];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && point < 0) {
            point = i;
        } else if (c != '-' || i != 0) {
            return std::nullopt;
        }
    }
    // A digit on either side of the point: other forms are left to Qt's conversion.
    const qsizetype integerFrom = text[0] == '-' ? 1 : 0;
    if (digits == 0 || point == size - 1 || point == integerFrom) {
        return std::nullopt;
    }
    PlainNumber number;
    const char* const first = text.data();
    const auto [end, failed] = std::from_chars(first, first + size, number.value);
    if (failed != std::errc() || end != first + size || !std::isfinite(number.value)) {
        return std::nullopt;
    }
    if (point >= 0) {
        number.decimals = static_cast<int>(size - point - 1);
    }
    return number;
}

std::optional<PlainNumber> plainNumber(const QString& text) {
    char latin[kLongestPlain];
    if (text.isEmpty() || text.size() > kLongestPlain || !plainLatin(text, latin)) {
        return std::nullopt;
    }
    return plainNumber(std::string_view(latin, static_cast<size_t>(text.size())));
}

std::optional<double> parseNumber(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Number of decimals written in a plain decimal text such as "12.50", so that the cell shows
// the figure as the grid did; nullopt for other forms (exponents, no point).
std::optional<int> decimalsShown(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^[+-]?\\d*\\.(\\d+)$"));
    const QRegularExpressionMatch match = plain.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return static_cast<int>(match.capturedLength(1));
}

// Removes the characters a file name cannot hold.
QString fileNamePart(const QString& title) {
    QString name = title.trimmed();
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("Grid") : name;
}

QString freePath(const QString& folder, const QString& base) {
    QString candidate = QDir(folder).filePath(base + ".xlsx");
    for (int n = 2; QFileInfo::exists(candidate); ++n) {
        candidate = QDir(folder).filePath(QStringLiteral("%1 (%2).xlsx").arg(base).arg(n));
    }
    return candidate;
}

class Workbook {
public:
    // Rows go to the file as they are written (a temporary file holds them until the close),
    // so memory stays flat whatever the number of rows; they are written in order.
    explicit Workbook(const QString& path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        book_ = workbook_new_opt(QFile::encodeName(path), &options);
    }
    // A workbook left unfinished (its rows failed) is dropped without writing a file.
    ~Workbook() {
        if (book_ != nullptr) {
            lxw_workbook_free(book_);
        }
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_workbook* get() const { return book_; }
    // Writes the file; the workbook is gone afterwards whatever the outcome.
    lxw_error close() {
        const lxw_error error = workbook_close(book_);
        book_ = nullptr;
        return error;
    }

private:
    lxw_workbook* book_ = nullptr;
};

lxw_worksheet* addSheet(lxw_workbook* book, const QString& title) {
    const QByteArray name = title.toUtf8();
    if (!title.isEmpty() && workbook_validate_sheet_name(book, name.constData()) == LXW_NO_ERROR) {
        return workbook_add_worksheet(book, name.constData());
    }
    return workbook_add_worksheet(book, nullptr);
}

class CellWriter {
public:
    CellWriter(lxw_workbook* book, lxw_worksheet* sheet) : book_(book), sheet_(sheet) {}

    // Writes one cell and returns the length of the text it shows. A cell that fails is
    // passed over: the rest of the sheet is still worth having.
    int write(lxw_row_t row, lxw_col_t col, const QString& text) {
        if (text.isEmpty()) {
            return 0;
        }
        if (col == kTimeColumn) {
            // A spreadsheet time is the fraction of the day.
            if (const auto time = parseTime(text)) {
                worksheet_write_number(sheet_, row, col,
                                       time->msecsSinceStartOfDay() / 1000 / kSecondsPerDay,
                                       numberFormat(kTimeFormat));
                return kTimeTextLength;
            }
        }
        if (col == kDateColumn) {
            if (const auto date = parseDate(text)) {
                lxw_datetime when{date->year(), date->month(), date->day(), 0, 0, 0.0};
                worksheet_write_datetime(sheet_, row, col, &when, numberFormat(kDateFormat));
                return kDateTextLength;
            }
        }
        if (const auto plain = plainNumber(text)) {
            worksheet_write_number(sheet_, row, col, plain->value,
                                   plain->decimals ? decimalsFormat(*plain->decimals) : nullptr);
            return static_cast<int>(text.size());
        }
        if (const auto number = parseNumber(text)) {
            const auto decimals = decimalsShown(text);
            lxw_format* format =
                decimals ? numberFormat("0." + QByteArray(*decimals, '0')) : nullptr;
            worksheet_write_number(sheet_, row, col, *number, format);
            return static_cast<int>(text.trimmed().size());
        }
        worksheet_write_string(sheet_, row, col, text.toUtf8().constData(), nullptr);
        return static_cast<int>(text.size());
    }

    // The same for a text given as UTF-8: the common forms (plain decimals, dates, times and
    // texts that cannot be numbers, all in ASCII) are written from the bytes, the others as
    // their text.
    int write(lxw_row_t row, lxw_col_t col, std::string_view utf8) {
        if (utf8.empty()) {
            return 0;
        }
        const auto size = static_cast<qsizetype>(utf8.size());
        if (col == kTimeColumn) {
            if (const auto seconds = plainTime(utf8, size)) {
                worksheet_write_number(sheet_, row, col, *seconds / kSecondsPerDay,
                                       numberFormat(kTimeFormat));
                return kTimeTextLength;
            }
            return write(row, col, QString::fromUtf8(utf8.data(), size));
        }
        if (col == kDateColumn) {
            if (auto date = plainDate(utf8, size)) {
                worksheet_write_datetime(sheet_, row, col, &*date, numberFormat(kDateFormat));
                return kDateTextLength;
            }
            return write(row, col, QString::fromUtf8(utf8.data(), size));
        }
        if (const auto plain = plainNumber(utf8)) {
            worksheet_write_number(sheet_, row, col, plain->value,
                                   plain->decimals ? decimalsFormat(*plain->decimals) : nullptr);
            return static_cast<int>(size);
        }
        if (!plainText(utf8)) {
            return write(row, col, QString::fromUtf8(utf8.data(), size));
        }
        text_.assign(utf8);
        worksheet_write_string(sheet_, row, col, text_.c_str(), nullptr);
        return static_cast<int>(size);
    }

private:
    // ASCII that no number conversion reads as a number: it holds a character that no number
    // text has, and no control character that trimming would drop.
    static bool plainText(std::string_view utf8) {
        bool unlikeNumber = false;
        for (const char c : utf8) {
            const auto u = static_cast<unsigned char>(c);
            if (u >= 0x80 || u < 0x20) {
                return false;
            }
            if (!std::isalnum(u) && c != '.' && c != ',' && c != '+' && c != '-' && c != ' ') {
                unlikeNumber = true;
            }
        }
        return unlikeNumber;
    }

    lxw_format* decimalsFormat(int decimals) {
        if (decimals >= static_cast<int>(std::size(decimalFormats_))) {
            return numberFormat("0." + QByteArray(decimals, '0'));
        }
        lxw_format*& format = decimalFormats_[decimals];
        if (format == nullptr) {
            format = numberFormat("0." + QByteArray(decimals, '0'));
        }
        return format;
    }

    lxw_format* numberFormat(const QByteArray& code) {
        auto found = formats_.find(code);
        if (found == formats_.end()) {
            lxw_format* format = workbook_add_format(book_);
            format_set_num_format(format, code.constData());
            found = formats_.insert(code, format);
        }
        return *found;
    }

    lxw_workbook* book_;
    lxw_worksheet* sheet_;
    QHash<QByteArray, lxw_format*> formats_;
    lxw_format* decimalFormats_[24] = {};
    std::string text_;
};

// A column width, in characters of the default font, that shows the longest text whole.
double fittedWidth(int characters) {
    return characters * 1.1 + 2.0;
}
} // namespace

namespace {
// The rows and their first columnCount columns, the columns fitted; returns the number of
// rows written.
int writeSheet(lxw_workbook* book, lxw_worksheet* sheet, const GridStream& next, int columnCount) {
    CellWriter cells(book, sheet);
    const int columns = std::max(columnCount, 0);
    QVector<int> longest(columns, 0);
    GridCells given;
    int written = 0;
    for (;; ++written) {
        given.clear();
        if (!next(given)) {
            break;
        }
        const auto at = static_cast<lxw_row_t>(written);
        for (int j = 0; j < columns && j < given.size(); ++j) {
            const GridCells::Cell& cell = given[j];
            const int shown = cell.isText ? cells.write(at, static_cast<lxw_col_t>(j), cell.text)
                                          : cells.write(at, static_cast<lxw_col_t>(j), cell.utf8);
            longest[j] = std::max(longest[j], shown);
        }
    }
    for (int j = 0; j < columns; ++j) {
        if (longest[j] > 0) {
            worksheet_set_column(sheet, static_cast<lxw_col_t>(j), static_cast<lxw_col_t>(j),
                                 fittedWidth(longest[j]), nullptr);
        }
    }
    return written;
}

// The grid's rows in order, as its cells or its texts give them.
GridStream streamOf(const GridRows& grid) {
    return [&grid, i = 0](GridCells& cells) mutable {
        if (i >= grid.count) {
            return false;
        }
        if (grid.cells) {
            grid.cells(i, cells);
        } else {
            for (const QString& text : grid.row(i)) {
                cells.add(text);
            }
        }
        ++i;
        return true;
    };
}

// The first rowCount rows of the grid.
GridRows rowsOf(const QVector<QStringList>& grid, int rowCount) {
    return {std::clamp(rowCount, 0, static_cast<int>(grid.size())),
            [&grid](int row) { return grid[row]; },
            {}};
}
} // namespace

QString exportFolder(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("Exports"));
}

QString FlexGridToExcel(const QVector<QStringList>& grid, int rowCount, int columnCount,
                        const QString& title, const QString& dataFolder, const Clock& clock,
                        const QList<GridSheet>& moreSheets) {
    return FlexGridToExcel(rowsOf(grid, rowCount), columnCount, title, dataFolder, clock,
                           moreSheets);
}

QString FlexGridToExcel(const GridRows& rows, int columnCount, const QString& title,
                        const QString& dataFolder, const Clock& clock,
                        const QList<GridSheet>& moreSheets) {
    const QString folder = exportFolder(dataFolder);
    if (!QDir().mkpath(folder)) {
        throw DbError(ErrorCode::FileNotFound, "Could not create folder '" + folder + "'.");
    }
    const QString stamp = clock.now().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    const QString path = freePath(folder, fileNamePart(title) + ' ' + stamp);
    writeGridWorkbook(rows, columnCount, title, path, moreSheets);
    return path;
}

void writeGridWorkbook(const QVector<QStringList>& grid, int rowCount, int columnCount,
                       const QString& title, const QString& path,
                       const QList<GridSheet>& moreSheets) {
    writeGridWorkbook(rowsOf(grid, rowCount), columnCount, title, path, moreSheets);
}

void writeGridWorkbook(const GridRows& rows, int columnCount, const QString& title,
                       const QString& path, const QList<GridSheet>& moreSheets) {
    writeGridWorkbook(streamOf(rows), columnCount, title, path, moreSheets);
}

int writeGridWorkbook(const GridStream& rows, int columnCount, const QString& title,
                      const QString& path, const QList<GridSheet>& moreSheets) {
    // The workbook is written under a temporary name and renamed once complete, so a failed
    // write never leaves a partial file under the export's name.
    const QString partial = path + QStringLiteral(".part");
    Workbook book(partial);
    if (book.get() == nullptr) {
        throw DbError(ErrorCode::FileNotFound, "Could not create file '" + path + "'.");
    }
    const int written = writeSheet(book.get(), addSheet(book.get(), title), rows, columnCount - 1);
    for (const GridSheet& more : moreSheets) {
        qsizetype columns = 0;
        for (const QStringList& row : more.rows) {
            columns = std::max(columns, row.size());
        }
        const GridRows moreRows = rowsOf(more.rows, static_cast<int>(more.rows.size()));
        writeSheet(book.get(), addSheet(book.get(), more.name), streamOf(moreRows),
                   static_cast<int>(columns));
    }

    const lxw_error error = book.close();
    if (error != LXW_NO_ERROR) {
        QFile::remove(partial);
        throw DbError(ErrorCode::FileNotFound, "Could not write file '" + path +
                                                   "': " + QString::fromUtf8(lxw_strerror(error)));
    }
    // A file already at path is replaced in the one step.
    std::error_code failed;
    std::filesystem::rename(QFile::encodeName(partial).toStdString(),
                            QFile::encodeName(path).toStdString(), failed);
    if (failed) {
        QFile::remove(partial);
        throw DbError(ErrorCode::FileNotFound, "Could not write file '" + path + "'.");
    }
    return written;
}
