#pragma once

#include <QString>
#include <optional>
#include <string_view>

class Connection;
struct sqlite3;
struct sqlite3_stmt;

// A prepared statement run directly on the connection's own SQLite handle, for statements run
// many thousands of times in a row: Qt SQL formats and looks up a placeholder name and wraps
// a QVariant for every bound value, which costs more than SQLite's own work. Values are bound
// by position (1-based); columns are read by index (0-based). Every failure raises DbError
// with SQLite's result code and message.
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

    // Runs to the next row: true when a row is there to read, false when the statement is
    // done (then reset() makes it ready to run again with new values).
    bool step();
    // Runs a statement that returns no rows, then resets it.
    void run();
    void reset();

    qint64 int64At(int column) const;
    // The column as text; null gives the null (empty) text.
    QString textAt(int column) const;
    // The column as a number; null, or text that is not a number, gives no value.
    std::optional<double> numberAt(int column) const;

private:
    [[noreturn]] void fail(int code) const;

    sqlite3* handle_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
};
