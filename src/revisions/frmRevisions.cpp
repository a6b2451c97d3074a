#include "revisions/frmRevisions.h"

#include "revisions/RevisionStore.h"
#include "store/Clock.h"
#include "store/DbError.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Revisions");
const QString kShown = QStringLiteral("yyyy/MM/dd HH:mm:ss");
} // namespace

frmRevisions::frmRevisions(Connection& db, const QString& instrumentId, int nodeCount,
                           const QDateTime& current, Prompter& prompter, const Clock& clock,
                           const QString& login, QWidget* parent)
    : QDialog(parent), db_(db), instrumentId_(instrumentId),
      nodeCount_(std::clamp(nodeCount, 0, kRevisionNodes)), current_(current), prompter_(prompter),
      clock_(clock), login_(login) {
    setObjectName("frmRevisions");
    setWindowTitle(QStringLiteral("Revisions of sensor %1").arg(instrumentId));
    resize(900, 520);
    auto* layout = new QVBoxLayout(this);

    grdRevisions = new QTableWidget(this);
    grdRevisions->setObjectName("grdRevisions");
    grdRevisions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdRevisions->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdRevisions->verticalHeader()->hide();
    layout->addWidget(grdRevisions, 1);

    auto* form = new QFormLayout;
    auto* from = new QHBoxLayout;
    optCurrentReading = new QRadioButton(
        current.isValid() ? QStringLiteral("Current reading (%1)").arg(current.toString(kShown))
                          : QStringLiteral("Current reading (none)"),
        this);
    optCurrentReading->setObjectName("optCurrentReading");
    optChosenDate = new QRadioButton(QStringLiteral("Date:"), this);
    optChosenDate->setObjectName("optChosenDate");
    dtpRevDate = new QDateEdit(current.isValid() ? current.date() : clock.today(), this);
    dtpRevDate->setObjectName("dtpRevDate");
    dtpRevDate->setDisplayFormat("yyyy/MM/dd");
    dtpRevDate->setCalendarPopup(true);
    dtpRevTime = new QTimeEdit(current.isValid() ? current.time() : QTime(0, 0), this);
    dtpRevTime->setObjectName("dtpRevTime");
    dtpRevTime->setDisplayFormat("HH:mm:ss");
    (current.isValid() ? optCurrentReading : optChosenDate)->setChecked(true);
    optCurrentReading->setEnabled(current.isValid());
    from->addWidget(optCurrentReading);
    from->addWidget(optChosenDate);
    from->addWidget(dtpRevDate);
    from->addWidget(dtpRevTime);
    from->addStretch();
    form->addRow(QStringLiteral("From:"), from);

    cboKind = new QComboBox(this);
    cboKind->setObjectName("cboKind");
    for (const RevisionKind kind :
         {RevisionKind::Offset, RevisionKind::Rezero, RevisionKind::NodeLost}) {
        cboKind->addItem(revisionKindShown(kind), static_cast<int>(kind));
    }
    form->addRow(QStringLiteral("Kind:"), cboKind);

    cboNode = new QComboBox(this);
    cboNode->setObjectName("cboNode");
    cboNode->addItem(QStringLiteral("All nodes"), 0);
    for (int n = 1; n <= nodeCount_; ++n) {
        cboNode->addItem(QStringLiteral("Node %1").arg(n), n);
    }
    form->addRow(QStringLiteral("Node:"), cboNode);

    // Only a number can be typed: a sign, digits and one point.
    const auto* number =
        new QRegularExpressionValidator(QRegularExpression(R"(^-?\d{0,6}(\.\d{0,3})?$)"), this);
    auto* offsets = new QHBoxLayout;
    for (int n = 1; n <= nodeCount_; ++n) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtOffset%1").arg(n));
        box->setValidator(number);
        box->setPlaceholderText(QStringLiteral("Node %1").arg(n));
        box->setMaximumWidth(80);
        offsets->addWidget(box);
        txtOffset << box;
    }
    offsets->addWidget(new QLabel(QStringLiteral("mm (empty: carried on from the reading "
                                                 "before)"),
                                  this));
    offsets->addStretch();
    form->addRow(QStringLiteral("Offsets:"), offsets);

    txtNote = new QLineEdit(this);
    txtNote->setObjectName("txtNote");
    form->addRow(QStringLiteral("Note:"), txtNote);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    lblRevStatus = new QLabel(this);
    lblRevStatus->setObjectName("lblRevStatus");
    buttons->addWidget(lblRevStatus, 1);
    auto* add = new QPushButton(QStringLiteral("Add"), this);
    add->setObjectName("cmdAdd");
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName("cmdClose");
    buttons->addWidget(add);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(cboKind, &QComboBox::currentIndexChanged, this, [this] { enableBoxes(); });
    connect(cboNode, &QComboBox::currentIndexChanged, this, [this] { enableBoxes(); });
    connect(optChosenDate, &QRadioButton::toggled, this, [this] { enableBoxes(); });
    enableBoxes();
    refresh();
}

void frmRevisions::enableBoxes() {
    const bool offset = cboKind->currentData().toInt() == static_cast<int>(RevisionKind::Offset);
    const int node = cboNode->currentData().toInt();
    for (int n = 0; n < txtOffset.size(); ++n) {
        txtOffset[n]->setEnabled(offset && (node == 0 || node == n + 1));
    }
    dtpRevDate->setEnabled(optChosenDate->isChecked());
    dtpRevTime->setEnabled(optChosenDate->isChecked());
}

void frmRevisions::refresh() {
    const QStringList headings = revisionListHeadings();
    grdRevisions->clear();
    grdRevisions->setColumnCount(static_cast<int>(headings.size()));
    grdRevisions->setHorizontalHeaderLabels(headings);
    try {
        const QList<SensorRevision> revisions = readRevisions(db_, instrumentId_);
        const QHash<qint64, qint64> superseded = supersededBy(revisions);
        grdRevisions->setRowCount(static_cast<int>(revisions.size()));
        for (int row = 0; row < revisions.size(); ++row) {
            const QStringList cells = revisionListCells(revisions[row], superseded);
            for (int c = 0; c < cells.size(); ++c) {
                grdRevisions->setItem(row, c, new QTableWidgetItem(cells[c]));
            }
        }
        lblRevStatus->setText(revisions.isEmpty()
                                  ? QStringLiteral("No revisions.")
                                  : QStringLiteral("%1 revision(s).").arg(revisions.size()));
    } catch (const DbError& e) {
        grdRevisions->setRowCount(0);
        lblRevStatus->setText(QStringLiteral("The revisions could not be read: ") +
                              failureReason(e) + '.');
    }
    grdRevisions->resizeColumnsToContents();
}

bool frmRevisions::cmdAdd_Click() {
    RevisionRequest request;
    request.instrumentId = instrumentId_;
    request.from = optCurrentReading->isChecked()
                       ? current_
                       : QDateTime(dtpRevDate->date(), dtpRevTime->time(), Qt::UTC);
    request.kind = static_cast<RevisionKind>(cboKind->currentData().toInt());
    request.node = cboNode->currentData().toInt();
    request.note = txtNote->text().trimmed();
    if (request.kind == RevisionKind::Offset) {
        int typed = 0;
        int open = 0;
        for (QLineEdit* box : txtOffset) {
            if (!box->isEnabled()) {
                continue;
            }
            ++open;
            bool ok = false;
            const double mm = box->text().toDouble(&ok);
            if (ok) {
                request.typedOffsets << mm;
                ++typed;
            }
        }
        if (typed != 0 && typed != open) {
            prompter_.message(kTitle,
                              QStringLiteral("Type an offset for every node, or leave them all "
                                             "empty to carry the displacement on across the "
                                             "revision."),
                              MsgIcon::Exclamation);
            return false;
        }
    }
    try {
        const SensorRevision stored = addRevision(db_, request, clock_.now(), login_);
        for (QLineEdit* box : txtOffset) {
            box->clear();
        }
        txtNote->clear();
        refresh();
        lblRevStatus->setText(
            QStringLiteral("Revision No. %1 stored: %2 from %3.")
                .arg(stored.id)
                .arg(revisionKindShown(stored.kind), shownRevisionDate(stored.fromDate)));
        emit revisionAdded();
        return true;
    } catch (const RevisionRefused& refused) {
        prompter_.message(kTitle, refused.reason(), MsgIcon::Exclamation);
    } catch (const DbError& e) {
        prompter_.message(
            kTitle, QStringLiteral("The revision could not be stored: ") + failureReason(e) + '.',
            MsgIcon::Critical);
    }
    return false;
}
