#pragma once

#include <QString>

class Connection;

// Creates the tables of a new default database: Sensors, Configuration (one row),
// NetworkConfig, Prefs (one row) and the readings template sensordata.
void createSchema(Connection& db);

// Creates a new database file at path with the schema. The file must not exist yet.
void createDatabaseFile(const QString& path);

// Creates the readings table of a sensor from the template's own CREATE TABLE text,
// with its indexes on FullDate and DateTimeKey.
void createReadingsTable(Connection& db, const QString& instrumentId);

// Number of node channels columns of a readings table (Channel1..Channel10) and of
// displacement columns (Disp1..Disp8).
constexpr int kChannelColumns = 10;
constexpr int kDispColumns = 8;
constexpr int kLoadColumns = 5;
constexpr int kNodeLocationColumns = 8;
