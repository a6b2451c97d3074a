#include "support/SmtpSink.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3");

// Header lines of a block, with folded lines joined to the line they continue.
QStringList headerLines(const QByteArray& block) {
    QStringList lines;
    for (const QByteArray& raw : block.split('\n')) {
        const QString line = QString::fromUtf8(raw).remove('\r');
        if (!lines.isEmpty() && (line.startsWith(' ') || line.startsWith('\t'))) {
            lines.last() += line;
        } else if (!line.isEmpty()) {
            lines << line;
        }
    }
    return lines;
}

QString valueOf(const QStringList& headers, const QString& name) {
    for (const QString& line : headers) {
        if (line.section(':', 0, 0).compare(name, Qt::CaseInsensitive) == 0) {
            return line.section(':', 1).trimmed();
        }
    }
    return {};
}

ReadMail::Part partOf(const QByteArray& block) {
    const qsizetype split = block.indexOf("\r\n\r\n");
    const QStringList headers = headerLines(block.left(split));
    ReadMail::Part part;
    part.contentType = valueOf(headers, "Content-Type");
    const QRegularExpressionMatch name =
        QRegularExpression("filename=\"([^\"]*)\"").match(valueOf(headers, "Content-Disposition"));
    part.fileName = name.captured(1);
    const QByteArray body = block.mid(split + 4);
    part.data = valueOf(headers, "Content-Transfer-Encoding") == "base64"
                    ? QByteArray::fromBase64(QByteArray(body).replace("\r\n", ""))
                    : body;
    return part;
}
} // namespace

SmtpSink::SmtpSink() : SmtpSink(Options{}) {}

SmtpSink::SmtpSink(Options options) : options_(std::move(options)) {}

SmtpSink::~SmtpSink() {
    stop();
}

bool SmtpSink::start() {
    if (!QFile::exists(kPython) || !dir_.isValid()) {
        reason_ = "no /usr/bin/python3 or no temporary folder";
        return false;
    }
    QDir().mkpath(dir_.filePath("mail"));
    QStringList arguments{QStringLiteral(QUORVELLE_SMTP_SINK), "--folder", dir_.filePath("mail"),
                          "--port", QString::number(options_.port ? options_.port : port_)};
    for (const QString& address : options_.refuse) {
        arguments << "--refuse" << address;
    }
    if (!options_.user.isEmpty()) {
        arguments << "--user" << options_.user << "--password" << options_.password;
    }
    if (options_.tls) {
        if (!QFile::exists(certificate())) {
            const int made = QProcess::execute(
                "openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                            "/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1",
                            "-keyout", dir_.filePath("key.pem"), "-out", certificate()});
            if (made != 0) {
                reason_ = "openssl could not make a certificate";
                return false;
            }
        }
        arguments << "--cert" << certificate() << "--key" << dir_.filePath("key.pem");
    }
    if (options_.dropData) {
        arguments << "--drop-data";
    }
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(kPython, arguments);
    if (!process_.waitForStarted(10000)) {
        reason_ = "the mail server script did not start";
        return false;
    }
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(20000)) {
            reason_ = "the mail server did not start listening (python3-aiosmtpd missing?): " +
                      QString::fromUtf8(process_.readAllStandardError());
            stop();
            return false;
        }
    }
    const QString ready = QString::fromUtf8(process_.readLine()).trimmed();
    if (!ready.startsWith("READY ")) {
        reason_ = "the mail server said " + ready;
        stop();
        return false;
    }
    port_ = ready.mid(6).toInt();
    return true;
}

void SmtpSink::stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.closeWriteChannel();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished();
    }
}

QString SmtpSink::url() const {
    return (options_.tls ? QStringLiteral("smtps://localhost:%1")
                         : QStringLiteral("smtp://127.0.0.1:%1"))
        .arg(port_);
}

QList<SmtpSink::Message> SmtpSink::messages() const {
    QList<Message> messages;
    const QDir folder(dir_.filePath("mail"));
    for (const QString& name : folder.entryList({"*.eml"}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly)) {
            messages << Message{name.mid(name.indexOf('-') + 1).chopped(4), file.readAll()};
        }
    }
    return messages;
}

QString ReadMail::header(const QString& name) const {
    return valueOf(headers, name);
}

ReadMail readMail(const QByteArray& message) {
    const qsizetype split = message.indexOf("\r\n\r\n");
    ReadMail mail;
    mail.headers = headerLines(message.left(split));
    const QRegularExpressionMatch boundary =
        QRegularExpression("boundary=\"([^\"]*)\"").match(mail.header("Content-Type"));
    if (!boundary.hasMatch()) {
        mail.parts << partOf(message);
        return mail;
    }
    const QByteArray marker = "--" + boundary.captured(1).toUtf8();
    const QList<QByteArray> blocks = message.mid(split + 4).split('\n');
    QByteArray current;
    bool inPart = false;
    for (const QByteArray& raw : blocks) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (line == marker || line == marker + "--") {
            if (inPart) {
                mail.parts << partOf(current);
            }
            current.clear();
            inPart = line == marker;
            continue;
        }
        if (inPart) {
            current += line + "\r\n";
        }
    }
    return mail;
}
