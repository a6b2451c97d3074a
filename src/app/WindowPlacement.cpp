#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWidget>

namespace {
const QString kGeometry = QStringLiteral("Window/Geometry");
const QString kMaximised = QStringLiteral("Window/Maximised");

QSettings settings() {
    return QSettings(QStringLiteral("Ombrevault"), QStringLiteral("Quorvelle"));
}

QRect availableArea(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(), kWindowPreferred);
}
} // namespace

QSize firstWindowSize(const QRect& available) {
    // A window manager's frame and title take about this much of the area.
    const QSize frame(16, 40);
    return kWindowPreferred.boundedTo(available.size() - frame)
        .expandedTo(minimumWindowSize(available));
}

QSize minimumWindowSize(const QRect& available) {
    return kWindowMinimum.boundedTo(available.size());
}

void restoreWindowPlacement(QWidget& window) {
    const QRect area = availableArea(window);
    window.setMinimumSize(minimumWindowSize(area));
    const QSettings kept = settings();
    // A placement kept on a screen that is gone would put the window out of sight.
    if (window.restoreGeometry(kept.value(kGeometry).toByteArray()) &&
        QGuiApplication::screenAt(window.geometry().center()) != nullptr) {
        if (kept.value(kMaximised, false).toBool()) {
            window.setWindowState(window.windowState() | Qt::WindowMaximized);
        }
        return;
    }
    window.setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, firstWindowSize(area), area));
}

void saveWindowPlacement(const QWidget& window) {
    QSettings kept = settings();
    kept.setValue(kGeometry, window.saveGeometry());
    kept.setValue(kMaximised, window.isMaximized());
}
