#pragma once

#include <QString>
#include <stdexcept>

// A failure carrying a number and a description, as the error path writes them to the log.
// Database failures carry SQLite's result code; other failures use the fixed codes below.
class DbError : public std::runtime_error {
public:
    DbError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number),
          description_(description) {}

    int number() const { return number_; }
    QString description() const { return description_; }

private:
    int number_;
    QString description_;
};

// Codes for failures that do not come from SQLite. They are negative so that they never
// collide with SQLite's positive result codes.
namespace ErrorCode {
constexpr int TypeMismatch = -13;     // a text that does not convert to the number a column needs
constexpr int FileNotFound = -53;     // a file or database that does not exist
constexpr int NoCurrentRecord = -3021; // the record set is before its first or after its last row
constexpr int ItemNotFound = -3265;   // a column name the record set does not have
constexpr int DivisionByZero = -11;   // a computation that divides by zero
constexpr int InvalidArgument = -5;   // a call with an argument out of its range
constexpr int NotOpen = -3704;        // an operation on a closed connection or record set
} // namespace ErrorCode
