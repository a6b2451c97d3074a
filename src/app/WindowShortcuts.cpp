#include "app/WindowShortcuts.h"

#include <QShortcut>
#include <QTabWidget>

void addTabShortcuts(QWidget& window, QTabWidget& tabs) {
    for (int i = 0; i < tabs.count() && i < 9; ++i) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | (Qt::Key_1 + i)), &window);
        QObject::connect(shortcut, &QShortcut::activated, &tabs,
                         [&tabs, i] { tabs.setCurrentIndex(i); });
    }
}

void addPageShortcut(QWidget& window, const QKeySequence& keys, QVector<PageCommand> commands) {
    auto* shortcut = new QShortcut(keys, &window);
    QObject::connect(shortcut, &QShortcut::activated, &window, [commands = std::move(commands)] {
        for (const PageCommand& command : commands) {
            if (command.page->isVisible()) {
                command.run();
                return;
            }
        }
    });
}
