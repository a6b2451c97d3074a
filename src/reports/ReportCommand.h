#pragma once

#include "charts/ChartPage.h"
#include "charts/GraphData.h"
#include "ui/AppContext.h"

#include <QObject>

struct AppState;
class ChartTabs;
class ReadingsPage;
class frmReport;
class QWidget;

// The report command of the Readings tab: asks what to include, draws the chosen charts off
// screen into the data folder, writes the report of the current sensor under the data folder
// and opens it with the desktop's handler.
class ReportCommand : public QObject {
    Q_OBJECT
public:
    ReportCommand(AppState& state, const AppContext& context, ChartTabs& charts,
                  ReadingsPage& readings, QWidget* window);

    // Opens the chooser; the report follows when it closes with OK.
    frmReport* imgReport_Click();
    frmReport* chooser() const { return chooser_; }

    // Writes the report with the chooser's choices; the path written, empty after a failure
    // (which is logged and told to the user).
    QString makeReport();

private:
    // True when the selection has the two readings a chart needs; otherwise the user is told.
    bool canDraw(GraphVariant variant);
    QString exportChart(ChartPage::Kind kind, const QString& fileName);

    AppState& state_;
    AppContext context_;
    ChartTabs& charts_;
    ReadingsPage& readings_;
    frmReport* chooser_;
};
