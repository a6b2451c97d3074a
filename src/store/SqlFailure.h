#pragma once

#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

class Connection;

// Raises a Qt SQL failure as a DbError carrying SQLite's result code.
[[noreturn]] void raiseSqlError(const QSqlError& error);

// A forward-only statement prepared on the connection; a statement SQLite refuses raises.
QSqlQuery prepareQuery(Connection& db, const QString& sql);
// Runs a prepared statement; a failure raises.
void runQuery(QSqlQuery& query);
// Prepares, binds the values in order and runs a statement; a failure raises.
QSqlQuery runQuery(Connection& db, const QString& sql, const QVariantList& params);
