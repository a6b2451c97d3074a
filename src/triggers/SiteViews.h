#pragma once

#include <QWidget>

#include <functional>

class QButtonGroup;
class QRadioButton;
class QStackedWidget;

// The switch between the views of the sensors on "9. Site Status": the status table, the plan
// of a level and the compare chart, each a page of stkSiteView in that order.
class SiteViews : public QWidget {
    Q_OBJECT
public:
    SiteViews(QWidget* table, QWidget* plan, QWidget* compare, QWidget* parent);

    enum View { Table = 0, Plan = 1, Compare = 2 };
    void setView(View view);
    View view() const;
    bool comparing() const { return view() == Compare; }

    QRadioButton* optSiteTable;
    QRadioButton* optSitePlan;
    QRadioButton* optSiteCompare;
    // Laid out by the page under the switch.
    QStackedWidget* stkSiteView;

    // Told after the view changed.
    std::function<void(View)> changed;

signals:
    // The compare page came on screen.
    void compareShown();

private:
    QButtonGroup* group_;
};
