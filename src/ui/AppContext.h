#pragma once

#include <QString>

class Prompter;
class Desktop;
class Clock;

// What the main window needs from the outside world; main() builds the real one and tests
// build their own.
struct AppContext {
    QString dataFolder;
    Prompter* prompter = nullptr;
    Desktop* desktop = nullptr;
    const Clock* clock = nullptr;
};
