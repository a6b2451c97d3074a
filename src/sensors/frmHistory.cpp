#include "sensors/frmHistory.h"

#include "store/AuditRestore.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "store/SqlFailure.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString kTitle = QStringLiteral("History");
} // namespace

frmHistory::frmHistory(Connection& db, const QString& instrumentId, const QDate& today,
                       Prompter& prompter, const ErrorLog& log, QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter), log_(log) {
    setObjectName("frmHistory");
    setWindowTitle(kTitle);
    resize(1000, 560);
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("Sensor:"), this));
    cboHistorySensor = new QComboBox(this);
    cboHistorySensor->setObjectName("cboHistorySensor");
    cboHistorySensor->setEditable(true);
    cboHistorySensor->setMinimumContentsLength(14);
    filters->addWidget(cboHistorySensor);
    filters->addSpacing(12);
    filters->addWidget(new QLabel(QStringLiteral("Reading:"), this));
    txtReading = new QLineEdit(this);
    txtReading->setObjectName("txtReading");
    txtReading->setPlaceholderText(QStringLiteral("yyyy/mm/dd hh:mm, or part of it"));
    filters->addWidget(txtReading, 1);
    filters->addSpacing(12);
    chkSince = new QCheckBox(QStringLiteral("Since:"), this);
    chkSince->setObjectName("chkSince");
    filters->addWidget(chkSince);
    dtpSince = new QDateEdit(today, this);
    dtpSince->setObjectName("dtpSince");
    dtpSince->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    dtpSince->setCalendarPopup(true);
    dtpSince->setEnabled(false);
    filters->addWidget(dtpSince);
    layout->addLayout(filters);

    grdHistory = new QTableWidget(0, 4, this);
    grdHistory->setObjectName("grdHistory");
    grdHistory->setHorizontalHeaderLabels({QStringLiteral("When"), QStringLiteral("Who"),
                                           QStringLiteral("What"),
                                           QStringLiteral("Before → after")});
    grdHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdHistory->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdHistory->setWordWrap(false);
    grdHistory->verticalHeader()->hide();
    grdHistory->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdHistory, 1);

    auto* commands = new QHBoxLayout;
    lblHistoryStatus = new QLabel(this);
    lblHistoryStatus->setObjectName("lblHistoryStatus");
    commands->addWidget(lblHistoryStatus, 1);
    cmdRestore = new QPushButton(QStringLiteral("Restore"), this);
    cmdRestore->setObjectName("cmdRestore");
    cmdRestore->setToolTip(QStringLiteral("Puts back the deleted readings or the deleted sensor "
                                          "selected in the list"));
    // Enter in a filter box must not restore anything.
    cmdRestore->setAutoDefault(false);
    commands->addWidget(cmdRestore);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName("cmdClose");
    cmdClose->setAutoDefault(false);
    commands->addWidget(cmdClose);
    layout->addLayout(commands);

    fillSensors(instrumentId);
    connect(cboHistorySensor, &QComboBox::currentTextChanged, this, [this] { refresh(); });
    connect(txtReading, &QLineEdit::textChanged, this, [this] { refresh(); });
    connect(chkSince, &QCheckBox::toggled, this, [this](bool on) {
        dtpSince->setEnabled(on);
        refresh();
    });
    connect(dtpSince, &QDateEdit::dateChanged, this, [this] { refresh(); });
    connect(cmdRestore, &QPushButton::clicked, this, [this] { cmdRestore_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
}

void frmHistory::fillSensors(const QString& current) {
    QStringList ids;
    ignoring(log_, " fillSensors", [&] {
        QSqlQuery query = runQuery(
            db_, QStringLiteral("SELECT InstrumentID FROM Sensors ORDER BY InstrumentID"), {});
        while (query.next()) {
            ids << query.value(0).toString();
        }
    });
    ignoring(log_, " fillSensors", [&] {
        for (const QString& id : deletedSensors(db_)) {
            ids << id;
        }
    });
    const QSignalBlocker quiet(cboHistorySensor);
    cboHistorySensor->clear();
    cboHistorySensor->addItems(ids);
    cboHistorySensor->setEditText(current);
}

void frmHistory::refresh() {
    entries_.clear();
    grdHistory->setRowCount(0);
    HistoryFilter filter;
    filter.reading = txtReading->text().trimmed();
    if (chkSince->isChecked()) {
        filter.since = dtpSince->date().toString(Qt::ISODate);
    }
    try {
        entries_ = sensorHistory(db_, cboHistorySensor->currentText().trimmed(), filter);
    } catch (const DbError& e) {
        lblHistoryStatus->setText("The history could not be read: " + failureReason(e) + '.');
        return;
    }
    grdHistory->setRowCount(int(entries_.size()));
    for (int row = 0; row < entries_.size(); ++row) {
        const AuditEntry& e = entries_[row];
        const QStringList cells = {e.changedAt, e.changedBy, changeText(e), valuesText(e)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            grdHistory->setItem(row, column, item);
        }
    }
    grdHistory->resizeColumnsToContents();
    grdHistory->setColumnWidth(3, std::min(grdHistory->columnWidth(3), 600));
    lblHistoryStatus->setText(entries_.size() == 1
                                  ? QStringLiteral("1 change")
                                  : QStringLiteral("%1 changes").arg(entries_.size()));
}

QList<AuditEntry> frmHistory::selectedEntries() const {
    QList<int> rows;
    for (const QModelIndex& index : grdHistory->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    QList<AuditEntry> chosen;
    for (const int row : rows) {
        if (row >= 0 && row < entries_.size()) {
            chosen << entries_[row];
        }
    }
    return chosen;
}

void frmHistory::cmdRestore_Click() {
    const QList<AuditEntry> chosen = selectedEntries();
    const auto sensor = std::find_if(chosen.begin(), chosen.end(),
                                     [](const AuditEntry& e) { return e.isDeletedSensor(); });
    try {
        if (sensor != chosen.end()) {
            if (!mayRestoreSensors(db_)) {
                prompter_.message(kTitle,
                                  QStringLiteral("Only an administrator (quorvelle_admin) may "
                                                 "restore a deleted sensor."),
                                  MsgIcon::Exclamation);
                return;
            }
            const int readings = restoreSensor(db_, sensor->id);
            prompter_.message(kTitle, QStringLiteral("Sensor %1 was restored with %2 readings.")
                                          .arg(sensor->instrumentId)
                                          .arg(readings));
            fillSensors(sensor->instrumentId);
            refresh();
            emit restored(true);
            return;
        }
        QList<qint64> ids;
        for (const AuditEntry& e : chosen) {
            if (e.isDeletedReading()) {
                ids << e.id;
            }
        }
        if (ids.isEmpty()) {
            prompter_.message(kTitle,
                              QStringLiteral("Select the deleted readings or the deleted sensor "
                                             "to restore."),
                              MsgIcon::Exclamation);
            return;
        }
        const int restoredCount = restoreReadings(db_, ids);
        prompter_.message(kTitle,
                          restoredCount == 1
                              ? QStringLiteral("1 reading was restored.")
                              : QStringLiteral("%1 readings were restored.").arg(restoredCount));
        refresh();
        emit restored(false);
    } catch (const RestoreRefused& e) {
        prompter_.message(kTitle, e.reason(), MsgIcon::Exclamation);
    } catch (const DbError& e) {
        prompter_.message(kTitle, "Nothing was restored: " + failureReason(e) + '.',
                          MsgIcon::Exclamation);
    }
}
