#include "sensors/TypedKey.h"

#include <QKeyEvent>

std::optional<int> typedCharCode(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text.at(0).unicode();
}
