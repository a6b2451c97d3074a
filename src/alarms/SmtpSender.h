#pragma once

#include "alarms/MailSettings.h"

#include <QByteArray>
#include <QString>

// What the mail server made of one message to one address.
struct SmtpOutcome {
    enum class Kind {
        Sent,         // the server took it
        Refused,      // the server refused the address or the message for good (5xx)
        LoginRefused, // the server refused the login
        TryLater,     // no answer in time, no connection, a closed connection, a 4xx
    };
    Kind kind = Kind::TryLater;
    QString answer; // the server's last answer, or why there was none
};

// Sends one composed message to one address over SMTP: smtp:// upgrades to TLS when the server
// offers it, smtps:// starts with TLS. Waits at most 10 s to connect and 10 s for each answer.
// Safe to call from any thread.
SmtpOutcome sendMail(const MailSettings& settings, const QString& to, const QByteArray& message);
