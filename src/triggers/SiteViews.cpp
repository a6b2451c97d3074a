#include "triggers/SiteViews.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

SiteViews::SiteViews(QWidget* table, QWidget* compare, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("siteViews"));
    optSiteTable = new QRadioButton(QStringLiteral("Table"), this);
    optSiteTable->setObjectName(QStringLiteral("optSiteTable"));
    optSiteTable->setChecked(true);
    optSiteCompare = new QRadioButton(QStringLiteral("Compare"), this);
    optSiteCompare->setObjectName(QStringLiteral("optSiteCompare"));
    optSiteCompare->setToolTip(QStringLiteral("The sensors selected in the table on one chart"));
    auto* group = new QButtonGroup(this);
    group->addButton(optSiteTable);
    group->addButton(optSiteCompare);
    switchRow = new QHBoxLayout;
    switchRow->addWidget(optSiteTable);
    switchRow->addWidget(optSiteCompare);

    stkSiteView = new QStackedWidget(this);
    stkSiteView->setObjectName(QStringLiteral("stkSiteView"));
    stkSiteView->addWidget(table);
    // The place of the plan view.
    stkSiteView->addWidget(new QWidget(stkSiteView));
    stkSiteView->addWidget(compare);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(stkSiteView);

    connect(optSiteTable, &QRadioButton::toggled, this, [this, table](bool on) {
        if (on) {
            stkSiteView->setCurrentWidget(table);
        }
    });
    connect(optSiteCompare, &QRadioButton::toggled, this, [this, compare](bool on) {
        if (on) {
            stkSiteView->setCurrentWidget(compare);
            emit compareShown();
        }
    });
}

bool SiteViews::comparing() const {
    return optSiteCompare->isChecked();
}
