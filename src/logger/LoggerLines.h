#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <string>

// A logger download: plain text, one reading per line, fields separated by commas, no heading
// line. Each line gives 16 text fields (TrovDate, C1 .. C15); missing and empty fields are
// empty texts. A field may be enclosed in double quotes (then it may hold commas, and a
// doubled quote stands for one quote); blanks around an unquoted field are dropped. Lines
// holding nothing are not readings and are passed over; fields after the 16th are ignored.
// Lines end with LF or CR LF; a UTF-8 byte-order mark before the first line is not text.

inline constexpr int kLoggerFields = 16;

// A line is read up to this many bytes; a longer line cannot be read as a reading.
inline constexpr qsizetype kLongestLoggerLine = 64 * 1024;

// The fields of one line, as views into the line (or into the scratch text that holds the
// quoted fields with their doubled quotes made single).
struct LoggerLine {
    std::array<QByteArrayView, kLoggerFields> fields;
    std::string scratch;
};

// Splits a line into its fields. False when its quotes are not well formed (a quote that does
// not close, or text after a closing quote): the line cannot be read.
bool splitLoggerLine(QByteArrayView line, LoggerLine& out);

// The fields of a line as texts; nothing when the line cannot be read.
std::optional<QStringList> loggerFields(QByteArrayView line);

// True when the line holds nothing but blanks.
bool isBlankLine(QByteArrayView line);

// Cuts a stream of bytes into lines. Each line reaches the callback without its line end,
// with the offset of its first byte in the stream and whether it was cut at
// kLongestLoggerLine. The line-end-less tail is given by finish().
class LineCutter {
public:
    using Sink = std::function<void(QByteArrayView line, qint64 offset, bool overlong)>;

    explicit LineCutter(Sink sink, qint64 startOffset = 0);
    void feed(QByteArrayView bytes);
    void finish();

private:
    void emitLine(QByteArrayView line);

    Sink sink_;
    QByteArray carry_;
    qint64 offset_;    // stream offset of the next byte fed
    qint64 lineStart_; // stream offset of the line being cut
    bool overlong_ = false;
};

// Whether the first bytes of a file look like text rather than binary data.
bool looksLikeText(QByteArrayView head);

// A UTF-8 byte-order mark's length at the start of the bytes (0 without one).
qsizetype byteOrderMarkLength(QByteArrayView head);
