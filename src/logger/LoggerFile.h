#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// A logger download: plain text, one reading per line, fields separated by commas, no heading
// line. Each line gives 16 text fields (TrovDate, C1 .. C15); missing and empty fields are
// empty texts. A field may be enclosed in double quotes (then it may hold commas, and a
// doubled quote stands for one quote); blanks around an unquoted field are dropped. Lines
// holding nothing are not readings and are passed over; fields after the 16th are ignored.

inline constexpr int kLoggerFields = 16;

// The staged copy of the chosen file in the data folder.
inline const QString kLoggerStagingName = QStringLiteral("datafile.txt");

struct LoggerFile {
    QVector<QStringList> rows; // in file order, kLoggerFields texts each
    int badLine = 0;           // 1-based line of the file at fault; 0 when every line was read
    QString badText;           // that line as it stands in the file

    bool ok() const { return badLine == 0; }
};

// Reads logger text. A line whose quotes do not close, or with text after a closing quote,
// stops the reading and is reported as the line at fault.
LoggerFile parseLoggerText(const QByteArray& text);

// Copies the file at path to "datafile.txt" in the data folder (replacing an earlier copy)
// and reads the copy. Gives nothing when no file is at path. A copy that fails, or a line at
// fault, raises DbError.
std::optional<QVector<QStringList>> StageLoggerFile(const QString& dataFolder, const QString& path);
