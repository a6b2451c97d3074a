#pragma once

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

class Connection;

// Statements over one sensor's readings table that touch many rows or look rows up by key.

// Row ids of the readings whose DateTimeKey is key (an indexed look-up).
QVector<qint64> readingsWithKey(Connection& db, const QString& table, const QString& key);

// Deletes the readings whose ReadingDate lies from start to end, both days included, in one
// statement, and returns how many went. A start after the end deletes nothing; a failure
// deletes nothing and is raised.
int deleteReadingsBetween(Connection& db, const QString& table, const QDate& start,
                          const QDate& end);

// Empties the table; the table itself stays.
void deleteAllReadings(Connection& db, const QString& table);

// Runs body in a transaction. A failure commits what body wrote before it, as the row-by-row
// work this replaces would have kept it, then is raised again.
void keepingDoneRows(Connection& db, const std::function<void()>& body);
