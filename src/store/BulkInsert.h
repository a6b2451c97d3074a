#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class Connection;
class NativeStatement;
struct pg_conn;

// Adds many rows to one table inside the caller's transaction, as fast as the engine allows:
// on a file one prepared INSERT of many rows at a time (the rows wait, copied, until there are
// enough of them), on a server one COPY stream. Values are given field by field in the order
// of the columns, then endRow(); finish() stores what waits or what the stream holds, and a
// failure raises there at the latest. Without finish() the last rows are not stored (the caller
// rolls back in any case).
class BulkInsert {
public:
    BulkInsert(Connection& db, const QString& table, const QStringList& columns);
    ~BulkInsert();
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    void text(std::string_view utf8);
    void integer(qint64 value);
    void null();
    void endRow();
    // On a file, stores the rows that wait now, so that a query of the table sees them.
    void flush();
    void finish();
    // Ends an unfinished stream storing nothing of it, so that the caller can roll back.
    void cancel();

private:
    // A value of a waiting row on a file: a text of texts_ (at number, of length bytes), an
    // integer (number) or null.
    struct Waiting {
        enum class Kind { Text, Integer, Null } kind;
        qint64 number = 0;
        qsizetype length = 0;
    };

    void field();
    void sendBuffer();
    QString insertStatement(int rows) const;
    // Stores the waiting rows with the statement, made for as many rows.
    void storeWaiting(NativeStatement& insert);

    Connection* db_ = nullptr;
    QString insertHead_; // "INSERT INTO t (columns) VALUES "
    QString rowMarks_;   // "(?, ?, ...)"
    int rowsPerInsert_ = 1;
    std::unique_ptr<NativeStatement> insert_; // for rowsPerInsert_ rows
    std::unique_ptr<NativeStatement> single_; // for one row, made when first needed
    std::vector<Waiting> waiting_;
    std::string texts_;
    int waitingRows_ = 0;
    int position_ = 0;
    pg_conn* server_ = nullptr;
    QByteArray copy_;
    QByteArray buffer_;
    bool streaming_ = false;
};

// Which keys a column of a table already holds, for a walk that adds rows: on a file each
// question is a lookup, unless the key comes after every key held (a walk of rows in key
// order asks none); on a server the keys are read once and the walk's own are added.
class StoredKeys {
public:
    StoredKeys(Connection& db, const QString& table, const QString& column);
    ~StoredKeys();
    StoredKeys(const StoredKeys&) = delete;
    StoredKeys& operator=(const StoredKeys&) = delete;

    // Whether the table or the walk holds the key; on a file the rows that wait in pending
    // (the walk's insert) are stored first when the table has to be asked.
    bool contains(const std::string& key, BulkInsert& pending);
    // Records a key the walk stored.
    void add(const std::string& key);

private:
    std::unique_ptr<NativeStatement> lookup_;
    std::optional<std::string> highest_; // on a file: the greatest key held, in byte order
    std::unordered_set<std::string> keys_;
};
