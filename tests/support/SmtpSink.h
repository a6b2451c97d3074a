#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A mail server on loopback (tests/support/smtp_sink.py over Debian's python3-aiosmtpd),
// writing each message it takes to a folder. start() is false, with reason(), when it cannot
// run here: the test then skips itself.
class SmtpSink {
public:
    struct Options {
        QStringList refuse; // recipients answered with 550
        QString user;       // a login required when set
        QString password;
        bool tls = false;      // TLS from the first byte (smtps), with a certificate for the run
        bool dropData = false; // closes the connection when the message is sent
        int port = 0;          // 0: any free port
    };

    SmtpSink();
    explicit SmtpSink(Options options);
    ~SmtpSink();

    bool start();
    void stop();
    QString reason() const { return reason_; }
    int port() const { return port_; }
    // smtp://127.0.0.1:port, or smtps://localhost:port with tls.
    QString url() const;
    // The certificate the server shows with tls.
    QString certificate() const { return dir_.filePath("cert.pem"); }

    // The messages taken, oldest first, each with the recipient it went to.
    struct Message {
        QString to;
        QByteArray data;
    };
    QList<Message> messages() const;

private:
    Options options_;
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    QString reason_;
};

// A message read back: its header lines (folded lines joined), and its parts decoded, the text
// body first.
struct ReadMail {
    QStringList headers;
    QString header(const QString& name) const;
    struct Part {
        QString contentType;
        QString fileName;
        QByteArray data;
    };
    QList<Part> parts;
    QString text() const { return parts.isEmpty() ? QString() : QString::fromUtf8(parts[0].data); }
};
ReadMail readMail(const QByteArray& message);
