#include "readings/ReadingStore.h"

#include "store/Connection.h"
#include "store/EngineSql.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>

QVector<qint64> readingsWithKey(Connection& db, const QString& table, const QString& key) {
    QSqlQuery query =
        prepareQuery(db, "SELECT rowid FROM " + quoteName(table) + " WHERE DateTimeKey = ?");
    query.addBindValue(key);
    runQuery(db, query);
    QVector<qint64> ids;
    while (query.next()) {
        ids << query.value(0).toLongLong();
    }
    return ids;
}

void keepingDoneRows(Connection& db, const std::function<void()>& body) {
    db.beginTransaction();
    try {
        body();
    } catch (...) {
        try {
            db.commit();
        } catch (...) {
            db.rollback();
        }
        throw;
    }
    db.commit();
}

int deleteReadingsBetween(Connection& db, const QString& table, const QDate& start,
                          const QDate& end) {
    if (start > end) {
        return 0;
    }
    const QString day = readingDaySql(db);
    QSqlQuery remove =
        runQuery(db, "DELETE FROM " + quoteName(table) + " WHERE " + day + " BETWEEN ? AND ?",
                 {start.toString(Qt::ISODate), end.toString(Qt::ISODate)});
    return remove.numRowsAffected();
}

void deleteAllReadings(Connection& db, const QString& table) {
    db.execute("DELETE FROM " + quoteName(table));
}
