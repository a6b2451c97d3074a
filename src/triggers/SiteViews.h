#pragma once

#include <QWidget>

class QButtonGroup;
class QRadioButton;
class QStackedWidget;

// The switch between the views of the sensors on "9. Site Status": the status table and the
// plan, each a page of stkSiteView in that order.
class SiteViews : public QWidget {
    Q_OBJECT
public:
    SiteViews(QWidget* table, QWidget* plan, QWidget* parent);

    enum View { Table = 0, Plan = 1 };
    void setView(View view);
    View view() const;

    QRadioButton* optSiteTable;
    QRadioButton* optSitePlan;
    // Laid out by the page under the switch.
    QStackedWidget* stkSiteView;

    // Told after the view changed.
    std::function<void(View)> changed;

private:
    QButtonGroup* group_;
};
