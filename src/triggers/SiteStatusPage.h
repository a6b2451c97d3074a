#pragma once

#include "triggers/EventLife.h"
#include "triggers/SiteStatus.h"
#include "ui/TabPage.h"

#include <functional>
#include <optional>

struct AppState;
struct AppContext;
class DbError;
class QGridLayout;
class QLabel;
class QListWidget;
class PlanPage;
class SiteViews;
class QPushButton;
class QTableView;
class OpenEventsModel;
class SiteStatusModel;
class SiteStatusSort;
class ComparePage;

// Tab "9. Site Status": the trigger events not yet closed, each with its step and the response
// plan that applies to it, over one row per sensor of the register (as the sensor filter
// narrows it) with its state against its levels. Computed afresh each time the tab is shown.
// An event is acknowledged, then closed, from here.
class SiteStatusPage : public TabPage {
    Q_OBJECT
public:
    SiteStatusPage(AppState& state, const AppContext& context, QWidget* parent = nullptr);

    QString enter() override;
    // Reads the events and computes the table again.
    void refresh();
    // Reads the alarm messages not yet sent again.
    void fillOutbox();

    void cmdAcknowledge_Click();
    // Closes the selected events, which must all be acknowledged, with the actions taken and
    // the re-entry note asked for.
    void cmdCloseEvent_Click();
    void cmdExportStatus_Click();
    void cmdPrintStatus_Click();
    // "Site Report...": the site report PDF, with the events since the date asked for.
    void cmdSiteReport_Click();
    // The sensors selected in the table, in the table's order.
    QStringList selectedSensors() const;

    // A double click on a sensor's row: show that sensor on "1. Identification".
    std::function<void(const QString&)> showSensor;
    // Called after each refresh, once the events are read.
    std::function<void()> refreshed;

    const QList<SiteStatusRow>& rows() const;
    // Selects the sensor's row of the table.
    void selectSensor(const QString& instrumentId);

    QLabel* lblEvents;
    QTableView* tblTriggerEvents;
    OpenEventsModel* eventsModel;
    QPushButton* cmdAcknowledge;
    QPushButton* cmdCloseEvent;
    // The selected event: its response plan and its steps.
    QLabel* lblEventDetail;
    QLabel* lblSensors;
    // The status table shows statusModel through statusSort, which sorts it.
    QTableView* tblSiteStatus;
    SiteStatusModel* statusModel;
    SiteStatusSort* statusSort;
    // The views of the sensors: the table, the plan of a level and the compare chart.
    SiteViews* siteViews;
    PlanPage* planPage;
    QLabel* lblStatusSummary;
    QPushButton* cmdExportStatus;
    QPushButton* cmdPrintStatus;
    QPushButton* cmdSiteReport;
    ComparePage* compare;
    QLabel* lblOutbox;
    QListWidget* lstOutbox;
    // Rows: 0 events caption, 1 events with Acknowledge and Close Event, 2 the event's detail,
    // 3 sensors caption with the views' switch, 4 the views (table, plan or compare), 5-6 alarm
    // messages not sent, 7 summary and output commands.
    QGridLayout* pageGrid;

private:
    std::optional<QStringList> listedSensors() const;
    void fillEvents();
    void fillStatus();
    // The plan's markers, from the rows and the stored positions.
    void fillPlan();
    // The table as it is sorted on screen, heading row first.
    QVector<QStringList> grid() const;
    // The sensor of the table's row as sorted on screen.
    QString sensorAt(int row) const;
    QString exportPath(const QString& title, const QString& extension) const;
    void report(const DbError& error, const QString& tag, const QString& what);

    AppState& state_;
    const AppContext& context_;
    QList<qint64> selectedEvents() const;
    void showEventDetail();
};
