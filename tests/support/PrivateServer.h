#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL cluster of the test's own, on a free loopback port in a temporary folder, that
// the test may stop and start again; the shared server of the test run is never stopped. It
// holds an empty database "quorvelle" of the superuser "quorvelle" (trust login). When the
// server programs are missing or the cluster cannot start, reason() says why and the test
// skips itself. As root the cluster runs as the postgres user, which initdb needs.
class PrivateServer {
public:
    PrivateServer();
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    bool available() const { return reason_.isEmpty(); }
    QString reason() const { return reason_; }
    QString uri() const;
    QString host() const { return QStringLiteral("127.0.0.1"); }
    int port() const { return port_; }

    // Kills the server as a power cut would (immediate stop), or starts it again; each waits
    // until it is done and returns false, with the failure in reason(), when it fails.
    bool stop();
    bool start();

private:
    bool run(const QString& program, const QStringList& arguments);

    QTemporaryDir dir_;
    QString bin_;
    QString reason_;
    int port_ = 0;
    bool asPostgres_ = false;
};
