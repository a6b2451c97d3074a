#include "triggers/SiteViews.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QStackedWidget>

SiteViews::SiteViews(QWidget* table, QWidget* plan, QWidget* compare, QWidget* parent)
    : QWidget(parent) {
    setObjectName("fraSiteViews");
    optSiteTable = new QRadioButton("Table", this);
    optSiteTable->setObjectName("optSiteTable");
    optSitePlan = new QRadioButton("Plan", this);
    optSitePlan->setObjectName("optSitePlan");
    optSiteCompare = new QRadioButton("Compare", this);
    optSiteCompare->setObjectName("optSiteCompare");
    optSiteCompare->setToolTip("The sensors selected in the table or on the plan on one chart");
    group_ = new QButtonGroup(this);
    group_->addButton(optSiteTable, Table);
    group_->addButton(optSitePlan, Plan);
    group_->addButton(optSiteCompare, Compare);
    optSiteTable->setChecked(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(optSiteTable);
    row->addWidget(optSitePlan);
    row->addWidget(optSiteCompare);

    stkSiteView = new QStackedWidget(parent);
    stkSiteView->setObjectName("stkSiteView");
    stkSiteView->addWidget(table);
    stkSiteView->addWidget(plan);
    stkSiteView->addWidget(compare);
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) { setView(View(id)); });
}

void SiteViews::setView(View view) {
    group_->button(view)->setChecked(true);
    if (stkSiteView->currentIndex() == view) {
        return;
    }
    stkSiteView->setCurrentIndex(view);
    if (changed) {
        changed(view);
    }
    if (view == Compare) {
        emit compareShown();
    }
}

SiteViews::View SiteViews::view() const {
    return View(stkSiteView->currentIndex());
}
