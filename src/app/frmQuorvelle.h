#pragma once

#include "charts/ChartTabs.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"

#include <QMainWindow>
#include <QVector>
#include <functional>
#include <memory>

class QTabWidget;
class TabPage;
class DeferredPage;
class IdentificationPage;
class InstallationPage;
class ReadingsPage;
class UtilitiesPage;
class SiteStatusPage;
class EventAlerts;
class RegisterStatus;
class SensorForm;
class ReportCommand;
class LoggerImport;
class SensorFilter;
class SensorNavigation;
class BackupCommands;
class CompactCommands;
class ServerCommands;
class AlarmCommands;
class frmSplash;
class QVBoxLayout;
class ConnectionOpener;
class ServerReachability;
struct ErrorLog;

// The main window: nine tabs over one database connection. It owns the state of the run,
// sequences tab changes (leaving a page saves it, entering one loads it) and compacts the
// default database when it closes.
class frmQuorvelle : public QMainWindow {
    Q_OBJECT
public:
    explicit frmQuorvelle(const AppContext& context, QWidget* parent = nullptr);
    ~frmQuorvelle() override;

    // Start-up: chooses and opens the database and shows the first sensor.
    void Form_Load();
    // The program's start: the window is shown, then Form_Load runs. While the database is
    // still being opened in the background the window is painted first, so that it is on
    // screen meanwhile.
    void start();

    AppState& state() { return state_; }
    const AppContext& context() const { return context_; }
    ErrorLog errorLog() const;

    // True once a failed connection has ended the program.
    bool endRequested() const { return endRequested_; }

    // The change-location command of the Utilities tab: a database file or a site server.
    void Image4_Click();
    // Releases the record sets and the connection, then compacts the default database.
    void shutdown();
    // Shows the sensor on "1. Identification", as a choice in cboSensors does.
    void showSensor(const QString& instrumentId);
    // The steps the chart tab at that place in the tab order runs after its selection has
    // passed the two-reading rule; nothing for a tab that shows no chart.
    void setChartSteps(int tab, ChartTabSteps steps);

    QTabWidget* SSTab1;
    IdentificationPage* identification;
    InstallationPage* installation;
    ReadingsPage* readings;
    UtilitiesPage* utilities;
    // Built when "9. Site Status" is first entered; null until then.
    SiteStatusPage* siteStatus = nullptr;
    // Built when the logo is first clicked.
    frmSplash* splash = nullptr;
    BackupCommands* backups;
    CompactCommands* compacts;
    ServerCommands* servers;
    AlarmCommands* alarms;
    std::unique_ptr<SensorForm> sensorForm;
    std::unique_ptr<ChartTabs> chartTabs;
    ReportCommand* reportCommand;
    // The register in use, its connection's security and the last command's result.
    RegisterStatus* registerStatus;
    // The notifications of new trigger events and the count of those unacknowledged.
    EventAlerts* eventAlerts;

signals:
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTabs();
    // Ctrl+PgUp/PgDown previous and next, Ctrl+N add, Ctrl+S save: the sensor on the first two
    // tabs, the reading on "3. Readings"; Ctrl+Home/End the first and last reading.
    void addCommandShortcuts(SensorNavigation& navigation);
    // Starts opening the database the location file names, while the window is built.
    void startOpening();
    bool connectSequence();
    // Opens a location (a file path or a server URI) in place of the database in use and
    // shows its sensors in ascending order; false when the connection failed and the program
    // must end.
    bool reconnect(const QString& location);
    void connectionFailed();
    // Checks the event log's rules, puts back what is missing where the login may, and says
    // on the Utilities tab when the log is left unprotected.
    void checkEventLog();
    // Empties the record form, the sensor list and the readings shown.
    void clearRegister();
    void openSensorList(bool descending);
    void fillSensorList();
    // Shows sensors that other users added or deleted, when the register changed since the
    // list was read: on the window's activation and on entering the first tab.
    void refreshSensors();
    // What the window shows after a restore from the history.
    void historyRestored(bool sensor);
    void onTabChanged(int index);
    SiteStatusPage* buildSiteStatus(QWidget* holder);
    void placeTabControl();

    AppContext context_;
    AppState state_;
    ServerReachability* reachability_ = nullptr;
    // The pages in the tab order.
    QVector<TabPage*> pages_;
    DeferredPage* siteStatusHolder_ = nullptr;
    QVBoxLayout* tabMargins_ = nullptr;
    SensorFilter* sensorFilter_ = nullptr;
    std::unique_ptr<LoggerImport> loggerImport_;
    std::unique_ptr<ConnectionOpener> opening_;
    int currentTab_ = 0;
    bool endRequested_ = false;
    bool shutDown_ = false;
};
