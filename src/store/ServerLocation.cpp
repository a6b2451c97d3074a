#include "store/ServerLocation.h"

#include <QUrl>
#include <QUrlQuery>
#include <algorithm>

namespace {
// The server cuts names longer than this (NAMEDATALEN - 1) without a word.
constexpr int kMaxNameBytes = 63;
constexpr int kMaxConnectTimeout = 600;
const QString kUriForm = QStringLiteral("postgresql://user@host:5432/database");

bool hasServerScheme(const QString& scheme) {
    return scheme.compare("postgresql", Qt::CaseInsensitive) == 0 ||
           scheme.compare("postgres", Qt::CaseInsensitive) == 0;
}

bool hasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString shownCharacter(QChar c) {
    return c == ' ' ? QStringLiteral("a space") : '"' + QString(c) + '"';
}

bool isHostNameCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' ||
           u == '.' || u == '_';
}

// An IPv6 address, as the part of a URI between '[' and ']'.
bool isIpv6Address(const QString& host) {
    if (host.count(':') < 2 || !std::all_of(host.begin(), host.end(), [](QChar c) {
            const char16_t u = c.unicode();
            return u == ':' || u == '.' || (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') ||
                   (u >= 'A' && u <= 'F');
        })) {
        return false;
    }
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setHost(host, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty();
}

QString hostProblem(const QString& host) {
    if (host.isEmpty()) {
        return QStringLiteral("The site server address names no host.");
    }
    if (isIpv6Address(host)) {
        return {};
    }
    // The host itself is not repeated: text typed into the host box may hold a password.
    const auto wrong = std::find_if_not(host.begin(), host.end(), isHostNameCharacter);
    if (wrong != host.end()) {
        return QStringLiteral("The site server host must be a host name or an IP address alone; "
                              "%1 cannot be part of it.")
            .arg(shownCharacter(*wrong));
    }
    if (host.startsWith('-') || host.startsWith('.') || host.size() > 253) {
        return QStringLiteral("The site server host is not a host name or an IP address.");
    }
    return {};
}

QString nameProblem(const QString& what, const QString& name) {
    if (hasControlCharacter(name)) {
        return QStringLiteral("The %1 may not contain control characters.").arg(what);
    }
    if (name.toUtf8().size() > kMaxNameBytes) {
        return QStringLiteral("The %1 is longer than the site server's %2 bytes.")
            .arg(what)
            .arg(kMaxNameBytes);
    }
    return {};
}

QString valueProblem(const QString& keyword, const QString& value) {
    if (value.contains(';') || hasControlCharacter(value)) {
        return QStringLiteral("The value of %1 may not contain \";\" or control characters.")
            .arg(keyword);
    }
    if (keyword == QLatin1String("sslmode")) {
        static const QStringList modes{"disable", "allow",     "prefer",
                                       "require", "verify-ca", "verify-full"};
        if (!modes.contains(value)) {
            return QStringLiteral("sslmode \"%1\" is not one of %2.").arg(value, modes.join(", "));
        }
    }
    if (keyword == QLatin1String("connect_timeout")) {
        bool ok = false;
        const int seconds = value.toInt(&ok);
        const bool digits =
            std::all_of(value.begin(), value.end(), [](QChar c) { return c >= '0' && c <= '9'; });
        // libpq waits at least 2 seconds, and 0 would wait for ever.
        if (!ok || !digits || seconds < 2 || seconds > kMaxConnectTimeout) {
            return QStringLiteral("connect_timeout wants a whole number of seconds from 2 to %1, "
                                  "not \"%2\".")
                .arg(kMaxConnectTimeout)
                .arg(value);
        }
    }
    return {};
}

QString settingsQuery(const ServerSettings& settings) {
    QStringList items;
    for (const auto& [keyword, value] : settings) {
        items << QString::fromLatin1(QUrl::toPercentEncoding(keyword) + '=' +
                                     QUrl::toPercentEncoding(value));
    }
    return items.join('&');
}
} // namespace

const QStringList& serverSettingKeywords() {
    static const QStringList keywords{"sslmode", "sslrootcert",     "sslcert",         "sslkey",
                                      "sslcrl",  "connect_timeout", "application_name"};
    return keywords;
}

QString serverSettingsProblem(const ServerSettings& settings) {
    QStringList seen;
    for (const auto& [keyword, value] : settings) {
        // A refused keyword's value is never repeated: it may be a password.
        if (!serverSettingKeywords().contains(keyword)) {
            return QStringLiteral("\"%1\" is not a setting the site server address may carry "
                                  "(it may carry %2).")
                .arg(keyword, serverSettingKeywords().join(", "));
        }
        if (seen.contains(keyword)) {
            return QStringLiteral("The site server address gives %1 twice.").arg(keyword);
        }
        seen << keyword;
        const QString problem = valueProblem(keyword, value);
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

QString serverLoginProblem(const ServerLogin& login) {
    QString problem = hostProblem(login.host);
    if (problem.isEmpty() && login.database.isEmpty()) {
        problem = QStringLiteral("The site server address names no database.");
    }
    if (problem.isEmpty()) {
        problem = nameProblem(QStringLiteral("database name"), login.database);
    }
    if (problem.isEmpty()) {
        problem = nameProblem(QStringLiteral("user name"), login.user);
    }
    if (problem.isEmpty() && (login.port < 1 || login.port > 65535)) {
        problem = QStringLiteral("The site server port must be from 1 to 65535.");
    }
    return problem.isEmpty() ? serverSettingsProblem(login.settings) : problem;
}

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
    if (!login.settings.isEmpty()) {
        url.setQuery(settingsQuery(login.settings));
    }
    return url.toString(QUrl::FullyEncoded);
}

ServerUriReading readServerUri(const QString& uri) {
    ServerUriReading reading;
    if (!isServerLocation(uri)) {
        reading.problem = "It is not a site server address (" + kUriForm + ").";
        return reading;
    }
    // Qt's own reason quotes the whole URI, password and all, so it is not passed on.
    const QUrl url(uri.trimmed(), QUrl::StrictMode);
    if (!url.isValid()) {
        reading.problem = "It is not a valid site server address (" + kUriForm + ").";
        return reading;
    }
    ServerLogin login;
    login.host = url.host();
    login.port = url.port(5432);
    login.user = url.userName();
    login.database = url.path().mid(1);
    login.settings = urlSettings(url);
    if (login.database.contains('/')) {
        reading.problem = "The database of a site server address is one name (" + kUriForm + ").";
        return reading;
    }
    reading.problem = serverLoginProblem(login);
    if (reading.problem.isEmpty()) {
        reading.login = login;
    }
    return reading;
}

std::optional<ServerLogin> parseServerUri(const QString& uri) {
    return readServerUri(uri).login;
}

ServerSettings urlSettings(const QUrl& url) {
    ServerSettings settings;
    for (const auto& [keyword, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!keyword.isEmpty() || !value.isEmpty()) {
            settings.append({keyword, value});
        }
    }
    return settings;
}

ServerOptions serverConnectionOptions(const QUrl& url) {
    ServerOptions options;
    const ServerSettings settings = urlSettings(url);
    options.problem = serverSettingsProblem(settings);
    if (!options.problem.isEmpty()) {
        return options;
    }
    options.keywords = {{"connect_timeout", QString::number(kDefaultConnectTimeout)},
                        {"application_name", "quorvelle"}};
    for (const ServerSetting& setting : settings) {
        const auto same =
            std::find_if(options.keywords.begin(), options.keywords.end(),
                         [&](const ServerSetting& s) { return s.first == setting.first; });
        if (same != options.keywords.end()) {
            same->second = setting.second;
        } else {
            options.keywords.append(setting);
        }
    }
    options.connectTimeout = options.keywords.first().second.toInt();
    return options;
}

QString connectOptionsText(const ServerSettings& keywords) {
    QStringList options;
    for (const auto& [keyword, value] : keywords) {
        QString quoted = value;
        quoted.replace('\\', QStringLiteral("\\\\"));
        quoted.replace('\'', QStringLiteral("\\'"));
        options << keyword + "='" + quoted + "'";
    }
    return options.join(';');
}

QString serverDisplayName(const ServerLogin& login) {
    return login.database + " on " + login.host + ":" + QString::number(login.port);
}

QString locationDisplayName(const QString& location) {
    const std::optional<ServerLogin> login = parseServerUri(location);
    return login ? serverDisplayName(*login) : maskedLocation(location);
}

QString maskedLocation(const QString& location) {
    if (!isServerLocation(location)) {
        return location;
    }
    const QString text = location.trimmed();
    const qsizetype start = text.indexOf("://") + 3;
    // The user part ends at the last '@' before the query; a URI too broken to tell (a '?' or
    // '/' in the password) is cut at the last '@' of all, which hides more rather than less.
    const qsizetype query = text.indexOf('?', start);
    qsizetype at = query < 0 ? text.lastIndexOf('@') : text.lastIndexOf('@', query);
    if (at < start) {
        at = text.lastIndexOf('@');
    }
    if (at < start) {
        return text;
    }
    const qsizetype colon = text.indexOf(':', start);
    if (colon < 0 || colon > at) {
        return text;
    }
    return text.left(colon + 1) + QStringLiteral("****") + text.mid(at);
}
