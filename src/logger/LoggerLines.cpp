#include "logger/LoggerLines.h"

#include <cstring>

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmedBlanks(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}
} // namespace

bool splitLoggerLine(QByteArrayView line, LoggerLine& out) {
    out.fields.fill(QByteArrayView());
    // Quoted fields are copied here; reserving the line's length keeps earlier views valid.
    out.scratch.clear();
    out.scratch.reserve(static_cast<size_t>(line.size()));
    const qsizetype n = line.size();
    qsizetype i = 0;
    int field = 0;
    while (true) {
        while (i < n && isBlank(line[i])) {
            ++i;
        }
        QByteArrayView value;
        if (i < n && line[i] == '"') {
            ++i;
            const size_t from = out.scratch.size();
            bool closed = false;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        out.scratch += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                out.scratch += line[i++];
            }
            if (!closed) {
                return false;
            }
            while (i < n && isBlank(line[i])) {
                ++i;
            }
            if (i < n && line[i] != ',') {
                return false;
            }
            value = QByteArrayView(out.scratch.data() + from,
                                   static_cast<qsizetype>(out.scratch.size() - from));
        } else {
            const void* comma = std::memchr(line.data() + i, ',', static_cast<size_t>(n - i));
            const qsizetype end = comma ? static_cast<const char*>(comma) - line.data() : n;
            value = trimmedBlanks(line.sliced(i, end - i));
            i = end;
        }
        if (field < kLoggerFields) {
            out.fields[static_cast<size_t>(field++)] = value;
        }
        if (i >= n) {
            return true;
        }
        ++i; // the comma
    }
}

std::optional<QStringList> loggerFields(QByteArrayView line) {
    LoggerLine split;
    if (!splitLoggerLine(line, split)) {
        return std::nullopt;
    }
    QStringList fields;
    fields.reserve(kLoggerFields);
    for (const QByteArrayView field : split.fields) {
        fields << QString::fromUtf8(field);
    }
    return fields;
}

bool isBlankLine(QByteArrayView line) {
    for (const char c : line) {
        if (!isBlank(c) && c != '\r') {
            return false;
        }
    }
    return true;
}

LineCutter::LineCutter(Sink sink, qint64 startOffset)
    : sink_(std::move(sink)), offset_(startOffset), lineStart_(startOffset) {}

void LineCutter::emitLine(QByteArrayView line) {
    if (!line.isEmpty() && line.back() == '\r') {
        line.chop(1);
    }
    sink_(line, lineStart_, overlong_);
    overlong_ = false;
}

void LineCutter::feed(QByteArrayView bytes) {
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const void* found =
            std::memchr(bytes.data() + pos, '\n', static_cast<size_t>(bytes.size() - pos));
        const qsizetype end = found ? static_cast<const char*>(found) - bytes.data() : bytes.size();
        const QByteArrayView piece = bytes.sliced(pos, end - pos);
        if (!found) {
            const qsizetype room = kLongestLoggerLine - carry_.size();
            if (piece.size() > room) {
                overlong_ = true;
            }
            carry_.append(piece.first(std::min(room, piece.size())));
            break;
        }
        if (carry_.isEmpty()) {
            if (piece.size() > kLongestLoggerLine) {
                overlong_ = true;
            }
            emitLine(piece.first(std::min(kLongestLoggerLine, piece.size())));
        } else {
            const qsizetype room = kLongestLoggerLine - carry_.size();
            if (piece.size() > room) {
                overlong_ = true;
            }
            carry_.append(piece.first(std::min(room, piece.size())));
            emitLine(carry_);
            carry_.clear();
        }
        pos = end + 1;
        lineStart_ = offset_ + pos;
    }
    offset_ += bytes.size();
}

void LineCutter::finish() {
    if (!carry_.isEmpty() || overlong_) {
        emitLine(carry_);
    }
    carry_.clear();
    lineStart_ = offset_;
}

bool looksLikeText(QByteArrayView head) {
    return !head.contains('\0');
}

qsizetype byteOrderMarkLength(QByteArrayView head) {
    return head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}
