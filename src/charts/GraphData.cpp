#include "charts/GraphData.h"

#include "store/Connection.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>
#include <optional>

namespace {

std::optional<double> optionalNumber(const QVariant& value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    return !value.isNull() && ok ? std::optional<double>(number) : std::nullopt;
}

QStringList numberedColumns(const QString& stem, int count) {
    QStringList columns;
    for (int n = 1; n <= count; ++n) {
        columns << stem + QString::number(n);
    }
    return columns;
}

} // namespace

QString graphWhere(GraphVariant variant) {
    return variant == GraphVariant::Time ? QStringLiteral("Plottemporal = 1")
                                         : QStringLiteral("PlotSpatial = 1");
}

QString graphSelect(const QString& instrumentId, GraphVariant variant, const QStringList& columns) {
    // rowid settles readings that share a FullDate, so every reader sees the same order.
    return "SELECT " + columns.join(", ") + " FROM " + quoteName(instrumentId) + " WHERE " +
           graphWhere(variant) + " ORDER BY FullDate, rowid";
}

int countGraphRows(Connection& db, const QString& instrumentId, GraphVariant variant) {
    return db
        .scalar("SELECT count(*) FROM " + quoteName(instrumentId) + " WHERE " + graphWhere(variant))
        .toInt();
}

QList<GraphRow> readGraphRows(Connection& db, const QString& instrumentId, GraphVariant variant) {
    GraphRow shape;
    const int zeros = static_cast<int>(shape.zero.size());
    const int disps = static_cast<int>(shape.disp.size());
    const int loads = static_cast<int>(shape.load.size());
    const QStringList columns = QStringList{"FullDate", "ReadingDate", "NumTemp"} +
                                numberedColumns("zero", zeros) + numberedColumns("Disp", disps) +
                                QStringList{"Reference"} + numberedColumns("Load", loads);
    QSqlQuery query(db.db());
    query.setForwardOnly(true);
    if (!query.exec(graphSelect(instrumentId, variant, columns))) {
        raiseSqlError(query.lastError());
    }
    QList<GraphRow> rows;
    while (query.next()) {
        GraphRow row;
        row.fullDate =
            QDateTime::fromString(query.value(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        row.readingDate = query.value(1).toString();
        row.numTemp = query.value(2).toDouble();
        int column = 3;
        for (auto& zero : row.zero) {
            zero = optionalNumber(query.value(column++));
        }
        for (auto& disp : row.disp) {
            disp = optionalNumber(query.value(column++));
        }
        row.reference = optionalNumber(query.value(column++));
        for (auto& load : row.load) {
            load = optionalNumber(query.value(column++));
        }
        rows.append(row);
    }
    return rows;
}
