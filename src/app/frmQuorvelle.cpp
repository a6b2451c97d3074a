#include "app/frmQuorvelle.h"

#include "alarms/AlarmDelivery.h"
#include "alarms/AlarmDispatcher.h"
#include "app/AlarmCommands.h"
#include "app/BackupCommands.h"
#include "app/CompactCommands.h"
#include "app/HistoryCommand.h"
#include "app/LoginAccess.h"
#include "app/RevisionsCommand.h"
#include "app/ServerCommands.h"
#include "app/UtilitiesPage.h"
#include "app/WindowPlacement.h"
#include "app/WindowShortcuts.h"
#include "app/frmSplash.h"
#include "charts/ChartTabs.h"
#include "charts/GraphData.h"
#include "checks/frmReadingChecks.h"
#include "links/Links.h"
#include "logger/LoggerImport.h"
#include "readings/ReadingsPage.h"
#include "readings/SensorData.h"
#include "reports/ReportCommand.h"
#include "revisions/RevisionStore.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "sensors/SensorFilter.h"
#include "sensors/SensorForm.h"
#include "sensors/SensorList.h"
#include "sensors/SensorNavigation.h"
#include "sensors/SensorRegister.h"
#include "sensors/TemperatureCorrectionBlock.h"
#include "site/PositionBlock.h"
#include "store/AuditLog.h"
#include "store/CheckTables.h"
#include "store/Clock.h"
#include "store/Columns.h"
#include "store/Compaction.h"
#include "store/ConnectionOpener.h"
#include "store/DataFolder.h"
#include "store/Guard.h"
#include "store/LogFile.h"
#include "store/RegisterIdentity.h"
#include "store/SensorListMark.h"
#include "store/ServerLocation.h"
#include "store/TriggerTables.h"
#include "triggers/EventAlerts.h"
#include "triggers/SiteStatusPage.h"
#include "triggers/TriggerEvents.h"
#include "triggers/TriggerLevels.h"
#include "triggers/TriggerLevelsBlock.h"
#include "ui/FailureMessages.h"
#include "ui/Prompter.h"
#include "ui/RegisterStatus.h"
#include "ui/ServerReachability.h"
#include "ui/TabPage.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace {
constexpr int kTwipsPerPixel = 15;
const QString kCaption = QStringLiteral("Quorvelle VARLO_MM Ver 1.1.0");
const QString kNoSensors = QStringLiteral(
    "There are no sensors in the database, \r\nclick the ADD NEW button to begin using Quorvelle");
const QStringList kTabCaptions = {"1. Identification", "2. Installation",  "3. Readings",
                                  "4. Disp v Time",    "5. Disp v Length", "6. Load v Time",
                                  "7. Load v Length",  "8. Utilities",     "9. Site Status"};

// The login's role on the register in use, and what the window lets it do.
LoginAccess& loginAccess(const QObject& window) {
    return *window.findChild<LoginAccess*>(QString(), Qt::FindDirectChildrenOnly);
}

bool sameFile(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}
} // namespace

frmQuorvelle::frmQuorvelle(const AppContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context) {
    setObjectName("frmQuorvelle");
    setWindowTitle(kCaption);
    state_.dataFolder = context_.dataFolder;
    // The schema read on the opening thread is the longest step of start-up: it starts first.
    startOpening();
    reachability_ = new ServerReachability(*context_.prompter, *statusBar(), this);
    registerStatus = new RegisterStatus(*statusBar(), this);
    state_.onResult = [this](const QString& text) { registerStatus->showResult(text); };
    context_.prompter = reachability_->prompter();
    buildTabs();
    chartTabs->addLevels = [this](GraphSensor& sensor) {
        guarded(errorLog(), " G_ReadTriggerLevels", [&] {
            if (state_.db) {
                addChartLevels(*state_.db, sensor);
            }
        });
    };
    eventAlerts = new EventAlerts(state_, context_, *SSTab1, SSTab1->indexOf(siteStatusHolder_),
                                  *statusBar(), this);
    state_.onReadingsWritten = [this](Connection& db, const QString& instrumentId,
                                      const QStringList& keys) {
        const QDateTime now = context_.clock->now();
        return logTriggerEvent(db, instrumentId, keys, now, loginName(),
                               [&](const TriggerEvent& event) { queueEventMail(db, event, now); });
    };
    state_.onReadingsCommitted = [this](const std::optional<QString>& told) {
        alarms->deliverSoon();
        if (told) {
            eventAlerts->check();
        }
    };
    reportCommand = new ReportCommand(state_, context_, *chartTabs, *readings, this);
    connect(readings->report.image, &ClickableLabel::clicked, reportCommand,
            &ReportCommand::imgReport_Click);
    connect(readings->cmdRevisions, &QPushButton::clicked, this,
            [this] { cmdRevisions_Click(state_, context_, *readings); });
    connect(identification->cmdHistory, &QPushButton::clicked, this, [this] {
        cmdHistory_Click(state_, context_, this, [this](bool sensor) { historyRestored(sensor); });
    });
    loggerImport_ = std::make_unique<LoggerImport>(state_, context_, *readings);
    connect(readings->imgAddTrovData, &ClickableLabel::clicked, this,
            [this] { loggerImport_->imgAddTrovData_Click(); });
    sensorForm = std::make_unique<SensorForm>(state_, context_, *identification, *installation,
                                              *readings, *utilities->txtSCount, *SSTab1);
    const SensorRegisterCommands sensorCommands =
        buildSensorRegister(state_, context_, *sensorForm, *identification, *utilities->filterPanel,
                            *utilities->txtSCount);
    sensorFilter_ = sensorCommands.filter;
    addCommandShortcuts(*sensorCommands.navigation);
}

void frmQuorvelle::addCommandShortcuts(SensorNavigation& navigation) {
    const auto press = [](ClickableLabel* image) { return [image] { emit image->clicked(); }; };
    addPageShortcut(*this, QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                    {{identification, press(identification->imgPrevious.image)},
                     {readings, press(readings->previous.image)}});
    addPageShortcut(*this, QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                    {{identification, press(identification->imgNext.image)},
                     {readings, press(readings->next.image)}});
    addPageShortcut(*this, QKeySequence(Qt::CTRL | Qt::Key_Home),
                    {{identification, [&navigation] { navigation.showFirst(); }},
                     {readings, press(readings->first.image)}});
    addPageShortcut(*this, QKeySequence(Qt::CTRL | Qt::Key_End),
                    {{identification, [&navigation] { navigation.showLast(); }},
                     {readings, press(readings->last.image)}});
    addPageShortcut(*this, QKeySequence(Qt::CTRL | Qt::Key_N),
                    {{identification, press(identification->imgAddSensor.image)},
                     {readings, press(readings->addNew.image)}});
    const auto saveRecord = [this] { installation->cmdSave->click(); };
    addPageShortcut(*this, QKeySequence(Qt::CTRL | Qt::Key_S),
                    {{identification, saveRecord},
                     {installation, saveRecord},
                     {readings, [this] { readings->SaveReadings(); }}});
}

frmQuorvelle::~frmQuorvelle() {
    shutdown();
}

ErrorLog frmQuorvelle::errorLog() const {
    return ErrorLog{state_.dataFolder, context_.clock};
}

void frmQuorvelle::startOpening() {
    // A site server is reached at Form_Load, where a refused password can be asked for.
    try {
        const QString path = chooseDatabase(state_.dataFolder).path;
        if (!isServerLocation(path)) {
            opening_ = std::make_unique<ConnectionOpener>(path);
        }
    } catch (const DbError&) {
        // Form_Load reads the location file again and logs what is wrong with it.
    }
}

void frmQuorvelle::buildTabs() {
    auto* central = new QWidget(this);
    central->setObjectName("centralWidget");
    setCentralWidget(central);

    SSTab1 = new QTabWidget(central);
    SSTab1->setObjectName("SSTab1");
    tabMargins_ = new QVBoxLayout(central);
    tabMargins_->addWidget(SSTab1);

    identification = new IdentificationPage;
    installation = new InstallationPage;
    readings = new ReadingsPage(state_, context_);
    chartTabs =
        std::make_unique<ChartTabs>(state_, context_, [this] { return installation->geometry(); });
    utilities = new UtilitiesPage;
    // The site status page is built when its tab is first entered.
    siteStatusHolder_ =
        new DeferredPage([this](QWidget* holder) { return buildSiteStatus(holder); });
    pages_ = {identification, installation, readings};
    for (ChartTab* chart : chartTabs->tabs()) {
        pages_ << chart;
    }
    pages_ << utilities << siteStatusHolder_;
    // Only the first tab is on screen at start-up; each other page is sized when first shown.
    for (int i = 0; i < pages_.size(); ++i) {
        SSTab1->addTab(pages_[i], kTabCaptions[i]);
        if (i > 0) {
            pages_[i]->sizeOnceShown();
        }
    }
    SSTab1->tabBar()->installEventFilter(this);
    connect(SSTab1, &QTabWidget::currentChanged, this, &frmQuorvelle::onTabChanged);

    connect(identification->Image1, &ClickableLabel::clicked, this, [this] {
        if (!splash) {
            splash = new frmSplash(this);
        }
        splash->open();
    });
    connect(utilities->changeLocation.image, &ClickableLabel::clicked, this,
            &frmQuorvelle::Image4_Click);
    const auto reconnectTo = [this](const QString& location) { return reconnect(location); };
    backups = new BackupCommands(state_, context_, *utilities, reconnectTo, this);
    servers = new ServerCommands(state_, context_, *utilities, reconnectTo, this);
    new LoginAccess(*this, context_, *utilities->leftColumn, this);
    compacts = new CompactCommands(state_, context_, *utilities, reconnectTo, this);
    alarms = new AlarmCommands(state_, context_, *utilities, this);
    connect(utilities->cmdReadingChecks, &QPushButton::clicked, this, [this] {
        if (!state_.db || !state_.db->isOpen()) {
            context_.prompter->message(kOmbrevaultTitle, "No register is open.",
                                       MsgIcon::Exclamation);
            return;
        }
        auto* window = new frmReadingChecks(*state_.db, context_, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->open();
    });
    connect(utilities->manual.image, &ClickableLabel::clicked, this,
            [this] { imgHelp_Click(*context_.desktop, state_.dataFolder); });
    connect(utilities->website.image, &ClickableLabel::clicked, this,
            [this] { imgInternet_Click(*context_.desktop); });

    identification->refreshList = [this] {
        refreshSensors();
        state_.savedReadingMark = 0;
    };
    installation->triggerLevels->bind(state_, context_,
                                      [this] { return state_.currentInstrumentId(); });
    utilities->siteLevels->bind(state_, context_, [] { return kSiteDefaultKey; });
    installation->temperatureCorrection->bind(
        state_, context_, [this] { return state_.currentInstrumentId(); },
        [this] { return state_.nodeCount(); });
    installation->position->bind(state_, context_, [this] { return state_.currentInstrumentId(); });

    // The status bar sits below the tabs; it tells when the site server cannot be reached.
    statusBar();
    addTabShortcuts(*this, *SSTab1);
    placeTabControl();
    restoreWindowPlacement(*this);
}

void frmQuorvelle::start() {
    show();
    // While the register is still being opened the window is painted first, empty; once it is
    // open the first sensor is filled in before the first paint, which is then the only one.
    if (!opening_ || !opening_->finished()) {
        QCoreApplication::processEvents();
    }
    if (!shutDown_) {
        Form_Load();
    }
}

void frmQuorvelle::Form_Load() {
    state_.firstload = true;
    SSTab1->setCurrentIndex(0);
    // A file that cannot serve (missing, not a database, damaged, busy) is logged here and the
    // window opens without a register, so another file can be chosen on the Utilities tab.
    const auto inUse = [&](const DbError& e) { tellIfInUse(*context_.prompter, e); };
    guarded(errorLog(), " Form_Load", inUse, [&] {
        const DatabaseChoice choice = chooseDatabase(state_.dataFolder);
        if (choice.emptyLocationLine) {
            context_.prompter->message(
                kAppTitle, "The alternate database file path location could not be found\r\n"
                           "The default path will be used\r\n"
                           "You can edit the location on the 'Utilities' tab");
        }
        state_.dbPath = choice.path;
        // A missing file fails here, through the error path, and is never created. The file was
        // opened while the window was built, unless the location file has changed since.
        state_.db = std::make_unique<Connection>();
        const std::unique_ptr<ConnectionOpener> opening = std::move(opening_);
        if (isServerLocation(state_.dbPath)) {
            servers->openAtStartUp(*state_.db, state_.dbPath);
        } else if (opening && opening->path() == state_.dbPath) {
            state_.db = opening->take();
        } else {
            state_.db->open(state_.dbPath);
        }
        if (!connectSequence()) {
            return;
        }
        openSensorList(true);
    });
    state_.firstload = false;
}

bool frmQuorvelle::connectSequence() {
    if (!state_.db || !state_.db->isOpen()) {
        connectionFailed();
        return false;
    }
    reachability_->watch(*state_.db);
    loginAccess(*this).connected(*state_.db);
    state_.rsConfig = std::make_unique<RecordSet>(*state_.db, "Configuration", QString(),
                                                  QVariantList(), col::SensorType);
    state_.rsConfig->moveFirst();
    // Configuration must hold a row: reading it proves the table is usable.
    state_.rsConfig->value(col::SensorType);
    guarded(errorLog(), " Module1_GetPrefs", [&] { GetPrefs(*state_.db, state_.prefs); });
    guarded(errorLog(), " G_CreateTriggerTables", [&] {
        if (!hasTriggerTables(*state_.db)) {
            createTriggerTables(*state_.db);
        }
    });
    guarded(errorLog(), " G_CreateRevisionTable", [&] {
        if (!hasRevisionTable(*state_.db)) {
            createRevisionTable(*state_.db);
        }
    });
    // The correction table is made by the first correction stored, so that opening a register
    // changes nothing in it.
    guarded(errorLog(), " G_UpgradeOwnTables", [&] { addMissingLevelColumns(*state_.db); });
    guarded(errorLog(), " G_RegisterIdentity",
            [&] { registerStatus->showRegister(registerIdentity(*state_.db, state_.dbPath)); });
    checkEventLog();
    alarms->registerOpened();
    guarded(errorLog(), " G_AuditLog", [&] { recordChanges(*state_.db, loginName()); });
    eventAlerts->connected();
    return true;
}

void frmQuorvelle::checkEventLog() {
    const auto unchecked = [&](const DbError& e) {
        utilities->showEventLogWarning(
            "The trigger event log's rules could not be checked: " + failureReason(e) + ".");
    };
    guarded(errorLog(), " G_EventLogRules", unchecked, [&] {
        const EventLogProtection protection = protectEventLog(*state_.db);
        if (protection.restored) {
            WriteLog(state_.dataFolder, *context_.clock,
                     "The trigger event log's rules were missing, switched off or changed, and "
                     "were put back.");
        }
        if (protection.isProtected()) {
            utilities->showEventLogWarning({});
            return;
        }
        errorLog().report(*protection.failure, " G_EventLogRules");
        utilities->showEventLogWarning(
            "The trigger event log is not protected: its rules against deleting or changing "
            "events are missing or switched off, and could not be put back (" +
            failureReason(*protection.failure) +
            "). Opening the register with a login that may change its tables puts them back.");
    });
}

void frmQuorvelle::connectionFailed() {
    context_.prompter->message("Database connection error",
                               "ERROR: could not connect to database\r\nProgram must exit",
                               MsgIcon::Critical);
    endRequested_ = true;
    emit programEndRequested();
}

void frmQuorvelle::openSensorList(bool descending) {
    identification->cboSensors->clear();
    // Read before the rows, as a refresh reads it; unknown when it cannot be read. Its failure
    // is logged once the rows were read: when they cannot be, theirs is the one logged.
    state_.listedSensors.reset();
    std::optional<DbError> markLost;
    try {
        state_.listedSensors = readSensorListMark(*state_.db);
    } catch (const DbError& e) {
        markLost = e;
    }
    state_.rsSensors = std::make_unique<RecordSet>(*state_.db, "Sensors", QString(), QVariantList(),
                                                   descending ? QString(col::InstrumentID) + " DESC"
                                                              : QString(col::InstrumentID));
    if (markLost) {
        errorLog().report(*markLost, " openSensorList");
    }
    if (state_.rsSensors->recordCount() == 0) {
        context_.prompter->message(kOmbrevaultTitle, kNoSensors, MsgIcon::Exclamation);
        utilities->txtSCount->setText("0");
        if (!descending) {
            sensorForm->fillfields();
        }
        return;
    }
    fillSensorList();
}

void frmQuorvelle::fillSensorList() {
    RecordSet& rs = *state_.rsSensors;
    const bool wasFirstload = state_.firstload;
    // Filling the list must not count as a choice of sensor.
    state_.firstload = true;
    showSensorList(rs, *identification->cboSensors, *sensorForm, *utilities->txtSCount);
    state_.firstload = wasFirstload;
}

void frmQuorvelle::historyRestored(bool sensor) {
    if (sensor) {
        guarded(errorLog(), " historyRestored", [&] {
            sensorList(state_).requery();
            fillSensorList();
        });
        return;
    }
    ignoring(errorLog(), " historyRestored", [&] {
        if (state_.rsReadings && state_.rsReadings->isOpen()) {
            state_.rsReadings->requery();
        }
        readings->fillreadings();
        readings->showPosition();
    });
}

void frmQuorvelle::refreshSensors() {
    // Inside a dialog's own event loop a command of the window is still under way.
    if (state_.firstload || QThread::currentThread()->loopLevel() > 1) {
        return;
    }
    guarded(errorLog(), " refreshSensorList", [&] {
        state_.firstload = true;
        const auto restore = qScopeGuard([&] { state_.firstload = false; });
        refreshSensorList(state_, *identification->cboSensors, *sensorForm, *utilities->txtSCount);
    });
}

void frmQuorvelle::Image4_Click() {
    const auto inUse = [&](const DbError& e) { tellIfInUse(*context_.prompter, e); };
    guarded(errorLog(), " Image4_Click", inUse, [&] {
        const int kind = context_.prompter->choose(
            "Change Database Location", "Use a database file, or the register on a site server?",
            {"Database File", "Site Server"});
        if (kind == 1) {
            servers->chooseServer();
            return;
        }
        if (kind != 0) {
            return;
        }
        const QString chosen = context_.prompter->openFile(
            "Change Database Location", "VARLO Database (*.mdb) | *.mdb", state_.dataFolder);
        if (chosen.isEmpty()) {
            return;
        }
        writeLocationFile(state_.dataFolder, chosen);
        reconnect(chosen);
    });
}

void frmQuorvelle::clearRegister() {
    state_.rsReadings.reset();
    state_.rsSensors.reset();
    state_.rsConfig.reset();
    state_.savedReadingMark = 0;
    identification->cboSensors->clear();
    ignoring(errorLog(), " clearRegister", [&] { sensorForm->fillfields(); });
    ignoring(errorLog(), " clearRegister", [&] {
        readings->fillreadings();
        readings->showPosition();
    });
    utilities->txtSCount->setText("0");
    utilities->showEventLogWarning({});
    loginAccess(*this).disconnected();
    registerStatus->showNoRegister();
}

bool frmQuorvelle::reconnect(const QString& location) {
    // Nothing of the previous database stays on screen: an edit typed into it after a failed
    // change would have no row to go to.
    clearRegister();
    if (state_.db) {
        state_.db->close();
    }
    state_.dbPath = location;
    state_.db = std::make_unique<Connection>();
    try {
        state_.db->open(state_.dbPath);
    } catch (const DbError& e) {
        // A busy file is not a broken one: it goes to the error path and may be tried again.
        // Any other file that cannot be opened is reported as a failed connection below.
        if (e.kind() == DbErrorKind::Busy) {
            throw;
        }
    }
    if (!connectSequence()) {
        return false;
    }
    sensorFilter_->showUnfiltered();
    openSensorList(false);
    if (SSTab1->currentWidget() == utilities) {
        utilities->siteLevels->load();
    }
    return true;
}

void frmQuorvelle::showSensor(const QString& instrumentId) {
    QComboBox* list = identification->cboSensors;
    const int index = list->findText(instrumentId);
    if (index < 0) {
        return;
    }
    SSTab1->setCurrentIndex(0);
    // The same path as a choice in the list: the sensor left is saved, the chosen one shown.
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void frmQuorvelle::setChartSteps(int tab, ChartTabSteps steps) {
    if (auto* chart = qobject_cast<ChartTab*>(pages_.value(tab))) {
        chart->setSteps(std::move(steps));
    }
}

void frmQuorvelle::onTabChanged(int index) {
    const int previous = currentTab_;
    currentTab_ = index;
    // The page left stores what was typed on it, the page shown reads what it shows. Each
    // guards its own steps; what gets through is logged, since none may leave the signal's
    // handler, and a page that failed to leave does not keep the next one from showing.
    guarded(errorLog(), " SSTab1_Click", [&] { pages_[previous]->leave(); });
    QString refusal;
    guarded(errorLog(), " SSTab1_Click", [&] { refusal = pages_[index]->enter(); });
    if (refusal.isEmpty()) {
        return;
    }
    // Undo the change: showing the previous tab runs this handling once more for it.
    SSTab1->setCurrentIndex(previous);
    context_.prompter->message(kOmbrevaultTitle, refusal, MsgIcon::Information);
}

bool frmQuorvelle::eventFilter(QObject* watched, QEvent* event) {
    // A press on the tab strip over a displacement chart releases the readings record set.
    if (watched == SSTab1->tabBar() && event->type() == QEvent::MouseButtonPress) {
        const auto* chart = qobject_cast<const ChartTab*>(SSTab1->currentWidget());
        if (chart != nullptr && !chart->showsLoads() && state_.rsReadings &&
            state_.rsReadings->isOpen()) {
            state_.rsReadings->close();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmQuorvelle::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        refreshSensors();
    }
    return QMainWindow::event(event);
}

void frmQuorvelle::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        placeTabControl();
    }
    QMainWindow::changeEvent(event);
}

SiteStatusPage* frmQuorvelle::buildSiteStatus(QWidget* holder) {
    siteStatus = new SiteStatusPage(state_, context_, holder);
    siteStatus->showSensor = [this](const QString& id) { showSensor(id); };
    connect(alarms->dispatcher, &AlarmDispatcher::delivered, siteStatus,
            [this] { siteStatus->fillOutbox(); });
    siteStatus->refreshed = [this] { eventAlerts->check(); };
    return siteStatus;
}

void frmQuorvelle::placeTabControl() {
    // The tab control fills the window inside a margin of 120 twips. Maximised it is centred on
    // the screen: the top margin also takes the status bar's height, and where the desktop
    // keeps a frame around a maximised window, the margins take up what the frame leaves off.
    const int margin = 120 / kTwipsPerPixel;
    if (!isMaximized() || screen() == nullptr) {
        tabMargins_->setContentsMargins(margin, margin, margin, margin);
        return;
    }
    const QSize screenSize = screen()->size();
    const int dx = std::max(0, screenSize.width() - width());
    const int dy = std::max(0, screenSize.height() - height());
    tabMargins_->setContentsMargins(margin + dx, margin + statusBar()->sizeHint().height() + dy,
                                    margin, margin);
}

void frmQuorvelle::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placeTabControl();
}

void frmQuorvelle::closeEvent(QCloseEvent* event) {
    saveWindowPlacement(*this);
    guarded(errorLog(), " Form_Unload", [&] {
        installation->triggerLevels->commit();
        installation->temperatureCorrection->commit();
        installation->position->commit();
        utilities->siteLevels->commit();
        sensorForm->savefields();
        if (SSTab1->currentWidget() == readings) {
            readings->leave();
        }
    });
    shutdown();
    event->accept();
}

void frmQuorvelle::shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    alarms->stop();
    opening_.reset();
    state_.rsSensors.reset();
    state_.rsReadings.reset();
    state_.rsConfig.reset();
    state_.rsPrefs.reset();
    // The default file is compacted even when the run used another one; that one never is. Only
    // free pages that are a real share of the file are worth rewriting the whole file at exit.
    const QString name = QStringLiteral("QuorvelleVARLO_MM.mdb");
    const QString path = defaultDatabasePath(state_.dataFolder);
    // When the run used the default file, its open connection tells whether there is anything
    // to reclaim, which spares opening the file a second time only to find nothing.
    std::optional<bool> reclaimable;
    ignoring(errorLog(), " shutdown", [&] {
        if (state_.db && state_.db->isOpen() && !isServerLocation(state_.dbPath) &&
            sameFile(state_.dbPath, path)) {
            reclaimable = worthCompacting(*state_.db);
        }
    });
    ignoring(errorLog(), " shutdown", [&] {
        if (state_.db && state_.db->isOpen()) {
            state_.db->close();
        }
        state_.db.reset();
    });
    if (!FileExists(path) || reclaimable == false) {
        return;
    }
    try {
        compactWithDialog(this, path, CompactionNeed::RealShare);
    } catch (const DbError& e) {
        context_.prompter->message(kAppTitle, "Error compacting " + name);
        errorLog().report(e, " G_CompactDB");
    }
}
