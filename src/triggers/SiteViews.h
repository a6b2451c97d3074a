#pragma once

#include <QWidget>

class QHBoxLayout;
class QRadioButton;
class QStackedWidget;

// The views of the sensors on "9. Site Status": the switch (optSiteTable, optSiteCompare)
// over the stack stkSiteView, which holds the status table first, the plan second and the
// compare page third. The
// switch row is laid out by the page, beside its caption.
class SiteViews : public QWidget {
    Q_OBJECT
public:
    SiteViews(QWidget* table, QWidget* compare, QWidget* parent = nullptr);

    QRadioButton* optSiteTable;
    QRadioButton* optSiteCompare;
    QStackedWidget* stkSiteView;
    QHBoxLayout* switchRow;

    bool comparing() const;

signals:
    // The compare page came on screen.
    void compareShown();
};
