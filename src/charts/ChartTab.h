#pragma once

#include "charts/ChartPage.h"
#include "charts/GraphData.h"
#include "ui/AppContext.h"
#include "ui/TabPage.h"

#include <functional>

struct AppState;

// What a chart tab runs once it has at least two readings to show. A step raises DbError
// only when nothing can be drawn (the site server cannot be reached, the rows cannot be read):
// the steps after it do not run.
struct ChartTabSteps {
    std::function<void()> prepare;
    std::function<void()> batch;
    std::function<void()> show;
    std::function<void()> draw;
};

// One chart tab of the main window. Entering it checks that the current sensor has the two
// readings its chart needs, creating a readings table found missing, then runs its steps;
// otherwise it refuses with the message that says what is missing.
class ChartTab : public TabPage {
    Q_OBJECT
public:
    ChartTab(ChartPage::Kind kind, AppState& state, const AppContext& context,
             QWidget* parent = nullptr);

    ChartPage::Kind kind() const { return kind_; }
    // The readings the chart selects: ticked for a time chart, for a length chart otherwise.
    GraphVariant variant() const;
    bool showsLoads() const;

    const ChartTabSteps& steps() const { return steps_; }
    void setSteps(ChartTabSteps steps) { steps_ = std::move(steps); }

    QString enter() override;

private:
    // The readings of the current sensor the chart would show; a refusal when they cannot
    // be counted.
    QString countRows(int& rows);

    ChartPage::Kind kind_;
    AppState& state_;
    AppContext context_;
    ChartTabSteps steps_;
};
