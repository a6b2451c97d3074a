#include "triggers/SiteStatusPage.h"

#include "readings/GridExport.h"
#include "site/PlanPage.h"
#include "site/SiteTables.h"
#include "store/AlarmStore.h"
#include "store/Clock.h"
#include "store/Columns.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "store/TriggerTables.h"
#include "triggers/ComparePage.h"
#include "triggers/OpenEventsModel.h"
#include "triggers/PlanReportPages.h"
#include "triggers/ResponsePlan.h"
#include "triggers/SiteMarkers.h"
#include "triggers/SiteReport.h"
#include "triggers/SiteStatusModel.h"
#include "triggers/SiteViews.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/ColumnFit.h"
#include "ui/Desktop.h"
#include "ui/FailureMessages.h"
#include "ui/PdfFile.h"
#include "ui/Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Site Status");

QTableView* makeTable(const QString& name, QAbstractItemModel* model, QWidget* parent) {
    auto* table = new QTableView(parent);
    table->setObjectName(name);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setHighlightSections(false);
    return table;
}

} // namespace

SiteStatusPage::SiteStatusPage(AppState& state, const AppContext& context, QWidget* parent)
    : TabPage(parent), state_(state), context_(context) {
    setObjectName("pageSiteStatus");

    lblEvents = new QLabel("Open Events:", this);
    lblEvents->setObjectName("lblEvents");
    lblEvents->setStyleSheet("font-weight: bold;");
    eventsModel = new OpenEventsModel(this);
    tblTriggerEvents = makeTable("tblTriggerEvents", eventsModel, this);
    tblTriggerEvents->horizontalHeader()->setStretchLastSection(true);
    cmdAcknowledge = new QPushButton("Acknowledge", this);
    cmdAcknowledge->setObjectName("cmdAcknowledge");
    cmdCloseEvent = new QPushButton("Close Event", this);
    cmdCloseEvent->setObjectName("cmdCloseEvent");
    lblEventDetail = new QLabel(this);
    lblEventDetail->setObjectName("lblEventDetail");
    lblEventDetail->setWordWrap(true);
    lblEventDetail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblEventDetail->setTextInteractionFlags(Qt::TextSelectableByMouse);

    lblSensors = new QLabel("Sensors:", this);
    lblSensors->setObjectName("lblSensors");
    lblSensors->setStyleSheet("font-weight: bold;");
    statusModel = new SiteStatusModel(this);
    statusSort = new SiteStatusSort(this);
    statusSort->setSourceModel(statusModel);
    tblSiteStatus = makeTable("tblSiteStatus", statusSort, this);
    tblSiteStatus->setSortingEnabled(true);
    tblSiteStatus->sortByColumn(ColSensor, Qt::AscendingOrder);
    tblSiteStatus->horizontalHeader()->setStretchLastSection(true);
    planPage = new PlanPage(state_, context_, this);

    lblOutbox = new QLabel("Alarm Messages Not Sent:", this);
    lblOutbox->setObjectName("lblOutbox");
    lblOutbox->setStyleSheet("font-weight: bold;");
    lstOutbox = new QListWidget(this);
    lstOutbox->setObjectName("lstOutbox");
    lstOutbox->setMaximumHeight(76);

    lblStatusSummary = new QLabel(this);
    lblStatusSummary->setObjectName("lblStatusSummary");
    cmdExportStatus = new QPushButton("Export to Spreadsheet", this);
    cmdExportStatus->setObjectName("cmdExportStatus");
    cmdPrintStatus = new QPushButton("Print to PDF", this);
    cmdPrintStatus->setObjectName("cmdPrintStatus");
    cmdSiteReport = new QPushButton("Site Report...", this);
    cmdSiteReport->setObjectName("cmdSiteReport");
    cmdSiteReport->setToolTip("The status table, the compare chart of amber and red sensors, "
                              "the events since a date with their responses and the overdue "
                              "sensors as a PDF");
    compare = new ComparePage(state_, context_, this);
    siteViews = new SiteViews(tblSiteStatus, planPage, compare, this);

    // Events and their command on top, the sensors' table taking the rest of the height, the
    // summary and the output commands under it.
    pageGrid = new QGridLayout(this);
    pageGrid->setContentsMargins(16, 8, 16, 8);
    pageGrid->addWidget(lblEvents, 0, 0);
    pageGrid->addWidget(tblTriggerEvents, 1, 0);
    auto* eventCommands = new QVBoxLayout;
    eventCommands->addWidget(cmdAcknowledge);
    eventCommands->addWidget(cmdCloseEvent);
    eventCommands->addStretch(1);
    pageGrid->addLayout(eventCommands, 1, 1);
    pageGrid->addWidget(lblEventDetail, 2, 0, 1, 2);
    auto* sensorsRow = new QHBoxLayout;
    sensorsRow->addWidget(lblSensors);
    sensorsRow->addStretch(1);
    sensorsRow->addWidget(siteViews);
    pageGrid->addLayout(sensorsRow, 3, 0, 1, 2);
    pageGrid->addWidget(siteViews->stkSiteView, 4, 0, 1, 2);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(lblStatusSummary, 1);
    bottomRow->addWidget(cmdExportStatus);
    bottomRow->addWidget(cmdPrintStatus);
    bottomRow->addWidget(cmdSiteReport);
    pageGrid->addWidget(lblOutbox, 5, 0, 1, 2);
    pageGrid->addWidget(lstOutbox, 6, 0, 1, 2);
    pageGrid->addLayout(bottomRow, 7, 0, 1, 2);
    pageGrid->setRowStretch(1, 1);
    pageGrid->setRowStretch(4, 3);

    connect(cmdAcknowledge, &QPushButton::clicked, this, &SiteStatusPage::cmdAcknowledge_Click);
    connect(cmdCloseEvent, &QPushButton::clicked, this, &SiteStatusPage::cmdCloseEvent_Click);
    connect(tblTriggerEvents->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SiteStatusPage::showEventDetail);
    connect(cmdExportStatus, &QPushButton::clicked, this, &SiteStatusPage::cmdExportStatus_Click);
    connect(cmdPrintStatus, &QPushButton::clicked, this, &SiteStatusPage::cmdPrintStatus_Click);
    planPage->sensorClicked = [this](const QString& id) { selectSensor(id); };
    planPage->sensorActivated = [this](const QString& id) {
        if (showSensor) {
            showSensor(id);
        }
    };
    connect(cmdSiteReport, &QPushButton::clicked, this, &SiteStatusPage::cmdSiteReport_Click);
    // The compare chart follows the selection while it is on screen.
    connect(siteViews, &SiteViews::compareShown, this,
            [this] { compare->setSensors(selectedSensors()); });
    connect(tblSiteStatus->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (siteViews->comparing()) {
            compare->setSensors(selectedSensors());
        }
    });
    connect(tblSiteStatus, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && showSensor) {
            showSensor(sensorAt(index.row()));
        }
    });
}

const QList<SiteStatusRow>& SiteStatusPage::rows() const {
    return statusModel->rows();
}

QString SiteStatusPage::sensorAt(int row) const {
    return statusSort->index(row, ColSensor).data().toString();
}

QString SiteStatusPage::enter() {
    refresh();
    return {};
}

void SiteStatusPage::report(const DbError& error, const QString& tag, const QString& what) {
    ErrorLog{state_.dataFolder, context_.clock}.report(error, tag);
    context_.prompter->message(kOmbrevaultTitle, what + "\r\n" + error.description(),
                               MsgIcon::Exclamation);
}

std::optional<QStringList> SiteStatusPage::listedSensors() const {
    RecordSet* rs = state_.rsSensors.get();
    if (rs == nullptr || !rs->isOpen() || !rs->filtered()) {
        return std::nullopt;
    }
    // The filtered register, read row by row and left on the row it stood on.
    const qint64 mark = rs->absolutePosition() > 0 ? rs->bookmark() : 0;
    QStringList ids;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        ids << rs->text(col::InstrumentID);
    }
    if (mark != 0) {
        rs->setBookmark(mark);
    } else {
        rs->moveFirst();
    }
    return ids;
}

void SiteStatusPage::refresh() {
    QList<SiteStatusRow> rows;
    QList<EventRecord> events;
    QList<QString> plans;
    if (state_.db && state_.db->isOpen()) {
        try {
            if (!hasTriggerTables(*state_.db)) {
                createTriggerTables(*state_.db);
            }
            const std::optional<QStringList> only = listedSensors();
            const QSet<QString> listed =
                only ? QSet<QString>(only->begin(), only->end()) : QSet<QString>();
            // Newest first, as they wait for someone.
            const QList<EventRecord> records = eventRecords(*state_.db, true);
            for (auto it = records.crbegin(); it != records.crend(); ++it) {
                if (only && !listed.contains(it->event.instrumentId)) {
                    continue;
                }
                const std::optional<ResponsePlan> plan =
                    responsePlanFor(*state_.db, it->event.instrumentId, it->event.state);
                events << *it;
                plans << (plan ? responsePlanText(*plan) : QString());
            }
            rows = computeSiteStatus(*state_.db, context_.clock->now(), only);
        } catch (const DbError& e) {
            report(e, " G_SiteStatus", "The site status could not be read:");
        }
    }
    eventsModel->setEvents(events, plans);
    statusModel->setRows(rows);
    fillEvents();
    fillStatus();
    fillPlan();
    fillOutbox();
    if (siteViews->comparing()) {
        compare->setSensors(selectedSensors());
    }
    if (refreshed) {
        refreshed();
    }
}

void SiteStatusPage::fillPlan() {
    QHash<QString, SensorPosition> positions;
    if (state_.db && state_.db->isOpen() && !rows().isEmpty()) {
        try {
            positions = readPositions(*state_.db);
        } catch (const DbError& e) {
            report(e, " G_SitePositions", "The sensors' positions could not be read:");
        }
    }
    planPage->setMarkers(planMarkers(rows(), positions));
}

void SiteStatusPage::selectSensor(const QString& instrumentId) {
    for (int r = 0; r < statusSort->rowCount(); ++r) {
        if (sensorAt(r) == instrumentId) {
            tblSiteStatus->selectRow(r);
            return;
        }
    }
}

void SiteStatusPage::fillOutbox() {
    lstOutbox->clear();
    if (!state_.db || !state_.db->isOpen()) {
        return;
    }
    try {
        if (!hasAlarmTables(*state_.db)) {
            return;
        }
        const QList<OutboxMessage> unsent = unsentMessages(*state_.db);
        for (const OutboxMessage& m : unsent) {
            const QString answer = m.lastAnswer.isEmpty() ? QString() : ": " + m.lastAnswer;
            lstOutbox->addItem(
                QStringLiteral("%1  %2 to %3: %4 - %5")
                    .arg(shownEventTime(m.createdAt), m.kind, m.address, m.subject,
                         m.state == QLatin1String("failed")
                             ? QStringLiteral("refused") + answer
                             : QStringLiteral("waiting, %1 attempts").arg(m.attempts) + answer));
        }
        lblOutbox->setText(QStringLiteral("Alarm Messages Not Sent: %1").arg(unsent.size()));
    } catch (const DbError& e) {
        lblOutbox->setText("Alarm Messages Not Sent: the outbox could not be read (" +
                           e.description() + ")");
    }
}

void SiteStatusPage::fillEvents() {
    const QList<EventRecord>& events = eventsModel->events();
    int waiting = 0;
    for (const EventRecord& r : events) {
        waiting += r.event.ackAt.isEmpty() ? 1 : 0;
    }
    tblTriggerEvents->resizeColumnsToContents();
    lblEvents->setText(
        QStringLiteral("Open Events: %1 (%2 unacknowledged)").arg(events.size()).arg(waiting));
    cmdAcknowledge->setEnabled(waiting > 0);
    cmdCloseEvent->setEnabled(!events.isEmpty());
    showEventDetail();
}

QList<qint64> SiteStatusPage::selectedEvents() const {
    QList<qint64> ids;
    for (const QModelIndex& index : tblTriggerEvents->selectionModel()->selectedRows()) {
        ids << index.data(OpenEventsModel::EventIdRole).toLongLong();
    }
    return ids;
}

void SiteStatusPage::showEventDetail() {
    const QList<qint64> ids = selectedEvents();
    const QList<EventRecord>& events = eventsModel->events();
    if (ids.size() != 1) {
        lblEventDetail->setText(events.isEmpty()
                                    ? QString()
                                    : QStringLiteral("Select an event to see its response plan."));
        return;
    }
    for (int r = 0; r < events.size(); ++r) {
        const TriggerEvent& e = events[r].event;
        const QString& plan = eventsModel->plan(r);
        if (e.id != ids.first()) {
            continue;
        }
        QString text = QStringLiteral("Event %1, %2 response plan: %3")
                           .arg(e.id)
                           .arg(stateText(e.state).toUpper(),
                                plan.isEmpty() ? QStringLiteral("none set") : plan);
        if (!e.ackAt.isEmpty()) {
            text += QStringLiteral(". Acknowledged %1 by %2").arg(shownEventTime(e.ackAt), e.ackBy);
            if (!e.ackNote.isEmpty()) {
                text += ": " + e.ackNote;
            }
        }
        lblEventDetail->setText(text + '.');
        return;
    }
}

void SiteStatusPage::fillStatus() {
    const QList<SiteStatusRow>& rows = statusModel->rows();
    int counts[5] = {};
    int overdue = 0;
    for (const SiteStatusRow& row : rows) {
        ++counts[static_cast<int>(row.status.state)];
        overdue += row.overdue ? 1 : 0;
    }
    fitColumnsToView(tblSiteStatus, ColLocation);
    const int destroyed = counts[static_cast<int>(TriggerState::Destroyed)];
    lblStatusSummary->setText(
        QStringLiteral("%1 sensors: %2 red, %3 amber, %4 green, %5 grey%6; %7 overdue")
            .arg(rows.size())
            .arg(counts[static_cast<int>(TriggerState::Red)])
            .arg(counts[static_cast<int>(TriggerState::Amber)])
            .arg(counts[static_cast<int>(TriggerState::Green)])
            .arg(counts[static_cast<int>(TriggerState::Grey)])
            .arg(destroyed > 0 ? QStringLiteral(", %1 destroyed").arg(destroyed) : QString())
            .arg(overdue));
}

void SiteStatusPage::cmdAcknowledge_Click() {
    const QList<qint64> ids = selectedEvents();
    if (ids.isEmpty()) {
        context_.prompter->message(kOmbrevaultTitle, "Select the events to acknowledge.",
                                   MsgIcon::Information);
        return;
    }
    const std::optional<QString> note =
        context_.prompter->input("Acknowledge", "Note for the acknowledgement:");
    if (!note) {
        return;
    }
    try {
        acknowledgeEvents(*state_.db, ids, context_.clock->now(), loginName(), note->trimmed());
    } catch (const DbError& e) {
        report(e, " G_AcknowledgeEvents", "The acknowledgement could not be stored:");
    }
    refresh();
}

void SiteStatusPage::cmdCloseEvent_Click() {
    const QList<qint64> ids = selectedEvents();
    if (ids.isEmpty()) {
        context_.prompter->message(kOmbrevaultTitle, "Select the events to close.",
                                   MsgIcon::Information);
        return;
    }
    for (const EventRecord& r : eventsModel->events()) {
        if (ids.contains(r.event.id) && r.stage() == EventStage::Open) {
            context_.prompter->message(kOmbrevaultTitle,
                                       QStringLiteral("Event %1 is not acknowledged: only an "
                                                      "acknowledged event can be closed.")
                                           .arg(r.event.id),
                                       MsgIcon::Exclamation);
            return;
        }
    }
    const std::optional<QString> actions =
        context_.prompter->input("Close Event", "Actions taken:");
    if (!actions) {
        return;
    }
    if (actions->trimmed().isEmpty()) {
        context_.prompter->message(kOmbrevaultTitle,
                                   "The event is not closed: say what actions were taken.",
                                   MsgIcon::Exclamation);
        return;
    }
    const std::optional<QString> reentry =
        context_.prompter->input("Close Event", "Re-entry note (who may go back in, and when):");
    if (!reentry) {
        return;
    }
    QStringList refusals;
    try {
        for (const qint64 id : ids) {
            const QString refusal = closeTriggerEvent(*state_.db, id, context_.clock->now(),
                                                      loginName(), *actions, *reentry);
            if (!refusal.isEmpty()) {
                refusals << refusal;
            }
        }
    } catch (const DbError& e) {
        report(e, " G_CloseEvents", "The close could not be stored:");
    }
    if (!refusals.isEmpty()) {
        context_.prompter->message(kOmbrevaultTitle, refusals.join("\r\n"), MsgIcon::Exclamation);
    }
    refresh();
}

QVector<QStringList> SiteStatusPage::grid() const {
    QVector<QStringList> cells{siteStatusHeadings()};
    for (int r = 0; r < statusSort->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < statusSort->columnCount(); ++c) {
            row << statusSort->index(r, c).data().toString();
        }
        cells << row;
    }
    return cells;
}

void SiteStatusPage::cmdExportStatus_Click() {
    QVector<QStringList> cells = grid();
    // The export leaves out a grid's last column.
    for (QStringList& row : cells) {
        row << QString();
    }
    try {
        const QString path = FlexGridToExcel(cells, static_cast<int>(cells.size()),
                                             static_cast<int>(siteStatusHeadings().size()) + 1,
                                             kTitle, state_.dataFolder, *context_.clock);
        if (!context_.desktop->open(path)) {
            tellNotOpened(*context_.prompter, "spreadsheet program", "workbook", path);
        }
    } catch (const DbError& e) {
        report(e, " G_ExportSiteStatus", "The site status could not be exported:");
    }
}

QString SiteStatusPage::exportPath(const QString& title, const QString& extension) const {
    const QString folder = exportFolder(state_.dataFolder);
    QDir().mkpath(folder);
    const QString base =
        title + context_.clock->now().toString(QStringLiteral(" yyyy-MM-dd HH.mm.ss"));
    QString path = QDir(folder).filePath(base + extension);
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = QDir(folder).filePath(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(extension));
    }
    return path;
}

void SiteStatusPage::cmdPrintStatus_Click() {
    const QVector<QStringList> cells = grid();
    QString html = "<h2>" + kTitle.toHtmlEscaped() + "</h2><p>" +
                   context_.clock->now().toString(kShownMoment) + " &mdash; " +
                   lblStatusSummary->text().toHtmlEscaped() +
                   "</p><table border='1' cellspacing='0' cellpadding='3'><tr>";
    for (const QString& heading : cells.first()) {
        html += "<th>" + heading.toHtmlEscaped() + "</th>";
    }
    html += "</tr>";
    for (int r = 1; r < cells.size(); ++r) {
        html += "<tr>";
        for (int c = 0; c < cells[r].size(); ++c) {
            const QVariant back = statusSort->index(r - 1, c).data(Qt::BackgroundRole);
            html += back.isValid() ? "<td bgcolor='" + back.value<QColor>().name() + "'>"
                                   : QStringLiteral("<td>");
            html += cells[r][c].toHtmlEscaped() + "</td>";
        }
        html += "</tr>";
    }
    html += "</table>";

    const QString path = exportPath(kTitle, QStringLiteral(".pdf"));
    try {
        writePdfFile(path, QStringLiteral("The site status"), [&](QPdfWriter& writer) {
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageOrientation(QPageLayout::Landscape);
            writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
            writer.setTitle(kTitle);
            QTextDocument document;
            QFont font = document.defaultFont();
            font.setPointSizeF(8);
            document.setDefaultFont(font);
            document.setHtml(html);
            document.print(&writer);
        });
    } catch (const DbError& e) {
        context_.prompter->message(kOmbrevaultTitle, e.description(), MsgIcon::Exclamation);
        return;
    }
    if (!context_.desktop->open(path)) {
        tellNotOpened(*context_.prompter, "PDF viewer", "document", path);
    }
}

QStringList SiteStatusPage::selectedSensors() const {
    QList<int> rows;
    for (const QModelIndex& index : tblSiteStatus->selectionModel()->selectedRows(ColSensor)) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    QStringList ids;
    for (const int r : rows) {
        ids << sensorAt(r);
    }
    return ids;
}

void SiteStatusPage::cmdSiteReport_Click() {
    if (!state_.db || !state_.db->isOpen()) {
        return;
    }
    const QDate today = context_.clock->today();
    const std::optional<QString> answer = context_.prompter->input(
        "Site Report",
        "Events since (yyyy/mm/dd):", today.addDays(-7).toString(QStringLiteral("yyyy/MM/dd")));
    if (!answer) {
        return;
    }
    const QDate since = QDate::fromString(answer->trimmed(), QStringLiteral("yyyy/MM/dd"));
    if (!since.isValid()) {
        context_.prompter->message(kOmbrevaultTitle,
                                   "The date must be written yyyy/mm/dd, as 2026/12/01.",
                                   MsgIcon::Exclamation);
        return;
    }
    const QString path = exportPath(QStringLiteral("Site Report"), QStringLiteral(".pdf"));
    try {
        writeSiteReport(*state_.db, context_.clock->now(), since, path, planReportPages());
    } catch (const DbError& e) {
        report(e, " G_SiteReport", "The site report could not be written:");
        return;
    }
    if (!context_.desktop->open(path)) {
        tellNotOpened(*context_.prompter, "PDF viewer", "document", path);
    }
}
