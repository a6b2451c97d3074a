#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

class Connection;
class NativeStatement;
struct pg_conn;

// Adds many rows to one table inside the caller's transaction, as fast as the engine allows:
// one prepared INSERT run per row on a file, one COPY stream on a server. Values are given
// field by field in the order of the columns, then endRow(); finish() stores what the stream
// holds, and a failure raises there at the latest. Without finish() nothing is stored on a
// server (the caller rolls back in any case).
class BulkInsert {
public:
    BulkInsert(Connection& db, const QString& table, const QStringList& columns);
    ~BulkInsert();
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    void text(std::string_view utf8);
    // As text, without a copy on a file: the bytes must stay as they are until endRow().
    void textInPlace(std::string_view utf8);
    void integer(qint64 value);
    void null();
    void endRow();
    void finish();
    // Ends an unfinished stream storing nothing of it, so that the caller can roll back.
    void cancel();

private:
    void field();
    void sendBuffer();

    std::unique_ptr<NativeStatement> insert_;
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

    bool contains(const std::string& key);
    // Records a key the walk stored.
    void add(const std::string& key);

private:
    std::unique_ptr<NativeStatement> lookup_;
    std::optional<std::string> highest_; // on a file: the greatest key held, in byte order
    std::unordered_set<std::string> keys_;
};
