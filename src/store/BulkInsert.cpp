#include "store/BulkInsert.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/NativeStatement.h"
#include "store/SqlFailure.h"

#include <libpq-fe.h>

#include <algorithm>

namespace {
// Bytes collected before they go to the server.
constexpr qsizetype kCopyChunk = 1 << 16;
// Rows stored by one INSERT on a file, and the values it binds at most (the least limit a
// SQLite build may set): one run of a statement costs more than a row it stores.
constexpr int kMostRows = 32;
constexpr int kMostValues = 999;

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
    db_ = &db;
    insertHead_ = "INSERT INTO " + quoteName(table) + " (" + quoted.join(", ") + ") VALUES ";
    rowMarks_ = "(" + QStringList(columns.size(), QStringLiteral("?")).join(", ") + ")";
    rowsPerInsert_ =
        std::clamp(kMostValues / std::max<int>(1, static_cast<int>(columns.size())), 1, kMostRows);
    insert_ = std::make_unique<NativeStatement>(db, insertStatement(rowsPerInsert_));
    waiting_.reserve(static_cast<size_t>(rowsPerInsert_ * columns.size()));
}

BulkInsert::~BulkInsert() {
    cancel();
}

void BulkInsert::cancel() {
    buffer_.clear();
    waiting_.clear();
    texts_.clear();
    waitingRows_ = 0;
    if (streaming_) {
        streaming_ = false;
        PQputCopyEnd(server_, "the rows were not all given");
        while (PGresult* result = PQgetResult(server_)) {
            PQclear(result);
        }
    }
}

QString BulkInsert::insertStatement(int rows) const {
    return insertHead_ + QStringList(rows, rowMarks_).join(", ");
}

void BulkInsert::field() {
    if (position_++ > 0) {
        buffer_ += '\t';
    }
}

void BulkInsert::text(std::string_view utf8) {
    if (insert_) {
        waiting_.push_back(
            {Waiting::Kind::Text, static_cast<qint64>(texts_.size()), qsizetype(utf8.size())});
        texts_.append(utf8);
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

void BulkInsert::integer(qint64 value) {
    if (insert_) {
        waiting_.push_back({Waiting::Kind::Integer, value, 0});
        return;
    }
    field();
    buffer_ += QByteArray::number(value);
}

void BulkInsert::null() {
    if (insert_) {
        waiting_.push_back({Waiting::Kind::Null, 0, 0});
        return;
    }
    field();
    buffer_ += "\\N";
}

void BulkInsert::endRow() {
    position_ = 0;
    if (insert_) {
        if (++waitingRows_ == rowsPerInsert_) {
            storeWaiting(*insert_);
        }
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

void BulkInsert::storeWaiting(NativeStatement& insert) {
    int position = 0;
    for (const Waiting& value : waiting_) {
        switch (value.kind) {
        case Waiting::Kind::Text:
            insert.bindTextInPlace(
                ++position, std::string_view(texts_).substr(static_cast<size_t>(value.number),
                                                            static_cast<size_t>(value.length)));
            break;
        case Waiting::Kind::Integer:
            insert.bind(++position, value.number);
            break;
        case Waiting::Kind::Null:
            insert.bindNull(++position);
            break;
        }
    }
    waiting_.clear();
    waitingRows_ = 0;
    // The texts stay until the run is over: the statement reads them in place.
    insert.run();
    texts_.clear();
}

void BulkInsert::flush() {
    if (!insert_ || waitingRows_ == 0) {
        return;
    }
    if (waitingRows_ == 1) {
        if (!single_) {
            single_ = std::make_unique<NativeStatement>(*db_, insertStatement(1));
        }
        storeWaiting(*single_);
        return;
    }
    NativeStatement rest(*db_, insertStatement(waitingRows_));
    storeWaiting(rest);
}

void BulkInsert::finish() {
    if (insert_) {
        flush();
        return;
    }
    if (!streaming_ && buffer_.isEmpty()) {
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

bool StoredKeys::contains(const std::string& key, BulkInsert& pending) {
    if (!lookup_) {
        return keys_.count(key) > 0;
    }
    if (!highest_ || key > *highest_) {
        return false;
    }
    pending.flush();
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
