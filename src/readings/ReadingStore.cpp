#include "readings/ReadingStore.h"

#include "readings/ReadingKeys.h"
#include "store/Connection.h"
#include "store/NativeStatement.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>

namespace {
// The calendar day of a reading: its ReadingDate, or the date part of FullDate when the
// ReadingDate text holds none.
QDate dayOf(const QString& readingDate, const QString& fullDate) {
    const QDate date = readingDateOf(readingDate);
    return date.isValid() ? date : readingDateOf(fullDate);
}
} // namespace

QVector<qint64> readingsWithKey(Connection& db, const QString& table, const QString& key) {
    QSqlQuery query =
        prepareQuery(db, "SELECT rowid FROM " + quoteName(table) + " WHERE DateTimeKey = ?");
    query.addBindValue(key);
    runQuery(query);
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
    // Statements on the SQLite handle: a range can span years of readings.
    QVector<qint64> doomed;
    {
        NativeStatement rows(db, "SELECT rowid, ReadingDate, FullDate FROM " + quoteName(table));
        while (rows.step()) {
            const QDate day = dayOf(rows.textAt(1), rows.textAt(2));
            if (day.isValid() && day >= start && day <= end) {
                doomed << rows.int64At(0);
            }
        }
    }
    int deleted = 0;
    keepingDoneRows(db, [&] {
        NativeStatement remove(db, "DELETE FROM " + quoteName(table) + " WHERE rowid = ?");
        for (const qint64 id : doomed) {
            remove.bind(1, id);
            remove.run();
            ++deleted;
        }
    });
    return deleted;
}

void deleteAllReadings(Connection& db, const QString& table) {
    db.execute("DELETE FROM " + quoteName(table));
}
