#pragma once

#include "charts/ChartPage.h"
#include "charts/ChartTab.h"
#include "charts/FormGeometry.h"
#include "charts/GraphRows.h"
#include "ui/AppContext.h"

#include <QVector>
#include <functional>

struct AppState;
class ScaleSelector;

// The four chart tabs, keyed by their kind: each gets its chart page, and on entry its batch,
// its drawing and the shared scale selector. A tab's chart page is built the first time it is
// asked for, so the charts cost nothing at start-up.
class ChartTabs {
public:
    // geometry gives the sensor's installation as the record form shows it.
    ChartTabs(AppState& state, const AppContext& context, std::function<FormGeometry()> geometry);

    // The tab pages in the order they take in the tab control: displacement over time and
    // along the length, then load over time and along the length. The tab control owns them.
    const QVector<ChartTab*>& tabs() const { return tabs_; }
    ChartTab* tab(ChartPage::Kind kind) const;

    // The steps the tab of that kind runs on entry.
    ChartTabSteps steps(ChartPage::Kind kind);

    // The chart page of that kind, built on first use.
    ChartPage* page(ChartPage::Kind kind);
    // Runs the chart's batch and reads its selection as entering its tab does, without drawing.
    GraphInput chartInput(ChartPage::Kind kind);
    ScaleSelector* scaleSelector() const { return selector_; }

    // Adds the sensor's displacement levels to what a chart draws; none when unset.
    std::function<void(GraphSensor&)> addLevels;

private:
    void prepare(ChartPage::Kind kind);
    void batch(ChartPage::Kind kind);
    void draw(ChartPage::Kind kind);
    GraphInput readInput(ChartPage::Kind kind) const;
    GraphSensor sensor() const;

    AppState& state_;
    AppContext context_;
    std::function<FormGeometry()> geometry_;
    QVector<ChartTab*> tabs_;
    QVector<ChartPage*> pages_;
    ScaleSelector* selector_;
    // Both time charts' "Since installation" switch, set on either.
    RezeroView rezeroView_ = RezeroView::SinceRezero;
};
