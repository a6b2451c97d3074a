#pragma once

#include <QString>

struct AppState;
struct AppContext;
class Connection;

// True when the database holds a user table named exactly tableName, read from its schema.
// A failure to read the schema (a busy or damaged file) raises: it never means "no table".
bool TableExists(Connection& db, const QString& tableName);

// Creates the readings table of the current sensor. An existing table is replaced only when
// it was positively found and the user confirmed. Failures are logged under
// " Module1_AddDataTable".
void AddDataTable(AppState& state, const AppContext& context);

// Opens rsReadings on the current sensor's readings in FullDate order, creating the table
// (after telling the user) when it is positively missing. Failures are logged under
// " Module1_OpenSensorData" and leave no readings open; a busy database is also reported to
// the user.
void OpenSensorData(AppState& state, const AppContext& context);
