#include "store/BulkInsert.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/NativeStatement.h"
#include "store/SqlFailure.h"

#include <libpq-fe.h>

namespace {
// Bytes collected before they go to the server.
constexpr qsizetype kCopyChunk = 1 << 16;

[[noreturn]] void copyFailed(PGconn* conn, PGresult* result) {
    const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    QString message =
        result != nullptr ? QString::fromUtf8(PQresultErrorMessage(result)) : QString();
    if (message.trimmed().isEmpty()) {
        message = QString::fromUtf8(PQerrorMessage(conn));
    }
    PQclear(result);
    if (PQstatus(conn) == CONNECTION_BAD) {
        throw DbError(ErrorCode::ServerFailure,
                      "The connection to the site server was lost: " + message.trimmed(),
                      DbErrorKind::Unreachable);
    }
    throw serverError(state != nullptr ? QString::fromLatin1(state) : QString(), message.trimmed());
}
} // namespace

BulkInsert::BulkInsert(Connection& db, const QString& table, const QStringList& columns) {
    QStringList quoted;
    for (const QString& c : columns) {
        quoted << quoteName(c);
    }
    server_ = serverConnection(db);
    if (server_ != nullptr) {
        copy_ = ("COPY " + quoteName(table) + " (" + quoted.join(", ") + ") FROM STDIN").toUtf8();
        buffer_.reserve(kCopyChunk + 4096);
        return;
    }
    const QStringList marks(columns.size(), QStringLiteral("?"));
    insert_ = std::make_unique<NativeStatement>(db, "INSERT INTO " + quoteName(table) + " (" +
                                                        quoted.join(", ") + ") VALUES (" +
                                                        marks.join(", ") + ")");
}

BulkInsert::~BulkInsert() {
    cancel();
}

void BulkInsert::cancel() {
    buffer_.clear();
    if (streaming_) {
        streaming_ = false;
        PQputCopyEnd(server_, "the rows were not all given");
        while (PGresult* result = PQgetResult(server_)) {
            PQclear(result);
        }
    }
}

void BulkInsert::field() {
    if (position_++ > 0) {
        buffer_ += '\t';
    }
}

void BulkInsert::text(std::string_view utf8) {
    if (insert_) {
        insert_->bindText(++position_, utf8);
        return;
    }
    field();
    // COPY's text format: a backslash, tab, newline or carriage return is escaped.
    for (const char c : utf8) {
        switch (c) {
        case '\\':
            buffer_ += "\\\\";
            break;
        case '\t':
            buffer_ += "\\t";
            break;
        case '\n':
            buffer_ += "\\n";
            break;
        case '\r':
            buffer_ += "\\r";
            break;
        default:
            buffer_ += c;
        }
    }
}

void BulkInsert::textInPlace(std::string_view utf8) {
    if (insert_) {
        insert_->bindTextInPlace(++position_, utf8);
        return;
    }
    text(utf8);
}

void BulkInsert::integer(qint64 value) {
    if (insert_) {
        insert_->bind(++position_, value);
        return;
    }
    field();
    buffer_ += QByteArray::number(value);
}

void BulkInsert::null() {
    if (insert_) {
        insert_->bindNull(++position_);
        return;
    }
    field();
    buffer_ += "\\N";
}

void BulkInsert::endRow() {
    position_ = 0;
    if (insert_) {
        insert_->run();
        return;
    }
    buffer_ += '\n';
    if (buffer_.size() >= kCopyChunk) {
        sendBuffer();
    }
}

void BulkInsert::sendBuffer() {
    if (!streaming_) {
        PGresult* started = PQexec(server_, copy_.constData());
        if (PQresultStatus(started) != PGRES_COPY_IN) {
            copyFailed(server_, started);
        }
        PQclear(started);
        streaming_ = true;
    }
    if (!buffer_.isEmpty() &&
        PQputCopyData(server_, buffer_.constData(), static_cast<int>(buffer_.size())) != 1) {
        copyFailed(server_, nullptr);
    }
    buffer_.clear();
}

void BulkInsert::finish() {
    if (insert_ || (!streaming_ && buffer_.isEmpty())) {
        return;
    }
    sendBuffer();
    streaming_ = false;
    if (PQputCopyEnd(server_, nullptr) != 1) {
        copyFailed(server_, nullptr);
    }
    PGresult* failure = nullptr;
    while (PGresult* result = PQgetResult(server_)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && failure == nullptr) {
            failure = result;
        } else {
            PQclear(result);
        }
    }
    if (failure != nullptr) {
        copyFailed(server_, failure);
    }
}

StoredKeys::StoredKeys(Connection& db, const QString& table, const QString& column) {
    const QString select = "SELECT " + quoteName(column) + " FROM " + quoteName(table);
    if (!db.isServer()) {
        lookup_ = std::make_unique<NativeStatement>(db, select + " WHERE " + quoteName(column) +
                                                            " = ? LIMIT 1");
        // SQLite compares texts byte by byte, as std::string does. Without a key the greatest
        // is the empty text, which every other key follows.
        NativeStatement highest(db,
                                "SELECT max(" + quoteName(column) + ") FROM " + quoteName(table));
        if (highest.step()) {
            highest_ = highest.textAt(0).toStdString();
        }
        return;
    }
    NativeStatement all(db, select);
    while (all.step()) {
        keys_.insert(all.textAt(0).toStdString());
    }
}

StoredKeys::~StoredKeys() = default;

bool StoredKeys::contains(const std::string& key) {
    if (!lookup_) {
        return keys_.count(key) > 0;
    }
    if (!highest_ || key > *highest_) {
        return false;
    }
    lookup_->bindText(1, key);
    const bool found = lookup_->step();
    lookup_->reset();
    return found;
}

void StoredKeys::add(const std::string& key) {
    if (!lookup_) {
        keys_.insert(key);
    } else if (!highest_ || key > *highest_) {
        highest_ = key;
    }
}
