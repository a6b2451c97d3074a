#include "store/NativeStatement.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/SqlFailure.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <charconv>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
QAtomicInt nextStatement{0};
constexpr int kMeetRounds = 4;
} // namespace

sqlite3* fileHandle(Connection& db) {
    if (!db.isOpen() || db.db().driver() == nullptr) {
        return nullptr;
    }
    const QVariant handle = db.db().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3* const*>(handle.constData());
}

QString numberedPlaceholders(const QString& sql, int* count) {
    QString out;
    out.reserve(sql.size() + 16);
    int number = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            quote = c == quote ? QChar() : quote;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$' + QString::number(++number);
        } else {
            out += c;
        }
    }
    if (count != nullptr) {
        *count = number;
    }
    return out;
}

NativeStatement::NativeStatement(Connection& db, const QString& sql) : db_(&db) {
    if (!db.isOpen() || db.db().driver() == nullptr) {
        throw DbError(ErrorCode::NotOpen, "Operation is not allowed when the object is closed.");
    }
    if (db.isServer()) {
        int count = 0;
        text_ = numberedPlaceholders(sql, &count).toUtf8();
        parameters_.resize(static_cast<size_t>(count));
        kind_ = static_cast<int>(Connection::statementOf(sql));
        name_ = "quorvelle_native_" + QByteArray::number(nextStatement.fetchAndAddRelaxed(1));
        // Preparing changes nothing, so it may be tried again on a new connection.
        db.runStatement(Connection::Statement::Read, [this] { prepareOnServer(); });
        return;
    }
    handle_ = fileHandle(db);
    if (handle_ == nullptr) {
        throw DbError(ErrorCode::NotOpen, QStringLiteral("The connection has no native handle."));
    }
    const QByteArray text = sql.toUtf8();
    for (int round = 0;; ++round) {
        const int code = sqlite3_prepare_v2(handle_, text.constData(),
                                            static_cast<int>(text.size()), &statement_, nullptr);
        if (code == SQLITE_OK) {
            return;
        }
        // A table's first change in the session waits for what the connection makes for it.
        if (round == kMeetRounds || !db.meetWaitingTables()) {
            fail(code);
        }
    }
}

void NativeStatement::prepareOnServer() {
    if (server_ != nullptr && generation_ == db_->generation()) {
        return;
    }
    server_ = serverConnection(*db_);
    if (server_ == nullptr) {
        throw DbError(ErrorCode::ServerFailure,
                      QStringLiteral("The connection to the site server was lost."),
                      DbErrorKind::Unreachable);
    }
    PGresult* prepared = PQprepare(server_, name_.constData(), text_.constData(), 0, nullptr);
    if (PQresultStatus(prepared) != PGRES_COMMAND_OK) {
        failOnServer(prepared);
    }
    PQclear(prepared);
    generation_ = db_->generation();
}

NativeStatement::~NativeStatement() {
    if (server_ != nullptr) {
        PQclear(rows_);
        if (streaming_) {
            try {
                drainQueued();
            } catch (const DbError&) {
                // The owner's transaction fails on its own; a destructor cannot report it.
            }
        }
        // The server keeps a prepared statement until the session ends unless told otherwise;
        // in a failed transaction it refuses this too, and the name is never used again. A
        // connection opened again since never had it.
        if (generation_ == db_->generation() && PQstatus(server_) == CONNECTION_OK) {
            PQclear(PQexec(server_, ("DEALLOCATE " + name_).constData()));
        }
        return;
    }
    sqlite3_finalize(statement_);
}

void NativeStatement::fail(int code) const {
    throw sqliteError(code, QString::fromUtf8(sqlite3_errmsg(handle_)));
}

void NativeStatement::failOnServer(const pg_result* result) const {
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    QString message = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    if (message.isEmpty()) {
        message = QString::fromUtf8(PQerrorMessage(server_)).trimmed();
    }
    const QString sqlState = state != nullptr ? QString::fromLatin1(state) : QString();
    PQclear(const_cast<pg_result*>(result));
    if (PQstatus(server_) == CONNECTION_BAD) {
        throw DbError(ErrorCode::ServerFailure,
                      "The connection to the site server was lost: " + message,
                      DbErrorKind::Unreachable);
    }
    throw serverError(sqlState, message);
}

void NativeStatement::setParameter(int position, std::optional<QByteArray> text) {
    if (position < 1 || position > static_cast<int>(parameters_.size())) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("No parameter %1 in the statement.").arg(position));
    }
    parameters_[static_cast<size_t>(position - 1)] = std::move(text);
}

bool NativeStatement::stepOnServer() {
    if (rows_ == nullptr) {
        db_->runStatement(static_cast<Connection::Statement>(kind_), [this] {
            prepareOnServer();
            std::vector<const char*> values(parameters_.size());
            for (size_t i = 0; i < parameters_.size(); ++i) {
                values[i] = parameters_[i] ? parameters_[i]->constData() : nullptr;
            }
            PGresult* result =
                PQexecPrepared(server_, name_.constData(), static_cast<int>(values.size()),
                               values.data(), nullptr, nullptr, 0);
            const ExecStatusType status = PQresultStatus(result);
            if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
                failOnServer(result);
            }
            rows_ = result;
        });
        row_ = -1;
    }
    return ++row_ < PQntuples(rows_);
}

void NativeStatement::bind(int position, double value) {
    if (server_ != nullptr) {
        // Shortest text that reads back as the same double.
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        setParameter(position, QByteArray(text, static_cast<int>(end - text)));
        return;
    }
    if (const int code = sqlite3_bind_double(statement_, position, value); code != SQLITE_OK) {
        fail(code);
    }
}

void NativeStatement::bind(int position, qint64 value) {
    if (server_ != nullptr) {
        setParameter(position, QByteArray::number(value));
        return;
    }
    if (const int code = sqlite3_bind_int64(statement_, position, value); code != SQLITE_OK) {
        fail(code);
    }
}

void NativeStatement::bind(int position, const std::optional<double>& value) {
    if (value) {
        bind(position, *value);
    } else {
        bindNull(position);
    }
}

void NativeStatement::bindNull(int position) {
    if (server_ != nullptr) {
        setParameter(position, std::nullopt);
        return;
    }
    if (const int code = sqlite3_bind_null(statement_, position); code != SQLITE_OK) {
        fail(code);
    }
}

void NativeStatement::bindText(int position, std::string_view utf8) {
    if (server_ != nullptr) {
        setParameter(position, QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size())));
        return;
    }
    const int code = sqlite3_bind_text(statement_, position, utf8.data(),
                                       static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    if (code != SQLITE_OK) {
        fail(code);
    }
}

void NativeStatement::bindTextInPlace(int position, std::string_view utf8) {
    if (server_ != nullptr) {
        bindText(position, utf8);
        return;
    }
    const int code = sqlite3_bind_text(statement_, position, utf8.data(),
                                       static_cast<int>(utf8.size()), SQLITE_STATIC);
    if (code != SQLITE_OK) {
        fail(code);
    }
}

bool NativeStatement::step() {
    if (server_ != nullptr) {
        return stepOnServer();
    }
    for (int round = 0;; ++round) {
        const int code = sqlite3_step(statement_);
        if (code == SQLITE_ROW) {
            return true;
        }
        if (code == SQLITE_DONE) {
            return false;
        }
        sqlite3_reset(statement_);
        // Prepared again at the step, after a change of schema, it may meet a new table.
        if (round == kMeetRounds || !db_->meetWaitingTables()) {
            fail(code);
        }
    }
}

void NativeStatement::runQueued() {
    if (server_ == nullptr) {
        run();
        return;
    }
    // Answers are read every so many statements, so that neither side's buffer fills up.
    constexpr int kQueueLength = 512;
    if (!streaming_) {
        // Once streaming, the statements' answers come later: only the start can be checked.
        db_->runStatement(Connection::Statement::Write, [this] {
            prepareOnServer();
            if (PQenterPipelineMode(server_) != 1) {
                throw DbError(ErrorCode::ServerFailure,
                              QString::fromUtf8(PQerrorMessage(server_)).trimmed(),
                              PQstatus(server_) == CONNECTION_BAD ? DbErrorKind::Unreachable
                                                                  : DbErrorKind::Other);
            }
        });
        streaming_ = true;
    }
    std::vector<const char*> values(parameters_.size());
    for (size_t i = 0; i < parameters_.size(); ++i) {
        values[i] = parameters_[i] ? parameters_[i]->constData() : nullptr;
    }
    if (PQsendQueryPrepared(server_, name_.constData(), static_cast<int>(values.size()),
                            values.data(), nullptr, nullptr, 0) != 1) {
        drainQueued();
        throw DbError(ErrorCode::ServerFailure,
                      QString::fromUtf8(PQerrorMessage(server_)).trimmed(),
                      DbErrorKind::Unreachable);
    }
    if (++queued_ >= kQueueLength) {
        drainQueued();
    }
}

void NativeStatement::flushQueued() {
    if (server_ != nullptr && streaming_) {
        drainQueued();
    }
}

void NativeStatement::drainQueued() {
    PGresult* failure = nullptr;
    bool lost = PQpipelineSync(server_) != 1;
    while (!lost) {
        PGresult* result = PQgetResult(server_);
        if (result == nullptr) {
            // The end of one statement's answers; the synchronisation point ends them all.
            if (PQstatus(server_) == CONNECTION_BAD) {
                lost = true;
            }
            continue;
        }
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_PIPELINE_SYNC) {
            PQclear(result);
            break;
        }
        if (status == PGRES_FATAL_ERROR && failure == nullptr) {
            failure = result;
        } else {
            PQclear(result);
        }
    }
    queued_ = 0;
    if (PQexitPipelineMode(server_) == 1) {
        streaming_ = false;
    }
    if (failure != nullptr) {
        failOnServer(failure);
    }
    if (lost) {
        throw DbError(ErrorCode::ServerFailure,
                      "The connection to the site server was lost: " +
                          QString::fromUtf8(PQerrorMessage(server_)).trimmed(),
                      DbErrorKind::Unreachable);
    }
}

void NativeStatement::run() {
    step();
    reset();
}

void NativeStatement::reset() {
    if (server_ != nullptr) {
        PQclear(rows_);
        rows_ = nullptr;
        row_ = -1;
        return;
    }
    sqlite3_reset(statement_);
}

qint64 NativeStatement::int64At(int column) const {
    if (server_ != nullptr) {
        const char* text = PQgetvalue(rows_, row_, column);
        if (qstrcmp(text, "t") == 0) {
            return 1;
        }
        // A number stored with a fraction reads as its whole part, as SQLite gives it.
        const QByteArray value(text);
        bool ok = false;
        const qint64 whole = value.toLongLong(&ok);
        return ok ? whole : static_cast<qint64>(value.toDouble());
    }
    return sqlite3_column_int64(statement_, column);
}

QString NativeStatement::textAt(int column) const {
    if (server_ != nullptr) {
        if (PQgetisnull(rows_, row_, column) != 0) {
            return {};
        }
        return QString::fromUtf8(PQgetvalue(rows_, row_, column), PQgetlength(rows_, row_, column));
    }
    // Read as stored (UTF-8): asking SQLite for UTF-16 converts into a buffer of its own
    // first, which costs more than the conversion into the QString.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    if (text == nullptr) {
        return {};
    }
    return QString::fromUtf8(text, sqlite3_column_bytes(statement_, column));
}

std::string_view NativeStatement::utf8At(int column) const {
    if (server_ != nullptr) {
        if (PQgetisnull(rows_, row_, column) != 0) {
            return {};
        }
        return {PQgetvalue(rows_, row_, column),
                static_cast<size_t>(PQgetlength(rows_, row_, column))};
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    if (text == nullptr) {
        return {};
    }
    return {text, static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
}

std::optional<double> NativeStatement::numberAt(int column) const {
    return storedNumberAt(column).value;
}

NativeStatement::StoredNumber NativeStatement::storedNumberAt(int column) const {
    if (server_ == nullptr) {
        // The column's type is asked once: every call on a column takes the handle's lock.
        switch (sqlite3_column_type(statement_, column)) {
        case SQLITE_NULL:
            return {std::nullopt, true};
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return {sqlite3_column_double(statement_, column), true};
        default:
            break;
        }
    } else if (PQgetisnull(rows_, row_, column) != 0) {
        return {std::nullopt, true};
    }
    bool ok = false;
    const double value = textAt(column).toDouble(&ok);
    // A server column has one type: a number column never holds a text.
    return {ok ? std::optional<double>(value) : std::nullopt, server_ != nullptr};
}
