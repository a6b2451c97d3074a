#pragma once

#include <QString>

class Connection;

// The two selections of readings that charts draw: ticked for time charts or for length charts.
enum class GraphVariant { Time, Length };

// The WHERE clause of a selection over a readings table.
QString graphWhere(GraphVariant variant);

// Number of readings of a sensor in a selection; a missing table raises.
int countGraphRows(Connection& db, const QString& instrumentId, GraphVariant variant);
