#include "store/ChangeMark.h"

#include "store/Connection.h"

#include <QAtomicInteger>
#include <QSqlDriver>
#include <sqlite3.h>

namespace {

QAtomicInteger<qint64> nextOpening{0};

// Each handle gets its number through a function registered on it, which SQLite drops with
// the handle: a handle opened later at the same address gets a number of its own.
const char* const kOpeningFunction = "quorvelle_opening";

void openingNumber(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_int64(context, *static_cast<qint64*>(sqlite3_user_data(context)));
}

void dropOpening(void* number) {
    delete static_cast<qint64*>(number);
}

std::optional<qint64> pragmaNumber(sqlite3* handle, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    std::optional<qint64> value;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
}

std::optional<qint64> openingOf(sqlite3* handle) {
    if (const std::optional<qint64> known = pragmaNumber(handle, "SELECT quorvelle_opening()")) {
        return known;
    }
    auto* number = new qint64(nextOpening.fetchAndAddRelaxed(1) + 1);
    if (sqlite3_create_function_v2(handle, kOpeningFunction, 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   number, openingNumber, nullptr, nullptr,
                                   dropOpening) != SQLITE_OK) {
        // SQLite has called dropOpening already.
        return std::nullopt;
    }
    return pragmaNumber(handle, "SELECT quorvelle_opening()");
}

} // namespace

std::optional<ChangeMark> changeMark(Connection& db) {
    if (!db.isOpen() || db.isServer() || db.db().driver() == nullptr) {
        return std::nullopt;
    }
    const QVariant handle = db.db().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return std::nullopt;
    }
    sqlite3* native = *static_cast<sqlite3* const*>(handle.constData());
    if (native == nullptr || sqlite3_get_autocommit(native) == 0) {
        return std::nullopt;
    }
    const std::optional<qint64> opening = openingOf(native);
    const std::optional<qint64> data = pragmaNumber(native, "PRAGMA data_version");
    const std::optional<qint64> schema = pragmaNumber(native, "PRAGMA schema_version");
    if (!opening || !data || !schema) {
        return std::nullopt;
    }
    return ChangeMark{*opening, sqlite3_total_changes64(native), *data, *schema};
}
