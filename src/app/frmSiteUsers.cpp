#include "app/frmSiteUsers.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Site Users");
const QStringList kRoles = {"viewer", "engineer", "admin"};

QComboBox* roleBox(const QString& name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(kRoles);
    return box;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}
} // namespace

frmSiteUsers::frmSiteUsers(Connection& db, const AppContext& context, PasswordPrompt askPassword,
                           QWidget* parent)
    : QDialog(parent), db_(db), context_(context), askPassword_(std::move(askPassword)) {
    setObjectName("frmSiteUsers");
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    grdSiteUsers = new QTableWidget(0, 2, this);
    grdSiteUsers->setObjectName("grdSiteUsers");
    grdSiteUsers->setHorizontalHeaderLabels({"Login", "Role"});
    grdSiteUsers->horizontalHeader()->setStretchLastSection(true);
    grdSiteUsers->setColumnWidth(0, 220);
    grdSiteUsers->verticalHeader()->hide();
    grdSiteUsers->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdSiteUsers->setSelectionMode(QAbstractItemView::SingleSelection);
    grdSiteUsers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSiteUsers->setMinimumSize(360, 200);
    layout->addWidget(grdSiteUsers);

    auto* selected = new QHBoxLayout;
    selected->addWidget(new QLabel("Selected login:", this));
    cboLoginRole = roleBox("cboLoginRole", this);
    selected->addWidget(cboLoginRole);
    cmdSetRole = button("cmdSetRole", "Set Role", this);
    selected->addWidget(cmdSetRole);
    cmdRemoveLogin = button("cmdRemoveLogin", "Remove", this);
    selected->addWidget(cmdRemoveLogin);
    selected->addStretch(1);
    layout->addLayout(selected);

    auto* adding = new QHBoxLayout;
    adding->addWidget(new QLabel("New login:", this));
    txtNewLogin = new QLineEdit(this);
    txtNewLogin->setObjectName("txtNewLogin");
    adding->addWidget(txtNewLogin, 1);
    cboNewRole = roleBox("cboNewRole", this);
    cboNewRole->setCurrentText("engineer");
    adding->addWidget(cboNewRole);
    cmdAddLogin = button("cmdAddLogin", "Add", this);
    adding->addWidget(cmdAddLogin);
    layout->addLayout(adding);

    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    cmdClose = button("cmdClose", "Close", this);
    closing->addWidget(cmdClose);
    layout->addLayout(closing);

    connect(cmdAddLogin, &QPushButton::clicked, this, &frmSiteUsers::cmdAddLogin_Click);
    connect(cmdSetRole, &QPushButton::clicked, this, &frmSiteUsers::cmdSetRole_Click);
    connect(cmdRemoveLogin, &QPushButton::clicked, this, &frmSiteUsers::cmdRemoveLogin_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(grdSiteUsers, &QTableWidget::itemSelectionChanged, this, [this] {
        const int row = grdSiteUsers->currentRow();
        if (row >= 0 && grdSiteUsers->item(row, 1) != nullptr) {
            cboLoginRole->setCurrentText(grdSiteUsers->item(row, 1)->text());
        }
    });
    fill();
}

void frmSiteUsers::fill() {
    grdSiteUsers->setRowCount(0);
    guarded(
        ErrorLog{context_.dataFolder, context_.clock}, " frmSiteUsers_fill",
        [&](const DbError& e) { tellRefused("The logins could not be read", e); },
        [&] {
            const QList<SiteLogin> logins = siteLogins(db_);
            grdSiteUsers->setRowCount(static_cast<int>(logins.size()));
            for (int row = 0; row < logins.size(); ++row) {
                grdSiteUsers->setItem(row, 0, new QTableWidgetItem(logins[row].name));
                grdSiteUsers->setItem(row, 1,
                                      new QTableWidgetItem(accessRoleName(logins[row].role)));
            }
        });
}

QString frmSiteUsers::selectedLogin() const {
    const int row = grdSiteUsers->currentRow();
    return row >= 0 && grdSiteUsers->item(row, 0) != nullptr ? grdSiteUsers->item(row, 0)->text()
                                                             : QString();
}

void frmSiteUsers::tellRefused(const QString& what, const DbError& error) {
    QString reason = failureReason(error);
    if (reason.endsWith('.')) {
        reason.chop(1);
    }
    context_.prompter->message(kTitle, what + ": " + reason + ".", MsgIcon::Exclamation);
}

void frmSiteUsers::cmdAddLogin_Click() {
    const QString name = txtNewLogin->text().trimmed();
    const QString problem = loginNameProblem(name);
    if (!problem.isEmpty()) {
        context_.prompter->message(kTitle, "The login was not added: " + problem,
                                   MsgIcon::Exclamation);
        return;
    }
    const std::optional<QString> password =
        askPassword_(kTitle, "Password of the login " + name + " (empty for none):");
    if (!password) {
        return;
    }
    const AccessRole role = accessRoleOf(cboNewRole->currentText()).value_or(AccessRole::Viewer);
    guarded(
        ErrorLog{context_.dataFolder, context_.clock}, " cmdAddLogin_Click",
        [&](const DbError& e) { tellRefused("The login " + name + " was not added", e); },
        [&] {
            addSiteLogin(db_, name, role, *password);
            txtNewLogin->clear();
        });
    fill();
}

void frmSiteUsers::cmdSetRole_Click() {
    const QString name = selectedLogin();
    if (name.isEmpty()) {
        return;
    }
    const AccessRole role = accessRoleOf(cboLoginRole->currentText()).value_or(AccessRole::Viewer);
    guarded(
        ErrorLog{context_.dataFolder, context_.clock}, " cmdSetRole_Click",
        [&](const DbError& e) { tellRefused("The role of " + name + " was not changed", e); },
        [&] { setSiteLoginRole(db_, name, role); });
    fill();
}

void frmSiteUsers::cmdRemoveLogin_Click() {
    const QString name = selectedLogin();
    if (name.isEmpty() ||
        context_.prompter->message(kTitle, "Remove the login " + name + " from the site server?",
                                   MsgIcon::Question, MsgButtons::YesNo,
                                   MsgAnswer::No) != MsgAnswer::Yes) {
        return;
    }
    guarded(
        ErrorLog{context_.dataFolder, context_.clock}, " cmdRemoveLogin_Click",
        [&](const DbError& e) { tellRefused("The login " + name + " was not removed", e); },
        [&] { removeSiteLogin(db_, name); });
    fill();
}
