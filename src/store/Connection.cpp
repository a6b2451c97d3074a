#include "store/Connection.h"

#include "store/DbError.h"
#include "store/ServerLocation.h"
#include "store/SqlFailure.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMutex>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <libpq-fe.h>
#include <mutex>
#include <poll.h>
#include <sqlite3.h>
#include <utility>

namespace {
QAtomicInt nextConnection{0};
QAtomicInt busyTimeout{5000};

QMutex passwordMutex;
QString serverPassword;

int errorNumber(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : 1;
}

QString errorText(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("database error") : text.trimmed();
}

bool isServerUri(const QString& location) {
    return location.startsWith(QLatin1String("postgresql://")) ||
           location.startsWith(QLatin1String("postgres://"));
}

// What a server login is made of, as far as the messages name it.
struct ServerTarget {
    QString host;
    int port = 5432;
    QString user;
    QString database;
    int connectTimeout = kDefaultConnectTimeout;
};

// The reason a server login failed, naming the part at fault, from the server library's
// message (its wording is fixed; the SQLSTATE of a refused login is not passed on).
QString loginFailure(const ServerTarget& t, const QString& message) {
    const QString where = QStringLiteral("%1:%2").arg(t.host).arg(t.port);
    if (message.contains(QLatin1String("could not translate host name"))) {
        return QStringLiteral("The site server host \"%1\" is not known.").arg(t.host);
    }
    if (message.contains(QLatin1String("Connection refused"))) {
        return QStringLiteral("Nothing answers on port %1 of host \"%2\".").arg(t.port).arg(t.host);
    }
    if (message.contains(QLatin1String("timeout expired"))) {
        return QStringLiteral("The site server %1 did not answer within %2 seconds.")
            .arg(where)
            .arg(t.connectTimeout);
    }
    // The server does not tell a wrong password from an unknown user.
    if (message.contains(QLatin1String("password authentication failed"))) {
        return QStringLiteral("The site server %1 refused user \"%2\" with this password.")
            .arg(where, t.user);
    }
    if (message.contains(QLatin1String("no password supplied"))) {
        return QStringLiteral("The site server %1 needs a password for user \"%2\".")
            .arg(where, t.user);
    }
    if (message.contains(QLatin1String("role \"")) &&
        message.contains(QLatin1String("does not exist"))) {
        return QStringLiteral("The site server %1 has no user \"%2\".").arg(where, t.user);
    }
    if (message.contains(QLatin1String("database \"")) &&
        message.contains(QLatin1String("does not exist"))) {
        return QStringLiteral("The site server %1 has no database \"%2\".").arg(where, t.database);
    }
    if (message.contains(QLatin1String("does not match host name"))) {
        return QStringLiteral("The certificate of the site server %1 is not made out to the host "
                              "name \"%2\", so the connection was refused (sslmode=verify-full): "
                              "connect with the name the certificate holds, or ask the "
                              "administrator for a certificate of this name.")
            .arg(where, t.host);
    }
    if (message.contains(QLatin1String("certificate verify failed"))) {
        return QStringLiteral("The certificate of the site server %1 is not signed by the CA of "
                              "sslrootcert, so the connection was refused.")
            .arg(where);
    }
    if (message.contains(QLatin1String("root certificate file"))) {
        return QStringLiteral("The CA file (sslrootcert) for the site server %1 cannot be read: %2")
            .arg(where, message.simplified());
    }
    if (message.contains(QLatin1String("server does not support SSL"))) {
        return QStringLiteral("The site server %1 offers no encrypted connection, and the address "
                              "requires one (sslmode).")
            .arg(where);
    }
    return QStringLiteral("Could not connect to the site server %1 as user \"%2\", database "
                          "\"%3\": %4")
        .arg(where, t.user, t.database, message.simplified());
}

// SQLite keeps allocation statistics under a global lock on every allocation by default.
// Nothing reads them, and opening a register of many sensors allocates for every column of
// every readings table. The setting only takes before the library's first use, which is the
// first file opened here.
void configureSqlite() {
    static std::once_flag once;
    std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}
} // namespace

pg_conn* serverConnection(Connection& db) {
    if (!db.isServer() || db.db().driver() == nullptr) {
        return nullptr;
    }
    const QVariant handle = db.db().driver()->handle();
    // The driver registers the handle under the struct's own name.
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "PGconn*") != 0 &&
                              qstrcmp(handle.typeName(), "pg_conn*") != 0)) {
        return nullptr;
    }
    return *static_cast<PGconn* const*>(handle.constData());
}

[[noreturn]] void raiseSqlError(Connection& db, const QSqlError& error) {
    if (!db.isServer()) {
        throw sqliteError(errorNumber(error), errorText(error));
    }
    // A connection that has gone away carries no SQLSTATE; the handle's status tells.
    PGconn* handle = serverConnection(db);
    if (handle == nullptr || PQstatus(handle) == CONNECTION_BAD) {
        throw DbError(ErrorCode::ServerFailure,
                      "The connection to the site server was lost: " + errorText(error),
                      DbErrorKind::Unreachable);
    }
    throw serverError(error.nativeErrorCode(), errorText(error));
}

namespace {
QSqlQuery preparedOn(Connection& db, const QString& sql) {
    QSqlQuery query(db.db());
    // On a server a forward-only query fetches its rows while they are read, which keeps the
    // connection busy for the native statements in between; there it takes its rows at once.
    query.setForwardOnly(!db.isServer());
    if (!query.prepare(sql)) {
        raiseSqlError(db, query.lastError());
    }
    return query;
}

void requireOpen(const Connection& db) {
    if (!db.isOpen()) {
        throw DbError(ErrorCode::NotOpen, "Operation is not allowed when the object is closed.");
    }
}
} // namespace

QSqlQuery prepareQuery(Connection& db, const QString& sql) {
    requireOpen(db);
    QSqlQuery query;
    // Preparing changes nothing, so it may be tried again on a new connection.
    db.runStatement(Connection::Statement::Read, [&] { query = preparedOn(db, sql); });
    return query;
}

void runQuery(Connection& db, QSqlQuery& query) {
    db.runStatement(Connection::statementOf(query.lastQuery()), [&] {
        if (db.isServer() && query.driver() != db.db().driver()) {
            // Prepared on a connection lost since: prepared again here, with its values.
            const QVariantList values = query.boundValues();
            query = preparedOn(db, query.lastQuery());
            for (int i = 0; i < values.size(); ++i) {
                query.bindValue(i, values[i]);
            }
        }
        if (!query.exec()) {
            raiseSqlError(db, query.lastError());
        }
    });
}

QSqlQuery runQuery(Connection& db, const QString& sql, const QVariantList& params) {
    requireOpen(db);
    QSqlQuery result;
    db.runStatement(Connection::statementOf(sql), [&] {
        if (params.isEmpty() && db.isServer()) {
            // The server prepares only queries and changes of rows, never a change of schema;
            // a statement without values runs as it is.
            QSqlQuery query(db.db());
            if (!query.exec(sql)) {
                raiseSqlError(db, query.lastError());
            }
            result = std::move(query);
            return;
        }
        QSqlQuery query = preparedOn(db, sql);
        for (const QVariant& p : params) {
            query.addBindValue(p);
        }
        if (!query.exec()) {
            raiseSqlError(db, query.lastError());
        }
        result = std::move(query);
    });
    return result;
}

QString quoteName(const QString& name) {
    QString inner;
    inner.reserve(name.size());
    for (const QChar c : name) {
        inner += c.unicode() >= 'A' && c.unicode() <= 'Z' ? QChar(c.unicode() + ('a' - 'A')) : c;
    }
    inner.replace('"', "\"\"");
    return '"' + inner + '"';
}

Connection::Connection()
    : name_(QStringLiteral("quorvelle_%1").arg(nextConnection.fetchAndAddRelaxed(1))),
      baseName_(name_) {}

Connection::~Connection() {
    close();
}

void Connection::open(const QString& location) {
    close();
    location_ = location;
    server_ = isServerUri(location);
    if (server_) {
        opening_ = true;
        try {
            openServer(location);
        } catch (...) {
            opening_ = false;
            throw;
        }
        opening_ = false;
    } else {
        openFile(location);
    }
}

void Connection::discard() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

void Connection::openFile(const QString& path) {
    // SQLite would create a missing file; a missing database is a failure here instead.
    if (!QFileInfo(path).isFile()) {
        throw DbError(ErrorCode::FileNotFound, "Could not find file '" + path + "'.");
    }
    configureSqlite();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db_.setDatabaseName(path);
    // A statement that meets another program's lock waits this long before it fails as busy.
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout.loadRelaxed()));
    if (!db_.open()) {
        discard();
        return;
    }
    // A double-quoted name that matches nothing is an error, as on a server, not a text.
    const QVariant handle = db_.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        native_ = *static_cast<sqlite3* const*>(handle.constData());
        sqlite3_db_config(native_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(native_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    }
    // SQLite opens anything lazily; reading the catalogue proves the file is a database.
    QSqlQuery probe(db_);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const QSqlError error = probe.lastError();
        probe = QSqlQuery();
        discard();
        throw sqliteError(errorNumber(error), errorText(error));
    }
    open_ = true;
}

void Connection::openServer(const QString& uri) {
    const QUrl url(uri, QUrl::StrictMode);
    ServerTarget target;
    target.host = url.host().isEmpty() ? qEnvironmentVariable("PGHOST", QStringLiteral("localhost"))
                                       : url.host();
    target.port = url.port(
        qEnvironmentVariableIntValue("PGPORT") > 0 ? qEnvironmentVariableIntValue("PGPORT") : 5432);
    target.user = url.userName(QUrl::FullyDecoded);
    if (target.user.isEmpty()) {
        target.user = qEnvironmentVariable("PGUSER", qEnvironmentVariable("USER"));
    }
    target.database = url.path(QUrl::FullyDecoded).mid(1);
    if (!url.isValid() || target.database.isEmpty()) {
        throw DbError(ErrorCode::InvalidArgument,
                      "Not a site server address (postgresql://user@host:5432/database): " +
                          maskedLocation(uri),
                      DbErrorKind::Unreachable);
    }
    const ServerOptions options = serverConnectionOptions(url);
    if (!options.problem.isEmpty()) {
        throw DbError(ErrorCode::InvalidArgument, options.problem, DbErrorKind::Unreachable);
    }
    target.connectTimeout = options.connectTimeout;
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
    if (!db_.isValid()) {
        discard();
        throw DbError(ErrorCode::ServerFailure,
                      QStringLiteral("The PostgreSQL driver of Qt SQL is not installed."),
                      DbErrorKind::Unreachable);
    }
    if (!url.host().isEmpty()) {
        db_.setHostName(url.host());
    }
    if (url.port() > 0) {
        db_.setPort(url.port());
    }
    db_.setDatabaseName(target.database);
    if (!url.userName().isEmpty()) {
        db_.setUserName(target.user);
    }
    QString password = url.password(QUrl::FullyDecoded);
    if (password.isEmpty()) {
        const QMutexLocker lock(&passwordMutex);
        password = serverPassword;
    }
    if (!password.isEmpty()) {
        db_.setPassword(password);
    }
    db_.setConnectOptions(connectOptionsText(options.keywords));
    if (!db_.open()) {
        const QString message = errorText(db_.lastError());
        discard();
        throw DbError(ErrorCode::ServerFailure, loginFailure(target, message),
                      DbErrorKind::Unreachable);
    }
    open_ = true;
    try {
        // A statement that meets another user's lock waits as long as on a file.
        execute(QStringLiteral("SET lock_timeout = %1").arg(busyTimeout.loadRelaxed()));
        execute(QStringLiteral("SET client_min_messages = warning"));
    } catch (...) {
        open_ = false;
        discard();
        throw;
    }
}

void Connection::setServerPassword(const QString& password) {
    const QMutexLocker lock(&passwordMutex);
    serverPassword = password;
}

void Connection::setBusyTimeout(int milliseconds) {
    busyTimeout.storeRelaxed(milliseconds);
}

int Connection::busyTimeoutMs() {
    return busyTimeout.loadRelaxed();
}

bool Connection::isOpen() const {
    return open_;
}

void Connection::close() {
    open_ = false;
    transactionBoundary_ = nullptr;
    if (native_ != nullptr && firstChange_) {
        sqlite3_set_authorizer(native_, nullptr, nullptr);
    }
    native_ = nullptr;
    firstChange_ = nullptr;
    met_.clear();
    metInTransaction_.clear();
    waiting_.clear();
    if (db_.isValid()) {
        discard();
    }
    for (QSqlDatabase& retired : retired_) {
        retired.close();
        retired = QSqlDatabase();
    }
    retired_.clear();
    for (const QString& name : std::as_const(retiredNames_)) {
        QSqlDatabase::removeDatabase(name);
    }
    retiredNames_.clear();
    // The count goes on: a statement prepared before the close is prepared again after an open.
    name_ = baseName_;
    transactionOpen_ = false;
    transactionLost_ = false;
    unreachable_ = false;
    *holdOff_ = false;
    lastRefusal_.reset();
}

void Connection::execute(const QString& sql, const QVariantList& params) {
    runQuery(*this, sql, params);
}

QVariant Connection::scalar(const QString& sql, const QVariantList& params) {
    QSqlQuery query = runQuery(*this, sql, params);
    return query.next() ? query.value(0) : QVariant();
}

QStringList Connection::tables() {
    const QString sql =
        server_ ? QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                                 "table_schema = current_schema() AND table_type = 'BASE TABLE' "
                                 "ORDER BY table_name COLLATE \"C\"")
                : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                 "NOT LIKE 'sqlite_%' ORDER BY name");
    QSqlQuery query = runQuery(*this, sql, {});
    QStringList names;
    while (query.next()) {
        names << query.value(0).toString();
    }
    return names;
}

bool Connection::hasTable(const QString& name) {
    // Looked up by name rather than listed: a register of many sensors holds thousands. A file
    // answers from the catalogue it holds in memory; reading sqlite_master would go through
    // every table's statement on disk at each look-up.
    const QString sql =
        server_ ? QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE "
                                 "table_schema = current_schema() AND table_type = 'BASE TABLE' "
                                 "AND lower(table_name) = lower(?)")
                : QStringLiteral("SELECT count(*) FROM pragma_table_list(?) WHERE schema = "
                                 "'main' AND type = 'table'");
    return scalar(sql, {name}).toInt() > 0;
}

namespace {
// A database that refuses even the hook's work stores no change either; the transaction itself
// stands or falls on its own statements.
void markTransactionBoundary(const std::function<void()>& hook) {
    if (!hook) {
        return;
    }
    try {
        hook();
    } catch (const DbError&) {
    }
}
} // namespace

void Connection::beginTransaction() {
    execute(QStringLiteral("BEGIN"));
    markTransactionBoundary(transactionBoundary_);
}

void Connection::commit() {
    execute(QStringLiteral("COMMIT"));
    markTransactionBoundary(transactionBoundary_);
}

void Connection::rollback() {
    execute(QStringLiteral("ROLLBACK"));
    markTransactionBoundary(transactionBoundary_);
}

void Connection::inTransaction(const std::function<void()>& body) {
    beginTransaction();
    try {
        body();
        commit();
    } catch (...) {
        try {
            rollback();
        } catch (const DbError&) {
            // The failure that led here is the one to report.
        }
        throw;
    }
}

Connection::Statement Connection::statementOf(const QString& sql) {
    qsizetype start = 0;
    while (start < sql.size() && sql[start].isSpace()) {
        ++start;
    }
    qsizetype end = start;
    while (end < sql.size() && sql[end].isLetter()) {
        ++end;
    }
    const QString word = sql.mid(start, end - start).toUpper();
    if (word == QLatin1String("BEGIN") || word == QLatin1String("START")) {
        return Statement::Begin;
    }
    if (word == QLatin1String("COMMIT") || word == QLatin1String("END")) {
        return Statement::Commit;
    }
    if (word == QLatin1String("ROLLBACK") || word == QLatin1String("ABORT")) {
        return Statement::Rollback;
    }
    // Session settings and queries store nothing; running them twice does no harm.
    if (word == QLatin1String("SELECT") || word == QLatin1String("SHOW") ||
        word == QLatin1String("SET")) {
        return Statement::Read;
    }
    return Statement::Write;
}

void Connection::setReachabilityListener(std::function<void(const DbError*)> listener) {
    listener_ = std::move(listener);
}

bool Connection::connectionLost() {
    PGconn* handle = serverConnection(*this);
    if (handle == nullptr) {
        return true;
    }
    // libpq learns that the server has gone only when it reads: a server that stops sends
    // its farewell and closes the stream, which takes a read for each.
    for (int reads = 0; reads < 4 && PQstatus(handle) == CONNECTION_OK; ++reads) {
        pollfd socket{PQsocket(handle), POLLIN, 0};
        if (socket.fd < 0 || poll(&socket, 1, 0) <= 0 || PQconsumeInput(handle) == 0) {
            break;
        }
    }
    return PQstatus(handle) == CONNECTION_BAD;
}

void Connection::refuse(const DbError& error) {
    // The failure may be the last refusal itself, which is replaced here.
    const DbError failure = error;
    unreachable_ = true;
    lastRefusal_ = std::make_unique<DbError>(failure);
    if (listener_) {
        listener_(&failure);
    }
    throw failure;
}

void Connection::reachedAgain() {
    if (!unreachable_) {
        return;
    }
    unreachable_ = false;
    lastRefusal_.reset();
    if (listener_) {
        listener_(nullptr);
    }
}

void Connection::reopen() {
    if (*holdOff_ && lastRefusal_) {
        refuse(*lastRefusal_);
    }
    if (db_.isValid()) {
        // Queries prepared on the lost connection keep its driver: they fail instead of
        // crashing, and the rows they fetched can still be read.
        retired_ << db_;
        retiredNames_ << name_;
        db_ = QSqlDatabase();
    }
    name_ = QStringLiteral("%1_%2").arg(baseName_).arg(generation_ + 1);
    transactionOpen_ = false;
    transactionLost_ = false;
    opening_ = true;
    try {
        openServer(location_);
    } catch (const DbError& e) {
        opening_ = false;
        // The register stays chosen; the next statement tries the server again.
        open_ = true;
        *holdOff_ = true;
        if (QCoreApplication::instance() != nullptr) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [flag = std::weak_ptr<bool>(holdOff_)] {
                    if (const std::shared_ptr<bool> holdOff = flag.lock()) {
                        *holdOff = false;
                    }
                },
                Qt::QueuedConnection);
        }
        refuse(e);
    }
    opening_ = false;
    ++generation_;
    reachedAgain();
}

bool Connection::prepareFor(Statement kind) {
    if (transactionLost_) {
        transactionLost_ = kind == Statement::Read || kind == Statement::Write;
        switch (kind) {
        case Statement::Rollback:
            transactionOpen_ = false;
            return false;
        case Statement::Commit:
            transactionOpen_ = false;
            refuse(DbError(ErrorCode::ServerFailure,
                           "The connection to the site server was lost before the commit; none "
                           "of the changes of the transaction were stored.",
                           DbErrorKind::Unreachable));
        case Statement::Begin:
            transactionOpen_ = false;
            break;
        default:
            refuse(DbError(ErrorCode::ServerFailure,
                           "The connection to the site server was lost in the middle of a "
                           "transaction; none of its changes were stored.",
                           DbErrorKind::Unreachable));
        }
    }
    if (!connectionLost()) {
        return true;
    }
    if (transactionOpen_ && kind != Statement::Begin) {
        // The server has ended the transaction; what it wrote is gone with it.
        transactionLost_ = true;
        return prepareFor(kind);
    }
    reopen();
    return true;
}

void Connection::setFirstChangeHook(std::function<void(const QStringList&)> meet) {
    if (native_ == nullptr) {
        return;
    }
    firstChange_ = std::move(meet);
    sqlite3_set_authorizer(native_, firstChange_ ? &Connection::authorize : nullptr, this);
}

void Connection::markTableMet(const QString& table) {
    if (!firstChange_) {
        return;
    }
    const QString name = table.toLower();
    met_.insert(name);
    if (sqlite3_get_autocommit(native_) == 0) {
        metInTransaction_ << name;
    }
}

int Connection::authorize(void* self, int action, const char* table, const char*,
                          const char* database, const char*) {
    if ((action != SQLITE_INSERT && action != SQLITE_UPDATE && action != SQLITE_DELETE &&
         action != SQLITE_DROP_TABLE) ||
        table == nullptr || database == nullptr || qstrcmp(database, "main") != 0 ||
        qstrnicmp(table, "sqlite_", 7) == 0) {
        return SQLITE_OK;
    }
    auto* connection = static_cast<Connection*>(self);
    const QString name = QString::fromUtf8(table).toLower();
    if (action == SQLITE_DROP_TABLE) {
        // A table made again under the name has none of the old one's triggers; the drop's
        // own deletion of the rows goes through.
        connection->met_.remove(name);
        connection->dropping_ = name;
        return SQLITE_OK;
    }
    if (connection->met_.contains(name) ||
        (action == SQLITE_DELETE && name == connection->dropping_)) {
        return SQLITE_OK;
    }
    if (!connection->waiting_.contains(name)) {
        connection->waiting_ << name;
    }
    return SQLITE_DENY;
}

bool Connection::meetWaitingTables() {
    dropping_.clear();
    if (waiting_.isEmpty() || !firstChange_) {
        waiting_.clear();
        return false;
    }
    const QStringList tables = std::exchange(waiting_, {});
    const bool inTransaction = sqlite3_get_autocommit(native_) == 0;
    for (const QString& table : tables) {
        met_.insert(table);
    }
    try {
        firstChange_(tables);
    } catch (...) {
        for (const QString& table : tables) {
            met_.remove(table);
        }
        throw;
    }
    if (inTransaction) {
        metInTransaction_ << tables;
    }
    return true;
}

void Connection::settleMetTables(Statement kind, bool failed) {
    dropping_.clear();
    if (metInTransaction_.isEmpty() || native_ == nullptr) {
        return;
    }
    const bool ended = sqlite3_get_autocommit(native_) != 0;
    if (kind == Statement::Rollback || (ended && failed)) {
        // Rolled back, perhaps only to a savepoint: what was made for them may be gone.
        for (const QString& table : std::as_const(metInTransaction_)) {
            met_.remove(table);
        }
        metInTransaction_.clear();
    } else if (ended) {
        metInTransaction_.clear();
    }
}

void Connection::runOnFile(Statement kind, const std::function<void()>& attempt) {
    // Each round meets every table the statement was refused for; a few rounds cover tables
    // that the meeting itself brings in.
    constexpr int kRounds = 4;
    for (int round = 0;; ++round) {
        try {
            attempt();
            break;
        } catch (const DbError&) {
            settleMetTables(kind, true);
            if (round == kRounds || !meetWaitingTables()) {
                waiting_.clear();
                throw;
            }
        }
    }
    settleMetTables(kind, false);
}

void Connection::runStatement(Statement kind, const std::function<void()>& attempt) {
    if (!server_ && firstChange_) {
        runOnFile(kind, attempt);
        return;
    }
    if (!server_ || opening_) {
        attempt();
        return;
    }
    if (!prepareFor(kind)) {
        return;
    }
    const bool inTransaction = transactionOpen_;
    try {
        attempt();
    } catch (const DbError& e) {
        if (e.kind() != DbErrorKind::Unreachable || !connectionLost()) {
            // A commit or rollback that fails still ends the transaction on the server.
            if (kind == Statement::Commit || kind == Statement::Rollback) {
                transactionOpen_ = false;
            }
            throw;
        }
        if (inTransaction || kind == Statement::Commit) {
            transactionOpen_ = false;
            if (kind == Statement::Rollback) {
                return;
            }
            if (kind == Statement::Commit) {
                refuse(DbError(e.number(),
                               "The connection to the site server was lost at the commit; the "
                               "changes may not have been stored: " +
                                   e.description(),
                               DbErrorKind::Unreachable));
            }
            transactionLost_ = true;
            refuse(DbError(e.number(),
                           "The connection to the site server was lost in the middle of a "
                           "transaction; none of its changes were stored: " +
                               e.description(),
                           DbErrorKind::Unreachable));
        }
        if (kind == Statement::Write) {
            refuse(DbError(e.number(),
                           "The connection to the site server was lost while a change was sent; "
                           "it may not have been stored: " +
                               e.description(),
                           DbErrorKind::Unreachable));
        }
        reopen();
        if (kind == Statement::Rollback) {
            return;
        }
        attempt();
    }
    if (kind == Statement::Begin) {
        transactionOpen_ = true;
    } else if (kind == Statement::Commit || kind == Statement::Rollback) {
        transactionOpen_ = false;
    }
    reachedAgain();
}
