#pragma once

#include <QString>

class Connection;

// The CREATE TABLE statement of a readings table on the connection's engine, as
// createReadingsTable makes it on a server (its DateTimeKey unique there).
QString readingsTableStatement(Connection& db, const QString& table);

// Drops a sensor's readings table; on a server prepared for logins of their own, through the
// server's function that only an administrator may run.
void dropReadingsTable(Connection& db, const QString& instrumentId);
