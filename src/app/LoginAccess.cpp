#include "app/LoginAccess.h"

#include "app/frmSiteUsers.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "store/RefusalHandler.h"
#include "store/SiteAccess.h"
#include "triggers/TriggerEvents.h"
#include "ui/AppContext.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char* const kHeld = "quorvelleAccessHeld";
const char* const kOwnTip = "quorvelleAccessTip";
const QString kPasswordTitle = QStringLiteral("Change Password");
// The window whose message box tells refusals: the one built last.
LoginAccess* telling = nullptr;

struct CommandRule {
    const char* name;
    AccessRole needed;
};

// The commands that change the register, by object name, and the least role that may use them.
constexpr CommandRule kRules[] = {
    {"imgAddSensor", AccessRole::Engineer},   {"Label57", AccessRole::Engineer},
    {"cmdSave", AccessRole::Engineer},        {"imgAddReading", AccessRole::Engineer},
    {"Label63", AccessRole::Engineer},        {"imgDeleteReading", AccessRole::Engineer},
    {"Label65", AccessRole::Engineer},        {"imgAddTrovData", AccessRole::Engineer},
    {"lblAddTrovData", AccessRole::Engineer}, {"cmdAppend", AccessRole::Engineer},
    {"cmdSingleDel", AccessRole::Engineer},   {"cmdAcknowledge", AccessRole::Engineer},
    {"cmdCloseEvent", AccessRole::Engineer},  {"imgDelete", AccessRole::Admin},
    {"Label55", AccessRole::Admin},           {"imgRestore", AccessRole::Admin},
    {"Label27", AccessRole::Admin},           {"cmdAlarmRecipients", AccessRole::Admin},
    {"cmdSavePlan", AccessRole::Admin},       {"cmdSiteUsers", AccessRole::Admin},
};

// The boxes of trigger levels: an administrator's to set, anyone's to read.
bool isLevelBox(const QWidget& widget) {
    const QWidget* frame = widget.parentWidget();
    return qobject_cast<const QLineEdit*>(&widget) != nullptr && frame != nullptr &&
           (frame->objectName() == QLatin1String("fraTriggerLevels") ||
            frame->objectName() == QLatin1String("fraSiteTriggerLevels"));
}

QString refusedTip(AccessRole needed, AccessRole role) {
    return "Needs a login with the " + accessRoleName(needed) + " role; yours is " +
           accessRoleName(role) + ".";
}

QString statusText(Connection& db, AccessRole role) {
    if (!db.isServer()) {
        return "Login: " + loginName() + " (" + accessRoleName(role) + ")";
    }
    QString text = "Login: " + db.scalar(QStringLiteral("SELECT session_user")).toString() + " (" +
                   accessRoleName(role) + ")";
    if (!connectionEncrypted(db)) {
        text += QStringLiteral(", not encrypted");
    }
    return text;
}
} // namespace

LoginAccess::LoginAccess(QMainWindow& window, const AppContext& context, QVBoxLayout& column,
                         QObject* parent)
    : QObject(parent), askPassword(qtPasswordPrompt(&window)), window_(window), context_(context) {
    lblLogin = new QLabel(&window);
    lblLogin->setObjectName("lblLogin");
    window.statusBar()->addPermanentWidget(lblLogin);

    fraSiteUsers = new QGroupBox("Site Logins:", &window);
    fraSiteUsers->setObjectName("fraSiteUsers");
    auto* box = new QVBoxLayout(fraSiteUsers);
    auto* buttons = new QHBoxLayout;
    cmdSiteUsers = new QPushButton("Site Users", fraSiteUsers);
    cmdSiteUsers->setObjectName("cmdSiteUsers");
    cmdChangePassword = new QPushButton("Change Password", fraSiteUsers);
    cmdChangePassword->setObjectName("cmdChangePassword");
    buttons->addWidget(cmdSiteUsers);
    buttons->addWidget(cmdChangePassword);
    buttons->addStretch(1);
    box->addLayout(buttons);
    lblSiteAccess = new QLabel(fraSiteUsers);
    lblSiteAccess->setObjectName("lblSiteAccess");
    lblSiteAccess->setWordWrap(true);
    lblSiteAccess->hide();
    box->addWidget(lblSiteAccess);
    column.addWidget(fraSiteUsers);
    connect(cmdSiteUsers, &QPushButton::clicked, this, &LoginAccess::showSiteUsers);
    connect(cmdChangePassword, &QPushButton::clicked, this, &LoginAccess::changePassword);

    telling = this;
    setRefusalHandler([this](const DbError& refusal) {
        context_.prompter->message(kAppTitle, refusal.description(), MsgIcon::Exclamation);
    });
    qApp->installEventFilter(this);
    disconnected();
}

LoginAccess::~LoginAccess() {
    if (telling == this) {
        telling = nullptr;
        setRefusalHandler(nullptr);
    }
}

AccessRole LoginAccess::neededRole(const QString& objectName) {
    for (const CommandRule& rule : kRules) {
        if (objectName == QLatin1String(rule.name)) {
            return rule.needed;
        }
    }
    return AccessRole::Viewer;
}

void LoginAccess::connected(Connection& db) {
    db_ = &db;
    role_ = AccessRole::Unrestricted;
    prepared_ = false;
    guarded(ErrorLog{context_.dataFolder, context_.clock}, " G_FindLoginRole", [&] {
        role_ = findLoginRole(db);
        prepared_ = isPreparedServer(db);
        lblLogin->setText(statusText(db, role_));
    });
    setLoginRoleInUse(role_);
    cmdChangePassword->setEnabled(db.isServer());
    lblSiteAccess->setVisible(db.isServer() && !prepared_);
    lblSiteAccess->setText(QStringLiteral(
        "This site server has one login for everyone. To give each engineer a login of their "
        "own and a role, the database's owner runs: quorvelle --database "
        "postgresql://OWNER@HOST/DATABASE server init --admin NAME (manual: \"Site logins\")."));
    cmdSiteUsers->setVisible(!db.isServer() || prepared_);
    fraSiteUsers->setVisible(db.isServer());
    apply(window_);
}

void LoginAccess::disconnected() {
    db_ = nullptr;
    role_ = AccessRole::Unrestricted;
    setLoginRoleInUse(role_);
    lblLogin->clear();
    fraSiteUsers->hide();
    apply(window_);
}

void LoginAccess::apply(QWidget& top) {
    QList<QWidget*> widgets = top.findChildren<QWidget*>();
    widgets.prepend(&top);
    for (QWidget* widget : widgets) {
        const AccessRole needed =
            isLevelBox(*widget) ? AccessRole::Admin : neededRole(widget->objectName());
        if (needed != AccessRole::Viewer) {
            hold(*widget, needed);
        }
    }
}

void LoginAccess::hold(QWidget& widget, AccessRole needed) {
    const bool held = widget.property(kHeld).toBool();
    auto* box = qobject_cast<QLineEdit*>(&widget);
    if (!accessAllows(role_, needed)) {
        if (!held) {
            widget.setProperty(kOwnTip, widget.toolTip());
            widget.setProperty(kHeld, true);
            if (box != nullptr) {
                box->setReadOnly(true);
            } else {
                widget.setEnabled(false);
            }
        }
        widget.setToolTip(refusedTip(needed, role_));
        return;
    }
    if (!held) {
        return;
    }
    widget.setProperty(kHeld, false);
    widget.setToolTip(widget.property(kOwnTip).toString());
    if (box != nullptr) {
        box->setReadOnly(false);
    } else {
        widget.setEnabled(true);
    }
}

bool LoginAccess::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    // A window the main window opens (batch deletion, logger review, response plan) gets the
    // same rules as it shows.
    if (event->type() == QEvent::Show && widget->isWindow() && widget != &window_ &&
        widget->parentWidget() != nullptr && role_ != AccessRole::Unrestricted) {
        apply(*widget);
    } else if (event->type() == QEvent::EnabledChange && widget->isEnabled() &&
               widget->property(kHeld).toBool() && qobject_cast<QLineEdit*>(widget) == nullptr) {
        // A page that enables its command (a selection made) does not give the role's right.
        QTimer::singleShot(0, widget, [widget] {
            if (widget->property(kHeld).toBool()) {
                widget->setEnabled(false);
            }
        });
    }
    return false;
}

void LoginAccess::showSiteUsers() {
    if (db_ == nullptr) {
        return;
    }
    if (siteUsers_ == nullptr) {
        siteUsers_ = new frmSiteUsers(*db_, context_, askPassword, &window_);
        siteUsers_->setAttribute(Qt::WA_DeleteOnClose);
    }
    siteUsers_->show();
    siteUsers_->raise();
}

void LoginAccess::changePassword() {
    guarded(ErrorLog{context_.dataFolder, context_.clock}, " cmdChangePassword_Click", [&] {
        if (db_ == nullptr || !db_->isServer()) {
            return;
        }
        const std::optional<QString> password =
            askPassword(kPasswordTitle, QStringLiteral("New password:"));
        if (!password) {
            return;
        }
        const std::optional<QString> again =
            askPassword(kPasswordTitle, QStringLiteral("The new password again:"));
        if (!again) {
            return;
        }
        if (*again != *password || password->isEmpty()) {
            context_.prompter->message(kPasswordTitle,
                                       password->isEmpty()
                                           ? QStringLiteral("The new password is empty; the "
                                                            "password was not changed.")
                                           : QStringLiteral("The two passwords differ; the "
                                                            "password was not changed."),
                                       MsgIcon::Exclamation);
            return;
        }
        try {
            changeOwnPassword(*db_, *password);
        } catch (const DbError& e) {
            context_.prompter->message(kPasswordTitle,
                                       "The password was not changed: " + failureReason(e) + ".",
                                       MsgIcon::Exclamation);
            return;
        }
        // The next connection of this run (one lost and opened again) needs the new one.
        Connection::setServerPassword(*password);
        context_.prompter->message(kPasswordTitle,
                                   QStringLiteral("Your password was changed. A password kept in "
                                                  "the keyring or ~/.pgpass must be changed "
                                                  "there too."),
                                   MsgIcon::Information);
    });
}
