#pragma once

#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

class Connection;
struct pg_conn;

// Raises a Qt SQL failure on the connection as a DbError: SQLite's result code on a file,
// the SQLSTATE's kind on a server (Unreachable when the server has gone away).
[[noreturn]] void raiseSqlError(Connection& db, const QSqlError& error);

// A forward-only statement prepared on the connection; a statement the database refuses raises.
QSqlQuery prepareQuery(Connection& db, const QString& sql);
// Runs a prepared statement; a failure raises.
void runQuery(Connection& db, QSqlQuery& query);
// Prepares, binds the values in order and runs a statement; a failure raises.
QSqlQuery runQuery(Connection& db, const QString& sql, const QVariantList& params);

// The server library's own connection under a server Connection; null on a file or when closed.
pg_conn* serverConnection(Connection& db);
