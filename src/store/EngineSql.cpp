#include "store/EngineSql.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>

QString tickedFlagSql(Connection& db, const QString& flag) {
    if (db.isServer()) {
        return "(CASE WHEN " + flag + " IS NULL OR " + flag + " <> 0 THEN 1 ELSE 0 END)";
    }
    return "(" + flag + " IS NULL OR CAST(" + flag + " AS INTEGER) <> 0)";
}

QString plainFlagSql(Connection& db, const QString& flag) {
    // A server column of integers holds nothing else.
    if (db.isServer()) {
        return "(" + flag + " IN (0, 1))";
    }
    return "(typeof(" + flag + ") = 'integer' AND " + flag + " IN (0, 1))";
}

qint64 insertReturningRowId(Connection& db, const QString& insert, const QVariantList& params) {
    if (db.isServer()) {
        QSqlQuery query = runQuery(db, insert + QLatin1String(" RETURNING rowid"), params);
        return query.next() ? query.value(0).toLongLong() : 0;
    }
    QSqlQuery query = runQuery(db, insert, params);
    return query.lastInsertId().toLongLong();
}

BatchWrites::BatchWrites(Connection& db) : db_(db) {
    db.execute(db.isServer() ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT batch_writes"));
}

BatchWrites::~BatchWrites() {
    if (open_) {
        try {
            finish(true);
        } catch (const DbError&) {
            // Unwinding already: the first failure is the one reported.
        }
    }
}

bool BatchWrites::finish(bool failed) {
    open_ = false;
    if (db_.isServer()) {
        if (failed) {
            db_.rollback();
            return false;
        }
        db_.commit();
        return true;
    }
    try {
        db_.execute(QStringLiteral("RELEASE batch_writes"));
    } catch (const DbError&) {
        try {
            db_.execute(QStringLiteral("ROLLBACK TO batch_writes"));
            db_.execute(QStringLiteral("RELEASE batch_writes"));
        } catch (const DbError&) {
            // The release's own failure is the one to report.
        }
        throw;
    }
    return true;
}

QString readingDaySql(Connection& db) {
    const QString readingDay =
        QStringLiteral("replace(substr(trim(ReadingDate), 1, 10), '/', '-')");
    const QString fullDay = QStringLiteral("substr(trim(FullDate), 1, 10)");
    if (!db.isServer()) {
        return "CASE WHEN date(" + readingDay + ") = " + readingDay + " THEN " + readingDay +
               " ELSE date(" + fullDay + ") END";
    }
    // What SQLite's date() takes as a date: four digits of year, a month of 1 to 12 and a day
    // of 1 to 31, whatever the month.
    const auto dated = [](const QString& text) {
        return "(" + text + " ~ '^[0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$')";
    };
    return "CASE WHEN " + dated(readingDay) + " THEN " + readingDay + " WHEN " + dated(fullDay) +
           " THEN " + fullDay + " END";
}

QString secondsBeforeSql(Connection& db, const QString& stampSql) {
    if (!db.isServer()) {
        return "datetime(" + stampSql + ", '-' || ? || ' seconds')";
    }
    return "(SELECT CASE WHEN s ~ '^[0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])"
           "( [0-9]{2}:[0-9]{2}(:[0-9]{2})?)?$' THEN to_char(CAST(s AS timestamp) - "
           "make_interval(secs => ?), 'YYYY-MM-DD HH24:MI:SS') END FROM (SELECT " +
           stampSql + " AS s) AS stamp)";
}
