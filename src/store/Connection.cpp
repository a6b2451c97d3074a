#include "store/Connection.h"

#include "store/DbError.h"
#include "store/SqlFailure.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QAtomicInt nextConnection{0};
QAtomicInt busyTimeout{5000};

int errorNumber(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : 1;
}

QString errorText(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("database error") : text;
}
} // namespace

[[noreturn]] void raiseSqlError(const QSqlError& error) {
    throw sqliteError(errorNumber(error), errorText(error));
}

QSqlQuery prepareQuery(Connection& db, const QString& sql) {
    if (!db.isOpen()) {
        throw DbError(ErrorCode::NotOpen, "Operation is not allowed when the object is closed.");
    }
    QSqlQuery query(db.db());
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        raiseSqlError(query.lastError());
    }
    return query;
}

void runQuery(QSqlQuery& query) {
    if (!query.exec()) {
        raiseSqlError(query.lastError());
    }
}

QSqlQuery runQuery(Connection& db, const QString& sql, const QVariantList& params) {
    QSqlQuery query = prepareQuery(db, sql);
    for (const QVariant& p : params) {
        query.addBindValue(p);
    }
    runQuery(query);
    return query;
}

QString quoteName(const QString& name) {
    QString inner = name;
    inner.replace('`', "``");
    return '`' + inner + '`';
}

Connection::Connection()
    : name_(QStringLiteral("quorvelle_%1").arg(nextConnection.fetchAndAddRelaxed(1))) {}

Connection::~Connection() {
    close();
}

void Connection::open(const QString& path) {
    close();
    path_ = path;
    // SQLite would create a missing file; a missing database is a failure here instead.
    if (!QFileInfo(path).isFile()) {
        throw DbError(ErrorCode::FileNotFound, "Could not find file '" + path + "'.");
    }
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db_.setDatabaseName(path);
    // A statement that meets another program's lock waits this long before it fails as busy.
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout.loadRelaxed()));
    if (!db_.open()) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        return;
    }
    // SQLite opens anything lazily; reading the catalogue proves the file is a database.
    QSqlQuery probe(db_);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const QSqlError error = probe.lastError();
        probe = QSqlQuery();
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        raiseSqlError(error);
    }
    open_ = true;
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
    if (!db_.isValid()) {
        open_ = false;
        return;
    }
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
    open_ = false;
}

void Connection::execute(const QString& sql, const QVariantList& params) {
    runQuery(*this, sql, params);
}

QVariant Connection::scalar(const QString& sql, const QVariantList& params) {
    QSqlQuery query = runQuery(*this, sql, params);
    return query.next() ? query.value(0) : QVariant();
}

QStringList Connection::tables() {
    QSqlQuery query = runQuery(*this,
                               QStringLiteral("SELECT name FROM sqlite_master WHERE type = "
                                              "'table' AND name NOT LIKE 'sqlite_%' ORDER BY name"),
                               {});
    QStringList names;
    while (query.next()) {
        names << query.value(0).toString();
    }
    return names;
}

void Connection::beginTransaction() {
    execute(QStringLiteral("BEGIN"));
}

void Connection::commit() {
    execute(QStringLiteral("COMMIT"));
}

void Connection::rollback() {
    execute(QStringLiteral("ROLLBACK"));
}
