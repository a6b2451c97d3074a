// The second floor of the datasheet export: a bare Qt program (a QCoreApplication, linked with
// Qt Core only) that reads the readings of one table from the export's SQLite file with the
// SQLite library's own calls, in the export's order, and writes their cells row by row with
// the same workbook library in its constant-memory mode, typed as the export types them: the
// heading row, then each reading's key as text, its date as a date cell, its time as a time
// cell, its temperature and node values as numbers showing their decimals; the columns fitted
// to their longest text. As the export, it heads the readings' empty time-plot mark column. Prints
// "exported <seconds>" for the reading and writing, the opening of the database file left out as
// the export's own figure leaves it out.
//   quorvelle_datasheet_sqlite_floor DATABASE TABLE FILE

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>
#include <string>
#include <xlsxwriter.h>

namespace {

// The data columns read, and the mark column headed beside them.
constexpr int kColumns = 12;
constexpr int kHeadedColumns = kColumns + 1;
constexpr int kMostDecimals = 16;

int twoDigits(const unsigned char* text) {
    return (text[0] - '0') * 10 + (text[1] - '0');
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DATABASE TABLE FILE\n", argv[0]);
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const char* headings[kHeadedColumns] = {"DateTime Key", "ReadingDate", "R. Time",  "ChannelT",
                                            "Channel1",     "Channel2",    "Channel3", "Channel4",
                                            "Channel5",     "Channel6",    "Channel7", "Channel8",
                                            "PlotTemporal"};
    const std::string sql = std::string("SELECT DateTimeKey, ReadingDate, ReadingTime, ChannelT, "
                                        "Channel1, Channel2, Channel3, Channel4, Channel5, "
                                        "Channel6, Channel7, Channel8 FROM \"") +
                            argv[2] + "\" ORDER BY FullDate, rowid";
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 1;
    }

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(argv[3], &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, argv[2]);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy/mm/dd");
    lxw_format* time = workbook_add_format(book);
    format_set_num_format(time, "hh:mm:ss");
    lxw_format* decimals[kMostDecimals] = {};

    size_t longest[kHeadedColumns] = {};
    for (lxw_col_t c = 0; c < kHeadedColumns; ++c) {
        worksheet_write_string(sheet, 0, c, headings[c], nullptr);
        longest[c] = std::strlen(headings[c]);
    }
    lxw_row_t row = 1;
    for (; sqlite3_step(query) == SQLITE_ROW; ++row) {
        const auto* key = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
        worksheet_write_string(sheet, row, 0, key, nullptr);
        longest[0] = std::max(longest[0], std::strlen(key));
        // "yyyy/mm/dd"
        const unsigned char* day = sqlite3_column_text(query, 1);
        lxw_datetime when{twoDigits(day) * 100 + twoDigits(day + 2),
                          twoDigits(day + 5),
                          twoDigits(day + 8),
                          0,
                          0,
                          0.0};
        worksheet_write_datetime(sheet, row, 1, &when, date);
        // "HH:MM:SS"
        const unsigned char* at = sqlite3_column_text(query, 2);
        const int seconds = twoDigits(at) * 3600 + twoDigits(at + 3) * 60 + twoDigits(at + 6);
        worksheet_write_number(sheet, row, 2, seconds / 86400.0, time);
        longest[1] = std::max<size_t>(longest[1], 10);
        longest[2] = std::max<size_t>(longest[2], 8);
        for (int c = 3; c < kColumns; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query, c));
            const size_t size = static_cast<size_t>(sqlite3_column_bytes(query, c));
            const char* point = std::strchr(text, '.');
            const int shown = point != nullptr ? static_cast<int>(text + size - point - 1) : 0;
            lxw_format*& format = decimals[std::min(shown, kMostDecimals - 1)];
            if (format == nullptr && shown > 0) {
                format = workbook_add_format(book);
                format_set_num_format(format, ("0." + std::string(shown, '0')).c_str());
            }
            worksheet_write_number(sheet, row, static_cast<lxw_col_t>(c),
                                   std::strtod(text, nullptr), format);
            longest[c] = std::max(longest[c], size);
        }
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    for (lxw_col_t c = 0; c < kHeadedColumns; ++c) {
        worksheet_set_column(sheet, c, c, static_cast<double>(longest[c]) * 1.1 + 2.0, nullptr);
    }
    const bool written = workbook_close(book) == LXW_NO_ERROR;
    std::printf("exported %.4f\n", static_cast<double>(timer.nsecsElapsed()) / 1e9);
    return written && row > 1 ? 0 : 1;
}
