#include "support/ServerDatabase.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QUrl>
#include <libpq-fe.h>
#include <memory>

namespace {
QAtomicInt nextDatabase{0};

// libpq's defaults come from the environment the test run was started in.
QString envOr(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

struct ConnCloser {
    void operator()(PGconn* c) const { PQfinish(c); }
};
} // namespace

bool ServerDatabase::maintenance(const QString& sql, QString* error) {
    const std::unique_ptr<PGconn, ConnCloser> conn(
        PQconnectdb("dbname=postgres connect_timeout=3 application_name=quorvelle_tests"));
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        if (error != nullptr) {
            *error = QString::fromUtf8(PQerrorMessage(conn.get())).trimmed();
        }
        return false;
    }
    PGresult* result = PQexec(conn.get(), sql.toUtf8().constData());
    const bool ok =
        PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    if (!ok && error != nullptr) {
        *error = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    }
    PQclear(result);
    return ok;
}

ServerDatabase::ServerDatabase()
    : name_(QStringLiteral("quorvelle_test_%1_%2")
                .arg(QCoreApplication::applicationPid())
                .arg(nextDatabase.fetchAndAddRelaxed(1))),
      user_(envOr("PGUSER", qEnvironmentVariable("USER"))), host_(envOr("PGHOST", "localhost")),
      port_(envOr("PGPORT", "5432").toInt()) {
    QString error;
    if (!maintenance("CREATE DATABASE " + name_, &error)) {
        reason_ = "no PostgreSQL server for the tests (run them through scripts/test.sh): " + error;
        return;
    }
    uri_ = uriWith(user_, host_, port_, name_);
}

ServerDatabase::~ServerDatabase() {
    if (available()) {
        maintenance("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    }
    if (!limitedUser_.isEmpty()) {
        maintenance("DROP ROLE IF EXISTS " + limitedUser_);
    }
}

QString ServerDatabase::limitedLoginUri() {
    const QString user = name_ + "_clerk";
    const QString password = qEnvironmentVariable("PGPASSWORD").replace('\'', "''");
    QString error;
    if (!maintenance("CREATE ROLE " + user + " LOGIN PASSWORD '" + password + "'", &error)) {
        reason_ = "the test server made no second login: " + error;
        return {};
    }
    limitedUser_ = user;
    try {
        Connection db;
        db.open(uri_);
        db.execute("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO " +
                   user);
        db.execute("GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA public TO " + user);
    } catch (const DbError& e) {
        reason_ = "the second login got no rights: " + e.description();
        return {};
    }
    return uriWith(user, host_, port_, name_);
}

QString ServerDatabase::uriWith(const QString& user, const QString& host, int port,
                                const QString& database) const {
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setUserName(user);
    url.setHost(host);
    url.setPort(port);
    url.setPath('/' + database);
    return url.toString();
}

void EngineTest::SetUp() {
    if (onServer()) {
        server_ = std::make_unique<ServerDatabase>();
        if (!server_->available()) {
            GTEST_SKIP() << server_->reason().toStdString();
        }
        location_ = server_->uri();
        Connection db;
        db.open(location_);
        createSchema(db);
    } else {
        location_ = path(QStringLiteral("register.mdb"));
        createDatabaseFile(location_);
    }
}

void EngineDbTest::SetUp() {
    EngineTest::SetUp();
    if (IsSkipped()) {
        return;
    }
    db.open(location());
    prepare();
}

QString EngineTest::emptyLocation() {
    if (onServer()) {
        spare_ = std::make_unique<ServerDatabase>();
        return spare_->uri();
    }
    const QString file = path(QStringLiteral("empty.mdb"));
    QFile(file).open(QIODevice::WriteOnly);
    return file;
}

std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::File ? "File" : "Server";
}
