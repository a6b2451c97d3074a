// The floor of the datasheet export: a program of its own that writes, with the same workbook
// library in its constant-memory mode, the cells the export of the datasheet bench writes (the
// heading row, then for each of the readings its key as text, its date as a date cell, its
// time as a time cell, its temperature and eight node values as numbers with their decimals),
// row by row, and fits the columns. Takes the workbook's path and the number of readings.
//   quorvelle_datasheet_floor FILE READINGS

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <xlsxwriter.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE READINGS\n", argv[0]);
        return 2;
    }
    const long readings = std::atol(argv[2]);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(argv[1], &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "120591001");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy/mm/dd");
    lxw_format* time = workbook_add_format(book);
    format_set_num_format(time, "hh:mm:ss");
    lxw_format* oneDecimal = workbook_add_format(book);
    format_set_num_format(oneDecimal, "0.0");
    lxw_format* twoDecimals = workbook_add_format(book);
    format_set_num_format(twoDecimals, "0.00");

    const char* headings[] = {"DateTime Key", "ReadingDate", "R. Time",  "ChannelT",
                              "Channel1",     "Channel2",    "Channel3", "Channel4",
                              "Channel5",     "Channel6",    "Channel7", "Channel8"};
    for (lxw_col_t c = 0; c < 12; ++c) {
        worksheet_write_string(sheet, 0, c, headings[c], nullptr);
    }
    // Hourly from 2015-01-01 08:00, as the bench's readings.
    const time_t start = 1420099200;
    char key[64];
    for (long i = 0; i < readings; ++i) {
        const time_t at = start + 3600 * i;
        tm fields{};
        gmtime_r(&at, &fields);
        std::snprintf(key, sizeof key, "120591001 %04d-%02d-%02d %02d:%02d:%02d",
                      fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
                      fields.tm_min, fields.tm_sec);
        const auto row = static_cast<lxw_row_t>(i + 1);
        worksheet_write_string(sheet, row, 0, key, nullptr);
        lxw_datetime day{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, 0, 0, 0.0};
        worksheet_write_datetime(sheet, row, 1, &day, date);
        worksheet_write_number(sheet, row, 2,
                               (fields.tm_hour * 3600 + fields.tm_min * 60) / 86400.0, time);
        worksheet_write_number(sheet, row, 3, 15 + static_cast<double>(i % 100) / 10.0, oneDecimal);
        for (int n = 1; n <= 8; ++n) {
            worksheet_write_number(sheet, row, static_cast<lxw_col_t>(3 + n),
                                   10.0 * n + static_cast<double>(i) * 0.0001 * n, twoDecimals);
        }
    }
    const double widths[] = {31.0, 13.0, 10.8, 6.4, 8.6, 8.6, 8.6, 8.6, 8.6, 8.6, 8.6, 8.6};
    for (lxw_col_t c = 0; c < 12; ++c) {
        worksheet_set_column(sheet, c, c, widths[c], nullptr);
    }
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}
