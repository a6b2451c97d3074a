#pragma once

#include <QString>
#include <QWidget>

// One page of the main window's tab control. The main window calls leave() on the page
// being left and enter() on the page being shown, in that order.
class TabPage : public QWidget {
    Q_OBJECT
public:
    explicit TabPage(QWidget* parent = nullptr);
    ~TabPage() override;

    virtual void leave() {}
    // Returns an empty text when the page can be shown, otherwise the message that
    // explains the refusal; the main window then returns to the previous tab.
    virtual QString enter() { return {}; }
};
