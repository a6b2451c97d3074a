#pragma once

#include <QSqlError>

// Raises a Qt SQL failure as a DbError carrying SQLite's result code.
[[noreturn]] void raiseSqlError(const QSqlError& error);
