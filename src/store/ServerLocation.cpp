#include "store/ServerLocation.h"

#include <QUrl>

namespace {
bool hasServerScheme(const QString& scheme) {
    return scheme.compare("postgresql", Qt::CaseInsensitive) == 0 ||
           scheme.compare("postgres", Qt::CaseInsensitive) == 0;
}
} // namespace

bool isServerLocation(const QString& location) {
    const QString trimmed = location.trimmed();
    const int colon = trimmed.indexOf("://");
    return colon > 0 && hasServerScheme(trimmed.left(colon));
}

QString serverUri(const ServerLogin& login) {
    QUrl url;
    url.setScheme("postgresql");
    url.setUserName(login.user);
    url.setHost(login.host);
    url.setPort(login.port);
    url.setPath("/" + login.database);
    return url.toString(QUrl::FullyEncoded);
}

std::optional<ServerLogin> parseServerUri(const QString& uri) {
    if (!isServerLocation(uri)) {
        return std::nullopt;
    }
    const QUrl url(uri.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        return std::nullopt;
    }
    ServerLogin login;
    login.host = url.host();
    login.port = url.port(5432);
    login.user = url.userName();
    login.database = url.path().mid(1);
    if (login.database.isEmpty() || login.database.contains('/')) {
        return std::nullopt;
    }
    return login;
}

QString serverDisplayName(const ServerLogin& login) {
    return login.database + " on " + login.host + ":" + QString::number(login.port);
}

QString locationDisplayName(const QString& location) {
    const std::optional<ServerLogin> login = parseServerUri(location);
    return login ? serverDisplayName(*login) : location;
}
