#pragma once

#include <QString>

class Prompter;
class Desktop;
class Clock;
class Notifier;

// What the main window needs from the outside world; main() builds the real one and tests
// build their own.
struct AppContext {
    QString dataFolder;
    Prompter* prompter = nullptr;
    Desktop* desktop = nullptr;
    const Clock* clock = nullptr;
    // Desktop notifications of new trigger events; none are shown without one.
    Notifier* notifier = nullptr;
};
