#include "charts/GraphData.h"

#include "store/ChangeMark.h"
#include "store/CheckTables.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/MarkedValues.h"
#include "store/NativeStatement.h"

#include <QTimeZone>
#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

namespace {

// FullDate of another shape, parsed by format.
QDateTime fullDateOfText(const QString& text, const QTimeZone& zone) {
    const QDateTime parsed = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return parsed.isValid() ? QDateTime(parsed.date(), parsed.time(), zone) : parsed;
}

// FullDate as stored, "yyyy-MM-dd HH:mm:ss", read by position from the stored bytes: parsing
// by format, or even making a text of each, costs more than the rest of a row when a chart
// reads thousands of readings. The moment is placed in the system's time zone through Qt's
// own zone data; a local date-time would ask the C library, which looks at the zone file
// again for every reading. Any other shape is read as a text.
QDateTime fullDateOf(std::string_view text, const QTimeZone& zone) {
    constexpr std::string_view shape = "0000-00-00 00:00:00";
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    bool positional = text.size() == shape.size();
    for (std::size_t i = 0; positional && i < shape.size(); ++i) {
        positional = shape[i] == '0' ? digit(text[i]) : text[i] == shape[i];
    }
    if (positional) {
        const auto number = [&](std::size_t at, std::size_t length) {
            int value = 0;
            for (std::size_t i = at; i < at + length; ++i) {
                value = value * 10 + (text[i] - '0');
            }
            return value;
        };
        return QDateTime(QDate(number(0, 4), number(5, 2), number(8, 2)),
                         QTime(number(11, 2), number(14, 2), number(17, 2)), zone);
    }
    return fullDateOfText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                          zone);
}

// The selections read last, each with the mark of the database file it was read at: while
// the file stands at that mark, entering a chart again reads no row. Two are kept, a time
// and a length selection; the rows are shared with the charts that draw them.
using SelectionKey = std::tuple<QString, GraphVariant, QByteArray>; // sensor, variant, zone
using ReadSelections = MarkedValues<SelectionKey, GraphVariant, QList<GraphRow>>;

ReadSelections& readSelections() {
    static ReadSelections selections(2);
    return selections;
}

QStringList numberedColumns(const QString& stem, int count) {
    QStringList columns;
    for (int n = 1; n <= count; ++n) {
        columns << stem + QString::number(n);
    }
    return columns;
}

int selectedCount(Connection& db, const QString& instrumentId, GraphVariant variant) {
    return db
        .scalar("SELECT count(*) FROM " + quoteName(instrumentId) + " WHERE " +
                graphWhere(db, variant))
        .toInt();
}

} // namespace

QString graphWhere(Connection& db, GraphVariant variant) {
    return (variant == GraphVariant::Time ? QStringLiteral("Plottemporal = 1")
                                          : QStringLiteral("PlotSpatial = 1")) +
           " AND " + notRejectedSql(db);
}

QString graphSelect(Connection& db, const QString& instrumentId, GraphVariant variant,
                    const QStringList& columns) {
    // rowid settles readings that share a FullDate, so every reader sees the same order.
    return "SELECT " + columns.join(", ") + " FROM " + quoteName(instrumentId) + " WHERE " +
           graphWhere(db, variant) + " ORDER BY FullDate, rowid";
}

int countGraphRows(Connection& db, const QString& instrumentId, GraphVariant variant) {
    if (const std::optional<ChangeMark> mark = changeMark(db)) {
        if (const std::optional<QList<GraphRow>> rows = readSelections().find(
                {instrumentId, variant, QTimeZone::systemTimeZoneId()}, *mark)) {
            return static_cast<int>(rows->size());
        }
    }
    return selectedCount(db, instrumentId, variant);
}

QString twoReadingsMessage(GraphVariant variant) {
    return QStringLiteral("You must have at least 2 readings to view the plot.\r\n\r\n"
                          "If you have at least 2 readings in the database, ensure the %1 box "
                          "on the Readings Tab is checked in each case.")
        .arg(variant == GraphVariant::Time ? QStringLiteral("Plot Temporal")
                                           : QStringLiteral("Plot Spatial"));
}

QList<GraphRow> readGraphRows(Connection& db, const QString& instrumentId, GraphVariant variant) {
    GraphRow shape;
    const int zeros = static_cast<int>(shape.zero.size());
    const int disps = static_cast<int>(shape.disp.size());
    const int loads = static_cast<int>(shape.load.size());
    const QStringList columns =
        QStringList{col::DateTimeKey, col::FullDate, col::ReadingDate, col::NumTemp} +
        numberedColumns("zero", zeros) + numberedColumns("Disp", disps) +
        QStringList{col::Reference} + numberedColumns("Load", loads);
    // Taken before the rows are read: a write while they are read moves the file past it.
    const std::optional<ChangeMark> mark = changeMark(db);
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (mark) {
        if (std::optional<QList<GraphRow>> rows =
                readSelections().find({instrumentId, variant, zone.id()}, *mark)) {
            return *rows;
        }
    }
    // Room for every row at once: growing the list as they come moves each row again and again.
    QList<GraphRow> rows;
    rows.reserve(selectedCount(db, instrumentId, variant));
    NativeStatement query(db, graphSelect(db, instrumentId, variant, columns));
    while (query.step()) {
        GraphRow row;
        row.key = query.textAt(0);
        row.fullDate = fullDateOf(query.utf8At(1), zone);
        row.readingDate = query.textAt(2);
        row.numTemp = query.numberAt(3).value_or(0.0);
        int column = 4;
        for (auto& zero : row.zero) {
            zero = query.numberAt(column++);
        }
        for (auto& disp : row.disp) {
            disp = query.numberAt(column++);
        }
        row.reference = query.numberAt(column++);
        for (auto& load : row.load) {
            load = query.numberAt(column++);
        }
        rows.append(std::move(row));
    }
    if (mark) {
        readSelections().remember({instrumentId, variant, zone.id()}, variant, *mark, rows);
    }
    return rows;
}
