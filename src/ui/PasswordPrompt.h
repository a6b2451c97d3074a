#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

// Asks for a password without showing what is typed; nullopt when cancelled. The windows use
// qtPasswordPrompt; tests put a scripted one in its place.
using PasswordPrompt =
    std::function<std::optional<QString>(const QString& title, const QString& prompt)>;

// Qt's input box with its text hidden, over parent.
PasswordPrompt qtPasswordPrompt(QWidget* parent);
