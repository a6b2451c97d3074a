#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

class Connection;
struct sqlite3;
struct sqlite3_stmt;
struct pg_conn;
struct pg_result;

// The SQLite handle of a connection to a database file; null for a site server or a closed
// connection.
sqlite3* fileHandle(Connection& db);

// A prepared statement run directly on the connection's own handle (SQLite's, or the site
// server's libpq connection), for statements run many thousands of times in a row: Qt SQL
// formats and looks up a placeholder name and wraps a QVariant for every bound value, which
// costs more than the database's own work. Values are bound by position (1-based, `?` in the
// statement); columns are read by index (0-based). Every failure raises DbError with the
// database's code and message.
class NativeStatement {
public:
    NativeStatement(Connection& db, const QString& sql);
    ~NativeStatement();
    NativeStatement(const NativeStatement&) = delete;
    NativeStatement& operator=(const NativeStatement&) = delete;

    void bind(int position, double value);
    void bind(int position, qint64 value);
    void bind(int position, const std::optional<double>& value); // empty binds null
    void bindNull(int position);
    void bindText(int position, std::string_view utf8);
    // As bindText, without copying the bytes: they must stay as they are until the statement
    // has run with them.
    void bindTextInPlace(int position, std::string_view utf8);

    // Runs to the next row: true when a row is there to read, false when the statement is
    // done (then reset() makes it ready to run again with new values).
    bool step();
    // Runs a statement that returns no rows, then resets it.
    void run();
    void reset();
    // Runs a statement that returns no rows with the values bound now, possibly later: on a
    // server the statements are sent in a stream without waiting for each answer. A failure
    // may surface only at a later call or at flushQueued(), which waits for every answer.
    void runQueued();
    void flushQueued();

    qint64 int64At(int column) const;
    // The column as text; null gives the null (empty) text.
    QString textAt(int column) const;
    // The column as UTF-8 bytes, valid until the next step or reset; null gives none.
    std::string_view utf8At(int column) const;
    // The column as a number; null, or text that is not a number, gives no value.
    std::optional<double> numberAt(int column) const;
    // The column as numberAt reads it, and whether it holds a number or null, not a text or a
    // blob.
    struct StoredNumber {
        std::optional<double> value;
        bool asNumber = true;
    };
    StoredNumber storedNumberAt(int column) const;

private:
    [[noreturn]] void fail(int code) const;
    // Prepares the statement on the server connection in use, unless it is prepared there.
    void prepareOnServer();
    // The server's side: the statement's values as text, and the rows of its last run.
    void setParameter(int position, std::optional<QByteArray> text);
    [[noreturn]] void failOnServer(const pg_result* result) const;
    bool stepOnServer();
    // Reads the answers of the statements sent since the last synchronisation; the first
    // failure among them raises once all are read.
    void drainQueued();

    sqlite3* handle_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;

    Connection* db_ = nullptr;
    pg_conn* server_ = nullptr;
    // The statement's text as the server takes it, the connection it was prepared on (by the
    // connection's count of reopenings) and whether running it again can store anything twice.
    QByteArray text_;
    int generation_ = -1;
    int kind_ = 0;
    QByteArray name_;
    std::vector<std::optional<QByteArray>> parameters_;
    pg_result* rows_ = nullptr;
    int row_ = -1;
    int queued_ = 0;
    bool streaming_ = false;
};

// The statement with its `?` placeholders numbered $1, $2, ... as the server takes them;
// a question mark inside a quoted text or name stays as it is.
QString numberedPlaceholders(const QString& sql, int* count = nullptr);
