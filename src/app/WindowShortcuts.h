#pragma once

#include <QKeySequence>
#include <QVector>
#include <functional>

class QTabWidget;
class QWidget;

// What a command key does on one page: run while that page is the one on screen.
struct PageCommand {
    QWidget* page;
    std::function<void()> run;
};

// Alt+1 to Alt+9 show the tabs in their order.
void addTabShortcuts(QWidget& window, QTabWidget& tabs);

// A key of the whole window that runs the command of the page on screen; on other pages it
// does nothing.
void addPageShortcut(QWidget& window, const QKeySequence& keys, QVector<PageCommand> commands);
