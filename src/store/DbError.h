#pragma once

#include <QString>
#include <stdexcept>

// What went wrong, as far as a caller needs to decide what to do next. Callers branch on the
// kind, never on the description.
enum class DbErrorKind {
    Busy,           // another program holds the database; trying again later may work
    Damaged,        // the file is not a database or its content is malformed
    MissingObject,  // a table or column the statement names does not exist
    FullOrReadOnly, // the disk is full or the database cannot be written
    Constraint,     // the database refused a value
    Unreachable,    // the site server cannot be reached, or it refused the login
    Conflict,       // another user changed or deleted the row since it was read
    Other,
};

// A failure carrying a number and a description, as the error path writes them to the log.
// Database failures carry SQLite's result code and the kind read from it; other failures use
// the fixed codes below.
class DbError : public std::runtime_error {
public:
    DbError(int number, const QString& description, DbErrorKind kind = DbErrorKind::Other)
        : std::runtime_error(description.toStdString()), number_(number), description_(description),
          kind_(kind) {}

    int number() const { return number_; }
    QString description() const { return description_; }
    DbErrorKind kind() const { return kind_; }

private:
    int number_;
    QString description_;
    DbErrorKind kind_;
};

// The kind of an SQLite failure from its result code (primary or extended) and, for the
// generic SQLITE_ERROR, from SQLite's own wording of a missing table or column.
DbErrorKind sqliteErrorKind(int code, const QString& message);

// A DbError for an SQLite result code and message.
DbError sqliteError(int code, const QString& message);

// The kind of a site server failure from its five-character SQLSTATE.
DbErrorKind serverErrorKind(const QString& sqlState);

// A DbError for a site server failure: its SQLSTATE and message.
DbError serverError(const QString& sqlState, const QString& message);

// Why an operation failed, in words for the user (one sentence without its full stop).
QString failureReason(const DbError& error);

// The message shown when the database is held by another program.
inline const QString kDatabaseInUse =
    QStringLiteral("The database is in use by another program; try again.");

// Codes for failures that do not come from SQLite. They are negative so that they never
// collide with SQLite's positive result codes.
namespace ErrorCode {
constexpr int TypeMismatch = -13;      // a text that does not convert to the number a column needs
constexpr int FileNotFound = -53;      // a file or database that does not exist
constexpr int NoCurrentRecord = -3021; // the record set is before its first or after its last row
constexpr int ItemNotFound = -3265;    // a column name the record set does not have
constexpr int DivisionByZero = -11;    // a computation that divides by zero
constexpr int InvalidArgument = -5;    // a call with an argument out of its range
constexpr int NotOpen = -3704;         // an operation on a closed connection or record set
constexpr int ServerFailure = -3146;   // a failure reported by the site server
constexpr int RowChanged = -3197;      // another user changed the row since it was read
constexpr int RowDeleted = -3167;      // another user deleted the row since it was read
} // namespace ErrorCode
