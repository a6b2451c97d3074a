#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QUrl;

// A connection keyword and its value, as a server address carries them after '?'
// (postgresql://user@host:5432/database?sslmode=verify-full).
using ServerSetting = std::pair<QString, QString>;
using ServerSettings = QList<ServerSetting>;

// Where a site server's register lives and who logs in to it. A password is never part of it:
// libpq finds it in PGPASSWORD or ~/.pgpass, or the user types it for the run.
struct ServerLogin {
    ServerLogin() = default;
    ServerLogin(QString host, int port, QString database, QString user,
                ServerSettings settings = {})
        : host(std::move(host)), port(port), database(std::move(database)), user(std::move(user)),
          settings(std::move(settings)) {}

    QString host;
    int port = 5432;
    QString database;
    QString user;
    // The settings the address carries, in its order; each one passed serverSettingsProblem.
    ServerSettings settings;

    bool operator==(const ServerLogin&) const = default;
};

// The keywords a server address may carry: sslmode, sslrootcert, sslcert, sslkey, sslcrl,
// connect_timeout and application_name.
const QStringList& serverSettingKeywords();

// Why the address cannot carry these settings, in a sentence for the user; empty when it can.
// Only the keywords above are taken, each once; sslmode must be one of libpq's modes,
// connect_timeout a whole number of seconds from 2 to 600, and no value may hold a control
// character or a ';' (the Qt driver would read it as a space).
QString serverSettingsProblem(const ServerSettings& settings);

// Why the login cannot be used, in a sentence for the user; empty when it can. The host must
// be a host name or an IP address alone (no port, path, user or spaces in it); the database
// and the user may hold no control character and at most 63 bytes, the server's limit; the
// database must be given, the user may be left to libpq's default.
QString serverLoginProblem(const ServerLogin& login);

// True when the location names a site server (a postgresql:// or postgres:// URI) rather
// than a database file.
bool isServerLocation(const QString& location);

// "postgresql://user@host:port/database?settings", with the parts percent-encoded where
// needed.
QString serverUri(const ServerLogin& login);

// What a server URI names: the login, or the reason it names none.
struct ServerUriReading {
    std::optional<ServerLogin> login;
    QString problem;
};

// The login a server URI names, or why it names none (not a URI, no host, no database, a
// setting refused by serverSettingsProblem, a part refused by serverLoginProblem). A missing
// port is 5432; a password in the URI is dropped. The reason never repeats the URI.
ServerUriReading readServerUri(const QString& uri);
// The login of readServerUri; nullopt for anything else.
std::optional<ServerLogin> parseServerUri(const QString& uri);

// The settings written after '?' in the URL, decoded, in their order.
ServerSettings urlSettings(const QUrl& url);

// The seconds a server gets to answer a connection attempt unless the address says otherwise.
constexpr int kDefaultConnectTimeout = 5;

// What a connection to a server address is opened with beyond its host, port, database, user
// and password: the keyword/value pairs, the seconds it waits for an answer, or the reason the
// address's settings are refused.
struct ServerOptions {
    ServerSettings keywords;
    int connectTimeout = kDefaultConnectTimeout;
    QString problem;
};

// The program's own connect_timeout and application_name=quorvelle, replaced by the address's
// settings of those names, followed by its other settings.
ServerOptions serverConnectionOptions(const QUrl& url);

// The pairs as the Qt driver's connect options: keyword='value' with '\' and '\'' escaped by a
// backslash, as libpq's connection strings want them, separated by ';'. A value can then
// never add a keyword of its own.
QString connectOptionsText(const ServerSettings& keywords);

// The server as the user knows it, for messages: "database on host:port".
QString serverDisplayName(const ServerLogin& login);
// serverDisplayName of a location that is a server URI; a server URI that cannot be read is
// shown without its password; a file location is returned as it is.
QString locationDisplayName(const QString& location);
// The location for a message or a log line: a server URI with any password replaced by
// "****", even one that cannot be read as a URI; a file location as it is.
QString maskedLocation(const QString& location);
