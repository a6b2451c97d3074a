#pragma once

#include <QString>
#include <optional>

// The desktop's keyring, where "Remember password" keeps a site server password: never in a
// file of the program's own. Tests use a fake one.
class Keyring {
public:
    virtual ~Keyring() = default;

    // The password kept for the account; nullopt when none is kept or no keyring answers.
    virtual std::optional<QString> password(const QString& account) = 0;
    // Keeps the password; false when the desktop has no keyring (or it refused).
    virtual bool store(const QString& account, const QString& password) = 0;
    virtual void forget(const QString& account) = 0;
};

// The keyring account of a site server login: "user@host:port/database".
QString keyringAccount(const QString& user, const QString& host, int port, const QString& database);
