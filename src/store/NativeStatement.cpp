#include "store/NativeStatement.h"

#include "store/Connection.h"
#include "store/DbError.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace {

sqlite3* handleOf(Connection& db) {
    if (!db.isOpen() || db.db().driver() == nullptr) {
        throw DbError(ErrorCode::NotOpen, "Operation is not allowed when the object is closed.");
    }
    const QVariant handle = db.db().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        throw DbError(ErrorCode::NotOpen, QStringLiteral("The connection has no SQLite handle."));
    }
    return *static_cast<sqlite3* const*>(handle.constData());
}

} // namespace

NativeStatement::NativeStatement(Connection& db, const QString& sql) : handle_(handleOf(db)) {
    const QByteArray text = sql.toUtf8();
    const int code = sqlite3_prepare_v2(handle_, text.constData(), static_cast<int>(text.size()),
                                        &statement_, nullptr);
    if (code != SQLITE_OK) {
        fail(code);
    }
}

NativeStatement::~NativeStatement() {
    sqlite3_finalize(statement_);
}

void NativeStatement::fail(int code) const {
    throw sqliteError(code, QString::fromUtf8(sqlite3_errmsg(handle_)));
}

void NativeStatement::bind(int position, double value) {
    if (const int code = sqlite3_bind_double(statement_, position, value); code != SQLITE_OK) {
        fail(code);
    }
}

void NativeStatement::bind(int position, qint64 value) {
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
    if (const int code = sqlite3_bind_null(statement_, position); code != SQLITE_OK) {
        fail(code);
    }
}

void NativeStatement::bindText(int position, std::string_view utf8) {
    const int code = sqlite3_bind_text(statement_, position, utf8.data(),
                                       static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    if (code != SQLITE_OK) {
        fail(code);
    }
}

bool NativeStatement::step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) {
        return true;
    }
    if (code == SQLITE_DONE) {
        return false;
    }
    sqlite3_reset(statement_);
    fail(code);
}

void NativeStatement::run() {
    step();
    reset();
}

void NativeStatement::reset() {
    sqlite3_reset(statement_);
}

qint64 NativeStatement::int64At(int column) const {
    return sqlite3_column_int64(statement_, column);
}

QString NativeStatement::textAt(int column) const {
    const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement_, column));
    if (text == nullptr) {
        return {};
    }
    const int bytes = sqlite3_column_bytes16(statement_, column);
    return QString::fromUtf16(text, bytes / 2);
}

std::optional<double> NativeStatement::numberAt(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement_, column);
    default: {
        bool ok = false;
        const double value = textAt(column).toDouble(&ok);
        return ok ? std::optional<double>(value) : std::nullopt;
    }
    }
}
