#pragma once

#include "store/Connection.h"
#include "support/TempDataFolder.h"

#include <QString>
#include <gtest/gtest.h>

// A fresh, empty database on the PostgreSQL server of the test run (the one libpq's PGHOST,
// PGPORT, PGUSER and PGPASSWORD name, as scripts/test.sh starts it), dropped again afterwards.
// When no server answers, reason() says why and uri() is empty: the test skips itself.
class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    bool available() const { return !uri_.isEmpty(); }
    QString reason() const { return reason_; }
    // postgresql://user@host:port/name of the database; the password comes from PGPASSWORD.
    QString uri() const { return uri_; }
    QString name() const { return name_; }
    // The URI of the database with one part replaced, for the refusals of a login.
    QString uriWith(const QString& user, const QString& host, int port,
                    const QString& database) const;
    QString user() const { return user_; }
    QString host() const { return host_; }
    int port() const { return port_; }

    // A login that may read and write the rows of the database's tables as they are now, but
    // owns none of them, so it cannot change a table or its triggers; dropped with the database.
    // Its password is the test run's (PGPASSWORD). Returns its URI; empty when it could not be
    // made, with reason() saying why.
    QString limitedLoginUri();

    // Runs a statement through the maintenance connection (the server's postgres database).
    static bool maintenance(const QString& sql, QString* error = nullptr);

private:
    QString name_;
    QString uri_;
    QString limitedUser_;
    QString reason_;
    QString user_;
    QString host_;
    int port_ = 5432;
};

// Which database a test of both engines runs on.
enum class Engine { File, Server };

// Base fixture of the tests that run on both engines: location() is a new database file with
// the register, or a new server database with it. On a server that cannot be reached the test
// is skipped with the reason.
class EngineTest : public TempDataFolderTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override;
    bool onServer() const { return GetParam() == Engine::Server; }
    // Where the register is: a file path or a server URI.
    QString location() const { return location_; }
    // An empty database on the same engine, without the register.
    QString emptyLocation();

    std::unique_ptr<ServerDatabase> server_;
    std::unique_ptr<ServerDatabase> spare_;
    QString location_;
};

// An EngineTest with a connection to its register open in db. A fixture prepares the register
// further in prepare(), which runs only when the test is not skipped.
class EngineDbTest : public EngineTest {
protected:
    void SetUp() override;
    virtual void prepare() {}

    Connection db;
};

// The parameter's name in test names: File or Server.
std::string engineName(const ::testing::TestParamInfo<Engine>& info);

#define INSTANTIATE_ON_BOTH_ENGINES(fixture)                                                       \
    INSTANTIATE_TEST_SUITE_P(Engines, fixture, ::testing::Values(Engine::File, Engine::Server),    \
                             engineName)
