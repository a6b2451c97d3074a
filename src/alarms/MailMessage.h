#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// One file carried by a message.
struct MailAttachment {
    QString name;     // as the reader sees it: "chart.png"
    QString mimeType; // "image/png"
    QByteArray data;
};

struct MailContent {
    QString from;
    QString to;
    QString subject;
    QString body;
    QList<MailAttachment> attachments;
    QDateTime date;
    QString messageId; // unique per message; the part before the @ of its Message-ID
};

// A header's text as one line: every line break, tab or other control character becomes a
// space, so that no text of a sensor, a note or an address can start a header of its own.
QString headerLine(const QString& text);

// The message as the server is given it (CRLF line ends): the headers (From, To, Subject,
// Date, Message-ID, MIME), the body as UTF-8 text and each attachment, in base64. A subject
// that is not plain ASCII is written as encoded words; a body line holds no header.
QByteArray composeMail(const MailContent& mail);
