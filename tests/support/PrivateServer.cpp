#include "support/PrivateServer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <arpa/inet.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The newest server programs installed, or empty.
QString serverPrograms() {
    const QString root = QStringLiteral("/usr/lib/postgresql");
    QStringList versions = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& version : versions) {
        const QString bin = root + '/' + version + QStringLiteral("/bin");
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable()) {
            return bin;
        }
    }
    return {};
}

int freeLoopbackPort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket < 0) {
        return 0;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(socket);
    return port;
}
} // namespace

PrivateServer::PrivateServer() {
    bin_ = serverPrograms();
    if (bin_.isEmpty()) {
        reason_ = QStringLiteral("no PostgreSQL server programs (initdb) are installed");
        return;
    }
    if (!dir_.isValid()) {
        reason_ = QStringLiteral("no temporary folder for a private cluster");
        return;
    }
    if (::geteuid() == 0) {
        const passwd* postgres = ::getpwnam("postgres");
        if (postgres == nullptr || ::chown(QFile::encodeName(dir_.path()).constData(),
                                           postgres->pw_uid, postgres->pw_gid) != 0) {
            reason_ = QStringLiteral("running as root without a postgres user for initdb");
            return;
        }
        asPostgres_ = true;
    }
    port_ = freeLoopbackPort();
    if (port_ == 0 ||
        !run(bin_ + QStringLiteral("/initdb"),
             {"-D", dir_.filePath("data"), "-A", "trust", "-U", "quorvelle", "-E", "UTF8",
              "--no-locale", "--no-sync"}) ||
        !start()) {
        return;
    }
    PGconn* conn = PQconnectdb(QStringLiteral("host=%1 port=%2 user=quorvelle dbname=postgres")
                                   .arg(host())
                                   .arg(port_)
                                   .toUtf8()
                                   .constData());
    PGresult* created = PQexec(conn, "CREATE DATABASE quorvelle");
    if (PQresultStatus(created) != PGRES_COMMAND_OK) {
        reason_ = "the private cluster refused a database: " +
                  QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    }
    PQclear(created);
    PQfinish(conn);
}

PrivateServer::~PrivateServer() {
    if (port_ != 0 && QFileInfo::exists(dir_.filePath("data/postmaster.pid"))) {
        stop();
    }
}

QString PrivateServer::uri() const {
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setUserName(QStringLiteral("quorvelle"));
    url.setHost(host());
    url.setPort(port_);
    url.setPath(QStringLiteral("/quorvelle"));
    return url.toString();
}

bool PrivateServer::stop() {
    return run(bin_ + QStringLiteral("/pg_ctl"),
               {"-D", dir_.filePath("data"), "-m", "immediate", "-w", "stop"});
}

bool PrivateServer::start() {
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=%3 -c fsync=off")
                                .arg(port_)
                                .arg(dir_.path(), host());
    return run(bin_ + QStringLiteral("/pg_ctl"),
               {"-D", dir_.filePath("data"), "-l", dir_.filePath("server.log"), "-o", options, "-w",
                "start"});
}

bool PrivateServer::run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (asPostgres_) {
        process.start(QStringLiteral("runuser"),
                      QStringList{"-u", "postgres", "--", program} + arguments);
    } else {
        process.start(program, arguments);
    }
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        reason_ = QFileInfo(program).fileName() +
                  " failed: " + QString::fromLocal8Bit(process.readAll()).trimmed() +
                  process.errorString();
        return false;
    }
    return true;
}
