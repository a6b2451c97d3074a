#pragma once

#include <QString>

struct AppState;
struct AppContext;

// True when the database at dbPath holds a user table named exactly tableName. Opens a
// connection of its own; a failure is logged under " Module1_TableExists" and answers false.
bool TableExists(const AppContext& context, const QString& dataFolder, const QString& dbPath,
                 const QString& tableName);

// Creates the readings table of the current sensor, asking before it replaces an existing
// one. Failures are logged under " Module1_AddDataTable".
void AddDataTable(AppState& state, const AppContext& context);

// Opens rsReadings on the current sensor's readings in FullDate order, creating the table
// (after telling the user) when it is missing. Failures are logged under
// " Module1_OpenSensorData".
void OpenSensorData(AppState& state, const AppContext& context);
