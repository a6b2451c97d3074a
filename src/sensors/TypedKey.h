#pragma once

#include <optional>

class QKeyEvent;

// The character code a key press types (8 Backspace, 9 Tab, 13 Enter, otherwise the
// character); nullopt for keys that type nothing, such as arrows, Delete and lone modifiers.
std::optional<int> typedCharCode(const QKeyEvent* event);
