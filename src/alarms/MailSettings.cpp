#include "alarms/MailSettings.h"

#include "store/AlarmStore.h"
#include "store/DbError.h"

#include <QFile>
#include <QSettings>
#include <QUrl>
#include <memory>

namespace {
std::unique_ptr<QSettings> settingsAt(const QString& path) {
    if (path.isEmpty()) {
        return std::make_unique<QSettings>(QStringLiteral("Ombrevault"),
                                           QStringLiteral("Quorvelle"));
    }
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}
} // namespace

MailSettings readMailSettings(const QString& path) {
    const std::unique_ptr<QSettings> file = settingsAt(path);
    file->beginGroup(QStringLiteral("Mail"));
    MailSettings settings;
    settings.server = file->value(QStringLiteral("Server")).toString().trimmed();
    settings.from = file->value(QStringLiteral("From")).toString().trimmed();
    settings.user = file->value(QStringLiteral("User")).toString();
    settings.password = file->value(QStringLiteral("Password")).toString();
    settings.caFile = file->value(QStringLiteral("CaFile")).toString();
    if (settings.password.isEmpty()) {
        settings.password = qEnvironmentVariable("QUORVELLE_SMTP_PASSWORD");
    }
    return settings;
}

void writeMailSettings(const MailSettings& settings, const QString& path) {
    const std::unique_ptr<QSettings> file = settingsAt(path);
    file->beginGroup(QStringLiteral("Mail"));
    file->setValue(QStringLiteral("Server"), settings.server);
    file->setValue(QStringLiteral("From"), settings.from);
    file->setValue(QStringLiteral("User"), settings.user);
    file->setValue(QStringLiteral("CaFile"), settings.caFile);
    if (settings.password.isEmpty()) {
        file->remove(QStringLiteral("Password"));
    } else {
        file->setValue(QStringLiteral("Password"), settings.password);
    }
    file->endGroup();
    file->sync();
    if (file->status() != QSettings::NoError) {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The mail settings could not be written to ") +
                          file->fileName());
    }
    if (!settings.password.isEmpty() &&
        !QFile::setPermissions(file->fileName(), QFile::ReadOwner | QFile::WriteOwner)) {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The mail password was written, but ") + file->fileName() +
                          QStringLiteral(" could not be made readable by its owner only"));
    }
}

std::optional<QString> mailSettingsProblem(const MailSettings& settings) {
    if (settings.server.isEmpty()) {
        return QStringLiteral("No mail server is set: give Server in section [Mail] of the "
                              "settings file");
    }
    const QUrl url(settings.server);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("smtp") && url.scheme() != QLatin1String("smtps"))) {
        return QStringLiteral("The mail server %1 is not of the form smtp://host:port or "
                              "smtps://host:port")
            .arg(settings.server);
    }
    if (const auto problem = addressProblem(settings.from)) {
        return QStringLiteral("The sender address From (%1) is not an e-mail address: %2")
            .arg(settings.from, *problem);
    }
    return std::nullopt;
}
