#pragma once

#include "charts/GraphRows.h"
#include "ui/AppContext.h"

#include <QVector>
#include <functional>

struct AppState;
struct BatchGeometry;
class ChartPage;
class ScaleSelector;
class TabPage;

// What the charts read from the sensor record form: the installation geometry as shown.
struct FormGeometry {
    bool headAtCollar = true;
    std::array<QString, 8> anchorTexts;
    QString headText;
    QString recessText;
    QString lengthOfCableText;
    QString kvalText;
    bool plate = false;
};

// What a chart tab runs once it has at least two readings to show. A step raises DbError
// only when nothing can be drawn (the site server cannot be reached, the rows cannot be read):
// the steps after it do not run.
struct ChartTabSteps {
    std::function<void()> prepare;
    std::function<void()> batch;
    std::function<void()> show;
    std::function<void()> draw;
};

// The four chart tabs: each gets its chart page, and on entry its batch, its drawing and the
// shared scale selector. A tab's chart page is built the first time it is asked for, so the
// charts cost nothing at start-up.
class ChartTabs {
public:
    ChartTabs(AppState& state, const AppContext& context, const QVector<TabPage*>& tabs,
              std::function<FormGeometry()> form);

    // The steps of chart tab 3 to 6, for the main window to run on entering the tab.
    ChartTabSteps steps(int tab);

    // The chart page of tab 3 to 6, built on first use.
    ChartPage* page(int tab);
    // Runs the tab's batch and reads its selection as entering the tab does, without drawing.
    GraphInput chartInput(int tab);
    ScaleSelector* scaleSelector() const { return selector_; }

    // Adds the sensor's displacement levels to what a chart draws; none when unset.
    std::function<void(GraphSensor&)> addLevels;

private:
    void prepare(int tab);
    void batch(int tab);
    void draw(int tab);
    GraphInput readInput(int tab) const;
    GraphSensor sensor() const;

    AppState& state_;
    AppContext context_;
    std::function<FormGeometry()> form_;
    QVector<TabPage*> tabs_;
    QVector<ChartPage*> pages_;
    ScaleSelector* selector_;
    // Both time charts' "Since installation" switch, set on either.
    RezeroView rezeroView_ = RezeroView::SinceRezero;
};

// Reads the geometry from the record form's widgets under root, found by their names.
FormGeometry formGeometryOf(const QWidget* root);
