#pragma once

#include <QSize>

class QRect;
class QWidget;

// The main window's size, position and maximised state, kept in the user's settings between
// runs (group "Window"), and the size it takes on a screen where none was kept.

// The smallest window the pages are laid out for.
inline constexpr QSize kWindowMinimum{1000, 600};
// The size the window asks for on a screen large enough, before any was kept.
inline constexpr QSize kWindowPreferred{1240, 780};

// The window's first size on a screen of this available area: the preferred size, made
// smaller to fit; and the minimum, never more than the area.
QSize firstWindowSize(const QRect& available);
QSize minimumWindowSize(const QRect& available);

// Sets the minimum size, then restores the kept placement when it is still on a screen, or
// sizes the window to fit and centres it.
void restoreWindowPlacement(QWidget& window);
void saveWindowPlacement(const QWidget& window);
