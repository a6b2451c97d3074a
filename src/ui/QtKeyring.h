#pragma once

#include "ui/Keyring.h"

// The desktop keyring through QtKeychain (the Secret Service on Linux desktops), with its
// plain-text fallback switched off. Each call waits for the keyring's answer.
class QtKeyring : public Keyring {
public:
    std::optional<QString> password(const QString& account) override;
    bool store(const QString& account, const QString& password) override;
    void forget(const QString& account) override;
};
