#include "readings/DatasheetData.h"

#include "readings/ReadingKeys.h"
#include "readings/ReadingStore.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/EngineSql.h"
#include "store/NativeStatement.h"
#include "store/RowPass.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>
#include <algorithm>
#include <memory>
#include <optional>

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kTwipsPerHeadingCharacter = 120;
constexpr int kKeyColumnTwips = 2600;
constexpr int kFixedDataColumns = 4; // DateTimeKey, ReadingDate, ReadingTime, ChannelT

QStringList dataColumns(int typeDigit) {
    QStringList columns = {col::DateTimeKey, col::ReadingDate, col::ReadingTime, col::ChannelT};
    for (int n = 1; n < typeDigit; ++n) {
        columns << QStringLiteral("Channel%1").arg(n);
    }
    return columns;
}

QString quotedColumns(const QStringList& columns) {
    QStringList quoted;
    for (const QString& c : columns) {
        quoted << quoteName(c);
    }
    return quoted.join(", ");
}

} // namespace

int datasheetTypeDigit(const QString& instrumentId) {
    const int digit = instrumentId.mid(4, 1).toInt();
    return std::clamp(digit, 2, 9);
}

QStringList datasheetHeadings(int typeDigit) {
    QStringList headings = {"DateTime Key", "ReadingDate", "R. Time", "ChannelT"};
    for (int n = 1; n < typeDigit; ++n) {
        headings << QStringLiteral("Channel%1").arg(n);
    }
    headings << "PlotTemporal"
             << "PlotSpatial";
    return headings;
}

QVector<int> datasheetWidths(int typeDigit) {
    const QStringList headings = datasheetHeadings(typeDigit);
    QVector<int> widths;
    for (int c = 0; c <= typeDigit + 3; ++c) {
        widths << kTwipsPerHeadingCharacter * headings[c].trimmed().size() / kTwipsPerPixel;
    }
    widths[0] = kKeyColumnTwips / kTwipsPerPixel;
    return widths;
}

QVector<QStringList> datasheetGridTexts(int typeDigit, const QVector<DatasheetRow>& rows) {
    if (rows.isEmpty()) {
        return {QStringList{kNoReadings}};
    }
    QVector<QStringList> grid;
    grid.reserve(rows.size() + 1);
    grid << datasheetHeadings(typeDigit);
    for (const DatasheetRow& row : rows) {
        QStringList texts = row.cells;
        texts << QString() << QString();
        grid << texts;
    }
    return grid;
}

GridRows datasheetGridRows(Connection& db, const QString& table, int typeDigit,
                           const QVector<DatasheetRow>& rows) {
    if (rows.isEmpty()) {
        return {1, [](int) { return QStringList{kNoReadings}; }, {}};
    }
    // The table is read in the grid's order in one pass, each row's bytes written as they come:
    // only the row being written is held. A row the pass does not meet where the grid has it
    // (added or moved since the grid was read) is looked up by itself.
    struct Reader {
        std::optional<RowPass> pass;
        std::optional<NativeStatement> one;
        bool onRow = false;
        bool stepped = false;
    };
    const auto reader = std::make_shared<Reader>();
    const QStringList headings = datasheetHeadings(typeDigit);
    const QString columns = quotedColumns(dataColumns(typeDigit));
    const int count = static_cast<int>(dataColumns(typeDigit).size());
    GridRows grid;
    grid.count = static_cast<int>(rows.size()) + 1;
    grid.cells = [&db, table, &rows, reader, headings, columns, count](int row, GridCells& cells) {
        if (row == 0) {
            for (const QString& heading : headings) {
                cells.add(heading);
            }
            return;
        }
        const DatasheetRow& wanted = rows[row - 1];
        if (wanted.loaded) {
            for (const QString& text : wanted.cells) {
                cells.add(text);
            }
        } else {
            Reader& r = *reader;
            if (!r.pass) {
                r.pass.emplace(db, "SELECT rowid, " + columns + " FROM " + quoteName(table) +
                                       " ORDER BY FullDate, rowid");
            }
            if (!r.stepped) {
                r.onRow = r.pass->step();
                r.stepped = true;
            }
            const bool inPass = r.onRow && r.pass->int64At(0) == wanted.id;
            bool found = inPass;
            if (inPass) {
                r.stepped = false;
            } else {
                if (!r.one) {
                    r.one.emplace(db, "SELECT " + columns + " FROM " + quoteName(table) +
                                          " WHERE rowid = ?");
                }
                r.one->reset();
                r.one->bind(1, wanted.id);
                found = r.one->step();
            }
            for (int c = 0; c < count; ++c) {
                cells.addUtf8(!found   ? std::string_view()
                              : inPass ? r.pass->utf8At(1 + c)
                                       : r.one->utf8At(c));
            }
        }
        cells.add(QString());
        cells.add(QString());
    };
    return grid;
}

int writeDatasheetWorkbook(Connection& db, const QString& table, int typeDigit, const QString& path,
                           const QList<GridSheet>& moreSheets) {
    const QStringList columns = dataColumns(typeDigit);
    RowPass pass(db, "SELECT " + quotedColumns(columns) + " FROM " + quoteName(table) +
                         " ORDER BY FullDate, rowid");
    if (!pass.step()) {
        writeGridWorkbook(QVector<QStringList>{QStringList{kNoReadings}}, 1, 1, table, path,
                          moreSheets);
        return 0;
    }
    const QStringList headings = datasheetHeadings(typeDigit);
    const auto count = static_cast<int>(columns.size());
    int given = 0; // rows handed to the writer, the heading row first
    writeGridWorkbook(
        [&](GridCells& cells) {
            if (given == 0) {
                for (const QString& heading : headings) {
                    cells.add(heading);
                }
                ++given;
                return true;
            }
            // The first reading is stepped to already; each later one once the writer has
            // taken the one before, whose bytes last until then.
            if (given > 1 && !pass.step()) {
                return false;
            }
            for (int c = 0; c < count; ++c) {
                cells.addUtf8(pass.utf8At(c));
            }
            cells.add(QString());
            cells.add(QString());
            ++given;
            return true;
        },
        static_cast<int>(headings.size()), table, path, moreSheets);
    return given - 1;
}

QVector<DatasheetRow> readDatasheetRows(Connection& db, const QString& table) {
    NativeStatement query(db, "SELECT rowid, " + tickedFlagSql(db, "Plottemporal") + ", " +
                                  tickedFlagSql(db, "PlotSpatial") + " FROM " + quoteName(table) +
                                  " ORDER BY FullDate, rowid");
    QVector<DatasheetRow> rows;
    while (query.step()) {
        DatasheetRow row;
        row.id = query.int64At(0);
        row.temporal = query.int64At(1) != 0;
        row.spatial = query.int64At(2) != 0;
        rows << std::move(row);
    }
    return rows;
}

void loadDatasheetCells(Connection& db, const QString& table, int typeDigit,
                        QVector<DatasheetRow>& rows, int first, int count) {
    const QStringList columns = dataColumns(typeDigit);
    const int end = std::min(first + count, static_cast<int>(rows.size()));
    std::optional<NativeStatement> query;
    for (int r = std::max(first, 0); r < end; ++r) {
        DatasheetRow& row = rows[r];
        if (row.loaded) {
            continue;
        }
        if (!query) {
            query.emplace(db, "SELECT " + quotedColumns(columns) + " FROM " + quoteName(table) +
                                  " WHERE rowid = ?");
        }
        query->bind(1, row.id);
        const bool found = query->step();
        row.cells.clear();
        row.cells.reserve(columns.size());
        for (int c = 0; c < columns.size(); ++c) {
            row.cells << (found ? query->textAt(c) : QString());
        }
        row.loaded = true;
        query->reset();
    }
}

void writeDatasheetRows(Connection& db, const QString& table, int typeDigit,
                        const QVector<DatasheetRow>& rows) {
    const QStringList columns = dataColumns(typeDigit);
    QStringList typed;
    QStringList kept;
    QStringList settled;
    for (const QString& c : columns) {
        typed << quoteName(c) + " = ?";
        kept << quoteName(c) + " = COALESCE(" + quoteName(c) + ", '')";
        settled << quoteName(c) + " IS NOT NULL";
    }
    settled << plainFlagSql(db, "Plottemporal") << plainFlagSql(db, "PlotSpatial");
    const QString marks = "Plottemporal = ?, PlotSpatial = ? WHERE rowid = ?";
    keepingDoneRows(db, [&] {
        // Rows typed into take the grid's texts; other changed rows keep their values, which
        // are what the grid showed, and lose only their nulls.
        QSqlQuery edited = prepareQuery(db, "UPDATE " + quoteName(table) + " SET " +
                                                typed.join(", ") + ", " + marks);
        NativeStatement unedited(db, "UPDATE " + quoteName(table) + " SET " + kept.join(", ") +
                                         ", " + marks);
        for (const DatasheetRow& row : rows) {
            if (!row.changed) {
                continue;
            }
            if (row.edited) {
                int at = 0;
                for (int c = 0; c < columns.size(); ++c) {
                    edited.bindValue(at++,
                                     storedText(c < row.cells.size() ? row.cells[c] : QString()));
                }
                edited.bindValue(at++, row.temporal ? 1 : 0);
                edited.bindValue(at++, row.spatial ? 1 : 0);
                edited.bindValue(at, row.id);
                runQuery(db, edited);
            } else {
                unedited.bind(1, qint64{row.temporal ? 1 : 0});
                unedited.bind(2, qint64{row.spatial ? 1 : 0});
                unedited.bind(3, row.id);
                unedited.run();
            }
        }
        // The rows left unchanged are stored as the grid showed them.
        db.execute("UPDATE " + quoteName(table) + " SET " + kept.join(", ") +
                   ", Plottemporal = " + tickedFlagSql(db, "Plottemporal") + ", PlotSpatial = " +
                   tickedFlagSql(db, "PlotSpatial") + " WHERE NOT (" + settled.join(" AND ") + ")");
    });
}

SheetKey datasheetKey(int column, int key) {
    constexpr int kBackspace = 8;
    constexpr int kTab = 9;
    if (key == kTab) {
        return SheetKey::NextCell;
    }
    const bool digitOrPoint = (key >= '0' && key <= '9') || key == '.';
    if (column < kFixedDataColumns - 1) {
        return key == kBackspace ? SheetKey::Nothing : SheetKey::OnlyChannels;
    }
    if (key == kBackspace) {
        return SheetKey::DropLast;
    }
    return digitOrPoint ? SheetKey::Append : SheetKey::NumbersOnly;
}

QPair<int, int> datasheetNextCell(int row, int column, int rowCount, int columnCount) {
    if (column + 1 < columnCount) {
        return {row, column + 1};
    }
    if (row + 1 < rowCount) {
        return {row + 1, 0};
    }
    return {0, 0};
}
