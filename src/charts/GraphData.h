#pragma once

#include "charts/GraphRows.h"

#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// The two selections of readings that charts draw: ticked for time charts or for length charts.
enum class GraphVariant { Time, Length };

// The WHERE clause of a selection over a readings table: the readings ticked for the chart's
// kind that no engineer rejected.
QString graphWhere(Connection& db, GraphVariant variant);

// The query of a selection with the given columns, oldest reading first.
QString graphSelect(Connection& db, const QString& instrumentId, GraphVariant variant,
                    const QStringList& columns);

// Number of readings of a sensor in a selection; a missing table raises.
int countGraphRows(Connection& db, const QString& instrumentId, GraphVariant variant);

// A chart needs at least two readings of its selection; what the user is told otherwise.
QString twoReadingsMessage(GraphVariant variant);

// The selected readings with the columns the charts draw, in one query; a missing table
// raises DbError.
QList<GraphRow> readGraphRows(Connection& db, const QString& instrumentId, GraphVariant variant);
