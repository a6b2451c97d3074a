#pragma once

#include <QCursor>
#include <QGuiApplication>

// A busy pointer over the program while it lives: for work on the window's thread that takes
// a second or more with nothing else on screen to tell that it is under way.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
