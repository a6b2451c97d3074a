#pragma once

#include <QString>
#include <QVariantList>

class Connection;

// The pieces of SQL that differ between a database file and a site server, for statements
// written elsewhere. Each gives SQL text for the connection's engine.

// 1 when the stored flag reads as ticked (null, or a number that is not 0), else 0.
QString tickedFlagSql(Connection& db, const QString& flag);

// True when the flag holds exactly the integer 0 or 1 (a file may hold any value in it).
QString plainFlagSql(Connection& db, const QString& flag);

// Runs an INSERT and returns the row id of the new row.
qint64 insertReturningRowId(Connection& db, const QString& insert, const QVariantList& params);

// The writes of a batch that a failure may end early. On a file the rows written before the
// failure stay (a savepoint released either way); on a server the batch is all or nothing,
// so that no other user ever reads a half-written batch.
class BatchWrites {
public:
    explicit BatchWrites(Connection& db);
    ~BatchWrites();
    BatchWrites(const BatchWrites&) = delete;
    BatchWrites& operator=(const BatchWrites&) = delete;

    // Ends the batch after the writes, or after a failure among them; returns whether the
    // rows written before it stay stored. A failure to store them raises.
    bool finish(bool failed);

private:
    Connection& db_;
    bool open_ = true;
};

// The calendar day of a reading as "yyyy-MM-dd": its ReadingDate when that holds a date
// ("yyyy/MM/dd" or "yyyy-MM-dd", surrounding blanks ignored; a day up to 31 in any month), or
// else the date part of FullDate; null when neither holds one.
QString readingDaySql(Connection& db);

// A date-time text ("yyyy-MM-dd HH:mm:ss") less a number of seconds bound to the one `?` it
// holds, as the same kind of text; null when the text holds no date-time.
QString secondsBeforeSql(Connection& db, const QString& stampSql);
