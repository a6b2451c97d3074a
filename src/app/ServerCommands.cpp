#include "app/ServerCommands.h"

#include "app/UtilitiesPage.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/Guard.h"
#include "store/RegisterCopy.h"
#include "store/Schema.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Keyring.h"
#include "ui/Prompter.h"

#include <QProgressDialog>

namespace {
const QString kServerTitle = QStringLiteral("Site Server");
const QString kCopyTitle = QStringLiteral("Copy Register to Server");
const QString kNoRegister =
    QStringLiteral("The site server holds no Quorvelle register. Create it?");

QString unfinishedQuestion(const QString& name) {
    return "The site server " + name +
           " holds the tables of a Quorvelle register with nothing in them: no sensors, "
           "readings, trigger levels or events, and only the default settings. A copy to the "
           "server that was cut short leaves them so.\r\nClear them?";
}

QString accountOf(const ServerLogin& login) {
    return keyringAccount(login.user, login.host, login.port, login.database);
}

QString countText(qint64 count, const QString& one, const QString& many) {
    return QString::number(count) + " " + (count == 1 ? one : many);
}
} // namespace

CopyProgressDialog::CopyProgressDialog(QWidget* parent, const QString& title,
                                       std::function<QString(qint64, qint64)> label)
    : dialog_(
          parent, label ? std::move(label) : [](qint64 done, qint64 total) {
              return QStringLiteral("%1 of %2 rows copied").arg(done).arg(total);
          }) {
    dialog_.dialog()->setObjectName("prgRegisterCopy");
    dialog_.dialog()->setWindowTitle(title);
}

CopyProgress CopyProgressDialog::progress() {
    return dialog_.progress();
}

ServerCommands::ServerCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                               std::function<bool(const QString&)> reconnect, QObject* parent)
    : QObject(parent), state_(state), context_(context), utilities_(utilities),
      reconnect_(std::move(reconnect)) {
    connect(utilities.copyToServer.image, &ClickableLabel::clicked, this,
            &ServerCommands::cmdCopyToServer_Click);
}

ServerLogin ServerCommands::initialLogin() const {
    if (const std::optional<ServerLogin> current = parseServerUri(state_.dbPath)) {
        return *current;
    }
    ServerLogin login;
    login.database = "quorvelle";
    login.user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    return login;
}

std::unique_ptr<Connection> ServerCommands::askForServer(const QString& title, ServerLogin initial,
                                                         QString& uri) {
    while (true) {
        const std::optional<ServerLoginAnswer> answer =
            context_.prompter->askServerLogin(title, initial);
        if (!answer) {
            return nullptr;
        }
        initial = answer->login;
        // A login the address cannot carry is refused before anything is tried; the host is
        // not repeated, as it may hold what was meant as a password.
        const QString problem = serverLoginProblem(answer->login);
        if (!problem.isEmpty()) {
            context_.prompter->message(kAppTitle,
                                       "Could not connect to the site server:\r\n" + problem,
                                       MsgIcon::Exclamation);
            continue;
        }
        if (!answer->password.isEmpty()) {
            Connection::setServerPassword(answer->password);
        }
        auto server = std::make_unique<Connection>();
        try {
            server->open(serverUri(answer->login));
            uri = serverUri(answer->login);
            if (!answer->password.isEmpty()) {
                workingPassword_ = answer->password;
            }
            if (!answer->password.isEmpty() && keyring_ != nullptr) {
                offerToRemember(answer->login, answer->password);
            }
            return server;
        } catch (const DbError& e) {
            // A password that failed must not replace the one the connection in use needs.
            Connection::setServerPassword(workingPassword_);
            context_.prompter->message(kAppTitle,
                                       "Could not connect to the site server " +
                                           serverDisplayName(answer->login) + ":\r\n" +
                                           e.description(),
                                       MsgIcon::Exclamation);
        }
    }
}

void ServerCommands::offerToRemember(const ServerLogin& login, const QString& password) {
    if (context_.prompter->message(kServerTitle,
                                   "Remember the password of " + login.user + " on " +
                                       serverDisplayName(login) + " in the desktop's keyring?",
                                   MsgIcon::Question, MsgButtons::YesNo,
                                   MsgAnswer::No) != MsgAnswer::Yes ||
        keyring_->store(accountOf(login), password)) {
        return;
    }
    context_.prompter->message(
        kAppTitle,
        "No keyring answers on this desktop, so the password was not remembered. To connect "
        "without typing it, keep it in ~/.pgpass as " +
            login.host + ":" + QString::number(login.port) + ":" + login.database + ":" +
            login.user + ":PASSWORD, in a file only you may read (chmod 600).",
        MsgIcon::Information);
}

void ServerCommands::usePasswordOfKeyring(const QString& location) {
    const std::optional<ServerLogin> login = parseServerUri(location);
    if (!login || keyring_ == nullptr) {
        return;
    }
    if (const std::optional<QString> kept = keyring_->password(accountOf(*login))) {
        Connection::setServerPassword(*kept);
        workingPassword_ = *kept;
    }
}

void ServerCommands::clearIfUnfinished(Connection& server, const QString& title) {
    const QString name = locationDisplayName(server.location());
    try {
        if (!isUnfinishedRegister(server) ||
            context_.prompter->message(title, unfinishedQuestion(name), MsgIcon::Question,
                                       MsgButtons::YesNo, MsgAnswer::No) != MsgAnswer::Yes) {
            return;
        }
        clearUnfinishedRegister(server);
    } catch (const DbError& e) {
        context_.prompter->message(kAppTitle,
                                   "The tables on the site server " + name +
                                       " were not cleared: " + failureReason(e) + ".",
                                   MsgIcon::Exclamation);
        ErrorLog{state_.dataFolder, context_.clock}.report(e, " G_ClearUnfinishedRegister");
    }
}

bool ServerCommands::offerRegister(Connection& server) {
    clearIfUnfinished(server, kOmbrevaultTitle);
    if (hasRegister(server)) {
        return true;
    }
    if (context_.prompter->message(kOmbrevaultTitle, kNoRegister, MsgIcon::Question,
                                   MsgButtons::YesNo) != MsgAnswer::Yes) {
        return false;
    }
    createServerRegister(server, defaultDatabasePath(state_.dataFolder));
    return true;
}

void ServerCommands::chooseServer() {
    QString uri;
    std::unique_ptr<Connection> server = askForServer(kServerTitle, initialLogin(), uri);
    if (!server) {
        return;
    }
    try {
        if (!offerRegister(*server)) {
            return;
        }
    } catch (const DbError& e) {
        context_.prompter->message(
            kAppTitle,
            "The register could not be created on the site server: " + failureReason(e) + ".",
            MsgIcon::Exclamation);
        ErrorLog{state_.dataFolder, context_.clock}.report(e, " G_CreateRegister");
        return;
    }
    server.reset();
    writeLocationFile(state_.dataFolder, uri);
    reconnect_(uri);
}

void ServerCommands::openAtStartUp(Connection& db, QString& location) {
    usePasswordOfKeyring(location);
    try {
        db.open(location);
    } catch (const DbError& e) {
        if (e.kind() != DbErrorKind::Unreachable) {
            throw;
        }
        context_.prompter->message(kAppTitle,
                                   "Could not connect to the site server " +
                                       locationDisplayName(location) + ":\r\n" + e.description(),
                                   MsgIcon::Exclamation);
        const std::optional<ServerLogin> named = parseServerUri(location);
        QString uri;
        std::unique_ptr<Connection> server =
            askForServer(kServerTitle, named ? *named : initialLogin(), uri);
        if (!server) {
            throw;
        }
        server.reset();
        if (uri != location) {
            writeLocationFile(state_.dataFolder, uri);
            location = uri;
        }
        db.open(location);
    }
    offerRegister(db);
}

void ServerCommands::cmdCopyToServer_Click() {
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " cmdCopyToServer_Click", [&] {
        if (!state_.db || !state_.db->isOpen()) {
            context_.prompter->message(kAppTitle, "There is no register open to copy.",
                                       MsgIcon::Exclamation);
            return;
        }
        QString uri;
        std::unique_ptr<Connection> server = askForServer(kCopyTitle, initialLogin(), uri);
        if (!server) {
            return;
        }
        const QString name = locationDisplayName(uri);
        clearIfUnfinished(*server, kCopyTitle);
        RegisterCounts counts;
        try {
            CopyProgressDialog progress(utilities_.window(), kCopyTitle);
            counts = copyRegister(*state_.db, *server, progress.progress());
        } catch (const CopyCancelled&) {
            return;
        } catch (const DbError& e) {
            context_.prompter->message(kAppTitle,
                                       "The register was not copied to the site server " + name +
                                           ":\r\n" + e.description(),
                                       MsgIcon::Exclamation);
            log.report(e, " G_CopyRegister");
            return;
        }
        server.reset();
        const MsgAnswer answer = context_.prompter->message(
            kCopyTitle,
            "The register was copied to the site server " + name + ": " +
                countText(counts.sensors, "sensor", "sensors") + ", " +
                countText(counts.readings, "reading", "readings") + ", " +
                countText(counts.rows, "row", "rows") + " in " +
                countText(counts.tables.size(), "table", "tables") +
                ".\r\nUse the site server as this computer's database from now on?",
            MsgIcon::Question, MsgButtons::YesNo);
        if (answer != MsgAnswer::Yes) {
            return;
        }
        writeLocationFile(state_.dataFolder, uri);
        reconnect_(uri);
    });
}
