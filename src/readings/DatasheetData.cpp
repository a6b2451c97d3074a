#include "readings/DatasheetData.h"

#include "readings/ReadingKeys.h"
#include "readings/ReadingStore.h"
#include "store/Connection.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>
#include <algorithm>

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kTwipsPerHeadingCharacter = 120;
constexpr int kKeyColumnTwips = 2600;
constexpr int kFixedDataColumns = 4; // DateTimeKey, ReadingDate, ReadingTime, ChannelT

QStringList dataColumns(int typeDigit) {
    QStringList columns = {"DateTimeKey", "ReadingDate", "ReadingTime", "ChannelT"};
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

QSqlQuery prepare(Connection& db, const QString& sql) {
    QSqlQuery query(db.db());
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        raiseSqlError(query.lastError());
    }
    return query;
}

void run(QSqlQuery& query) {
    if (!query.exec()) {
        raiseSqlError(query.lastError());
    }
}

bool plainFlag(const QVariant& flag) {
    return !flag.isNull() && (flag.toString() == "0" || flag.toString() == "1");
}

bool ticked(const QVariant& flag) {
    return flag.isNull() || flag.toLongLong() != 0;
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

QVector<DatasheetRow> readDatasheetRows(Connection& db, const QString& table, int typeDigit) {
    const QStringList columns = dataColumns(typeDigit);
    QSqlQuery query = prepare(db, "SELECT rowid, " + quotedColumns(columns) +
                                      ", Plottemporal, PlotSpatial FROM " + quoteName(table) +
                                      " ORDER BY FullDate, rowid");
    run(query);
    QVector<DatasheetRow> rows;
    const int count = columns.size();
    while (query.next()) {
        DatasheetRow row;
        row.id = query.value(0).toLongLong();
        row.cells.reserve(count);
        for (int c = 0; c < count; ++c) {
            const QVariant value = query.value(c + 1);
            row.settled = row.settled && !value.isNull();
            row.cells << value.toString();
        }
        const QVariant temporal = query.value(count + 1);
        const QVariant spatial = query.value(count + 2);
        row.temporal = ticked(temporal);
        row.spatial = ticked(spatial);
        row.settled = row.settled && plainFlag(temporal) && plainFlag(spatial);
        rows << std::move(row);
    }
    return rows;
}

void writeDatasheetRows(Connection& db, const QString& table, int typeDigit,
                        const QVector<DatasheetRow>& rows) {
    const QStringList columns = dataColumns(typeDigit);
    QStringList sets;
    for (const QString& c : columns) {
        sets << quoteName(c) + " = ?";
    }
    sets << "Plottemporal = ?"
         << "PlotSpatial = ?";
    keepingDoneRows(db, [&] {
        QSqlQuery update = prepare(db, "UPDATE " + quoteName(table) + " SET " + sets.join(", ") +
                                           " WHERE rowid = ?");
        for (const DatasheetRow& row : rows) {
            if (row.settled && !row.changed) {
                continue;
            }
            int at = 0;
            for (int c = 0; c < columns.size(); ++c) {
                update.bindValue(at++, storedText(c < row.cells.size() ? row.cells[c] : QString()));
            }
            update.bindValue(at++, row.temporal ? 1 : 0);
            update.bindValue(at++, row.spatial ? 1 : 0);
            update.bindValue(at, row.id);
            run(update);
        }
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
