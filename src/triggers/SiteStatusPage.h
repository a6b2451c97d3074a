#pragma once

#include "triggers/SiteStatus.h"
#include "triggers/TriggerEvents.h"
#include "ui/TabPage.h"

#include <functional>
#include <optional>

struct AppState;
struct AppContext;
class DbError;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

// Tab "9. Site Status": the unacknowledged trigger events over one row per sensor of the
// register (as the sensor filter narrows it) with its state against its levels. Computed
// afresh each time the tab is shown.
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
    void cmdExportStatus_Click();
    void cmdPrintStatus_Click();

    // A double click on a sensor's row: show that sensor on "1. Identification".
    std::function<void(const QString&)> showSensor;

    const QList<SiteStatusRow>& rows() const { return rows_; }

    QLabel* lblEvents;
    QTableWidget* tblTriggerEvents;
    QPushButton* cmdAcknowledge;
    QLabel* lblSensors;
    QTableWidget* tblSiteStatus;
    QLabel* lblStatusSummary;
    QPushButton* cmdExportStatus;
    QPushButton* cmdPrintStatus;
    QLabel* lblOutbox;
    QListWidget* lstOutbox;
    // Rows: 0 events caption, 1 events and Acknowledge, 2 sensors caption, 3 sensors table,
    // 4-5 alarm messages not sent, 6 summary and output commands.
    QGridLayout* pageGrid;

private:
    std::optional<QStringList> listedSensors() const;
    void fillEvents();
    void fillStatus();
    // The table as it is sorted on screen, heading row first.
    QVector<QStringList> grid() const;
    QString exportPath(const QString& extension) const;
    void report(const DbError& error, const QString& tag, const QString& what);

    AppState& state_;
    const AppContext& context_;
    QList<SiteStatusRow> rows_;
    QList<TriggerEvent> events_;
};
