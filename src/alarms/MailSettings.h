#pragma once

#include <QString>
#include <optional>

// The mail server of this computer, from section [Mail] of the program's settings file
// (~/.config/Ombrevault/Quorvelle.conf); never stored in the register.
struct MailSettings {
    QString server; // smtp://host:port (plain, or STARTTLS when offered), smtps://host:port
    QString from;
    QString user;     // empty: no login
    QString password; // Password in the file, else QUORVELLE_SMTP_PASSWORD
    QString caFile;   // a certificate file to trust for a site's own server; empty: the system's
};

// Reads [Mail] of the settings file at path, or of the program's own file when path is empty.
MailSettings readMailSettings(const QString& path = {});
// Writes [Mail]; the file is made readable by its owner only when it holds a password.
// Raises DbError when the file cannot be written.
void writeMailSettings(const MailSettings& settings, const QString& path = {});
// Why no message can be sent with these settings, or nothing.
std::optional<QString> mailSettingsProblem(const MailSettings& settings);
