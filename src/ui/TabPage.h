#pragma once

#include <QString>
#include <QWidget>
#include <functional>

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

    // Until the page is first shown it asks its tab control for no room, so that laying out the
    // window does not measure every label of a tab not yet entered; from then on its layout's
    // sizes count as usual.
    void sizeOnceShown();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool sized_ = true;
};

// Holds a tab's place until the tab is first entered: build then makes the page, which fills
// the holder and takes every enter and leave from then on.
class DeferredPage : public TabPage {
    Q_OBJECT
public:
    explicit DeferredPage(std::function<TabPage*(QWidget* holder)> build,
                          QWidget* parent = nullptr);

    // The page built; null until the tab was first entered.
    TabPage* page() const { return page_; }

    QString enter() override;
    void leave() override;

private:
    std::function<TabPage*(QWidget* holder)> build_;
    TabPage* page_ = nullptr;
};
