#pragma once

#include <QString>
#include <optional>

class Connection;

// The register in use, as the main window's status bar names it.
struct RegisterIdentity {
    // The database file's path, or "quorvelle on host:5432 as NAME" for a site server.
    QString name;
    // Whether the server says this connection is encrypted; none for a database file.
    std::optional<bool> encrypted;
};

// Asks the open connection what it is connected to. The server's own answers (its database,
// the login it took, whether it encrypts this session) name a site server; a failure to get
// them is raised.
RegisterIdentity registerIdentity(Connection& db, const QString& location);
