#include "alarms/MailMessage.h"

#include <QCryptographicHash>
#include <QLocale>

namespace {
const QByteArray kCrlf("\r\n");

// Base64 in lines of 76 characters.
QByteArray base64Lines(const QByteArray& data) {
    const QByteArray encoded = data.toBase64();
    QByteArray lines;
    for (qsizetype i = 0; i < encoded.size(); i += 76) {
        lines += encoded.mid(i, 76) + kCrlf;
    }
    return lines;
}

bool plainAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) {
            return false;
        }
    }
    return true;
}

// RFC 2047 encoded words of at most ten characters each, on folded lines.
QByteArray encodedWords(const QString& text) {
    QByteArray out;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype n = std::min<qsizetype>(10, text.size() - i);
        if (i + n < text.size() && text.at(i + n - 1).isHighSurrogate()) {
            --n;
        }
        if (!out.isEmpty()) {
            out += "\r\n ";
        }
        out += "=?UTF-8?B?" + text.mid(i, n).toUtf8().toBase64() + "?=";
        i += n;
    }
    return out;
}

// The address part of a header; only checked addresses reach here, and the line breaks are
// taken out all the same.
QByteArray addressHeader(const QString& address) {
    return "<" + headerLine(address).toUtf8() + ">";
}

QByteArray dateHeader(const QDateTime& date) {
    const int offset = date.offsetFromUtc() / 60;
    const QString zone = QStringLiteral("%1%2%3")
                             .arg(offset < 0 ? '-' : '+')
                             .arg(std::abs(offset) / 60, 2, 10, QChar('0'))
                             .arg(std::abs(offset) % 60, 2, 10, QChar('0'));
    return (QLocale::c().toString(date, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) + zone)
        .toLatin1();
}
} // namespace

QString headerLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar(0x2028) || c == QChar(0x2029) ||
            c == QChar(0x85)) {
            c = ' ';
        }
    }
    return line;
}

QByteArray composeMail(const MailContent& mail) {
    const QString subject = headerLine(mail.subject);
    const QString domain = mail.from.section('@', 1);
    QByteArray head;
    head += "From: " + addressHeader(mail.from) + kCrlf;
    head += "To: " + addressHeader(mail.to) + kCrlf;
    head +=
        "Subject: " + (plainAscii(subject) ? subject.toLatin1() : encodedWords(subject)) + kCrlf;
    head += "Date: " + dateHeader(mail.date) + kCrlf;
    head += "Message-ID: <" + headerLine(mail.messageId).toUtf8() + "@" +
            headerLine(domain).toUtf8() + ">" + kCrlf;
    head += "MIME-Version: 1.0" + kCrlf;

    const QByteArray text = "Content-Type: text/plain; charset=utf-8" + kCrlf +
                            "Content-Transfer-Encoding: base64" + kCrlf + kCrlf +
                            base64Lines(mail.body.toUtf8());
    if (mail.attachments.isEmpty()) {
        return head + text;
    }
    // "=_" never occurs in base64 text, so the boundary cannot meet a part's content.
    const QByteArray boundary =
        "=_quorvelle_" + QCryptographicHash::hash(mail.messageId.toUtf8(), QCryptographicHash::Sha1)
                             .toHex()
                             .left(16);
    QByteArray message = head + "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"" +
                         kCrlf + kCrlf + "--" + boundary + kCrlf + text;
    for (const MailAttachment& file : mail.attachments) {
        const QByteArray name = headerLine(file.name).remove('"').toUtf8();
        message += "--" + boundary + kCrlf;
        message += "Content-Type: " + headerLine(file.mimeType).toLatin1() + "; name=\"" + name +
                   "\"" + kCrlf;
        message += "Content-Disposition: attachment; filename=\"" + name + "\"" + kCrlf;
        message += "Content-Transfer-Encoding: base64" + kCrlf + kCrlf;
        message += base64Lines(file.data);
    }
    return message + "--" + boundary + "--" + kCrlf;
}
