#pragma once

#include <QString>
#include <optional>

// Where a site server's register lives and who logs in to it. A password is never part of it:
// libpq finds it in PGPASSWORD or ~/.pgpass, or the user types it for the run.
struct ServerLogin {
    QString host;
    int port = 5432;
    QString database;
    QString user;

    bool operator==(const ServerLogin&) const = default;
};

// True when the location names a site server (a postgresql:// or postgres:// URI) rather
// than a database file.
bool isServerLocation(const QString& location);

// "postgresql://user@host:port/database", with the parts percent-encoded where needed.
QString serverUri(const ServerLogin& login);

// The login a server URI names; nullopt for anything else, or a URI without a host or a
// database. A missing port is 5432; a password in the URI is dropped.
std::optional<ServerLogin> parseServerUri(const QString& uri);

// The server as the user knows it, for messages: "database on host:port".
QString serverDisplayName(const ServerLogin& login);
// serverDisplayName of a location that is a server URI; a file location is returned as it is.
QString locationDisplayName(const QString& location);
