#include "charts/GraphData.h"

#include "store/Connection.h"

QString graphWhere(GraphVariant variant) {
    return variant == GraphVariant::Time ? QStringLiteral("Plottemporal = 1")
                                         : QStringLiteral("PlotSpatial = 1");
}

int countGraphRows(Connection& db, const QString& instrumentId, GraphVariant variant) {
    return db
        .scalar("SELECT count(*) FROM " + quoteName(instrumentId) + " WHERE " + graphWhere(variant))
        .toInt();
}
