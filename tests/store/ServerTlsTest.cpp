#include "store/Connection.h"
#include "store/DbError.h"
#include "store/SiteAccess.h"
#include "support/PrivateServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

namespace {
// A server of the test's own with TLS switched on: a CA and a server certificate for
// "localhost", made by openssl for the run.
class ServerTlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.available()) {
            GTEST_SKIP() << server.reason().toStdString();
        }
        if (!makeCertificates()) {
            GTEST_SKIP() << "openssl could not make certificates: " << failure.toStdString();
        }
        Connection owner;
        owner.open(server.uri());
        owner.execute("ALTER SYSTEM SET ssl_cert_file = '" + certs.filePath("server.crt") + "'");
        owner.execute("ALTER SYSTEM SET ssl_key_file = '" + certs.filePath("server.key") + "'");
        owner.execute("ALTER SYSTEM SET ssl = on");
        owner.scalar("SELECT pg_reload_conf()");
        // The reload is asynchronous: wait until a new session sees it.
        for (int i = 0; i < 50; ++i) {
            Connection probe;
            probe.open(server.uri());
            if (probe.scalar("SHOW ssl").toString() == QLatin1String("on")) {
                return;
            }
            QThread::msleep(100);
        }
        GTEST_SKIP() << "the server did not switch TLS on";
    }

    bool openssl(const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(certs.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start("openssl", arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            failure = QString::fromUtf8(process.readAll());
            return false;
        }
        return true;
    }
    bool makeCertificates() {
        QFile extensions(certs.filePath("server.ext"));
        if (!certs.isValid() || !extensions.open(QIODevice::WriteOnly)) {
            return false;
        }
        extensions.write("subjectAltName=DNS:localhost\n");
        extensions.close();
        const QStringList ec{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
        if (!openssl(QStringList{"req", "-x509"} + ec +
                     QStringList{"-keyout", "ca.key", "-out", "ca.crt", "-days", "2", "-subj",
                                 "/CN=Quorvelle test CA"}) ||
            !openssl(QStringList{"req"} + ec +
                     QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj",
                                 "/CN=localhost"}) ||
            !openssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                      "-CAcreateserial", "-out", "server.crt", "-days", "2", "-extfile",
                      "server.ext"})) {
            return false;
        }
        // The server reads its key only when no one else may.
        QFile::setPermissions(certs.filePath("server.key"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::setPermissions(certs.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                QFileDevice::ExeOther);
        if (::geteuid() == 0) {
            const passwd* postgres = ::getpwnam("postgres");
            if (postgres == nullptr ||
                ::chown(QFile::encodeName(certs.filePath("server.key")).constData(),
                        postgres->pw_uid, postgres->pw_gid) != 0) {
                failure = QStringLiteral("the key could not be given to the postgres user");
                return false;
            }
        }
        return true;
    }
    QString uriWith(const QString& host, const QString& settings) const {
        QUrl url(server.uri());
        url.setHost(host);
        url.setQuery(settings);
        return url.toString();
    }

    PrivateServer server;
    QTemporaryDir certs;
    QString failure;
};

TEST_F(ServerTlsTest, VerifyFullRefusesAWrongHostNameAndEncryptsTheRightOne) {
    const QString ca = "sslrootcert=" + certs.filePath("ca.crt");
    Connection wrongName;
    try {
        wrongName.open(uriWith("127.0.0.1", "sslmode=verify-full&" + ca));
        ADD_FAILURE() << "a certificate for localhost was taken for 127.0.0.1";
    } catch (const DbError& e) {
        EXPECT_EQ(e.kind(), DbErrorKind::Unreachable);
        EXPECT_TRUE(e.description().contains("not made out to the host name \"127.0.0.1\""))
            << e.description().toStdString();
    }

    Connection verified;
    verified.open(uriWith("localhost", "sslmode=verify-full&" + ca));
    EXPECT_TRUE(connectionEncrypted(verified));

    Connection required;
    required.open(uriWith("127.0.0.1", QStringLiteral("sslmode=require")));
    EXPECT_TRUE(connectionEncrypted(required));

    Connection plain;
    plain.open(uriWith("127.0.0.1", QStringLiteral("sslmode=disable")));
    EXPECT_FALSE(connectionEncrypted(plain));

    Connection otherCa;
    try {
        otherCa.open(uriWith("localhost",
                             "sslmode=verify-full&sslrootcert=" + certs.filePath("server.crt")));
        ADD_FAILURE() << "a certificate not signed by the CA file was taken";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.description().contains("not signed by the CA"))
            << e.description().toStdString();
    }
}
} // namespace
