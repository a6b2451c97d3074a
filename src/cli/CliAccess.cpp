#include "charts/BatchState.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "site/SiteTables.h"
#include "store/DataFolder.h"
#include "store/ServerLocation.h"
#include "store/SiteAccess.h"

#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {
// The password of a new login: typed at the terminal without echo, or the first line of
// standard input when that is not a terminal. It is never printed or logged.
QString readNewPassword(const QString& login) {
    std::string line;
    if (::isatty(STDIN_FILENO) == 0) {
        std::getline(std::cin, line);
        return QString::fromStdString(line);
    }
    printError("Password for the new login " + login + " (empty for none): ");
    termios saved{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    std::getline(std::cin, line);
    if (quiet) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    }
    printError(QString());
    return QString::fromStdString(line);
}

AccessRole roleArgument(const QString& name) {
    const std::optional<AccessRole> role = accessRoleOf(name);
    if (!role) {
        throw CliFailure("There is no role \"" + name +
                         "\"; a login is a viewer, an engineer or an admin.");
    }
    return *role;
}

void requirePreparedServer(Connection& db) {
    if (!db.isServer()) {
        throw CliFailure(QStringLiteral("A database file has no logins: every user of the "
                                        "computer has full rights on it."));
    }
    if (!isPreparedServer(db)) {
        throw CliFailure(QStringLiteral("The site server has no logins of the register yet; its "
                                        "owner prepares it with: quorvelle --database URI server "
                                        "init --admin NAME"));
    }
}
} // namespace

void serverCommand(const CommandLineArgs& args, const QString& dataFolder) {
    const QString location =
        args.database.isEmpty() ? chooseDatabase(dataFolder).path : args.database;
    if (!isServerLocation(location)) {
        throw CliFailure(QStringLiteral("server init works on a site server: give --database "
                                        "postgresql://owner@host:5432/database"));
    }
    Connection db;
    db.open(location);
    prepareServer(db, args.admin, defaultDatabasePath(dataFolder));
    // The side tables the roles fill are made by the owner here, then given their privileges.
    db.inTransaction([&] { createSiteTablesWithin(db); });
    createBatchStateTable(db);
    prepareServer(db, args.admin, defaultDatabasePath(dataFolder));
    printOut(QStringLiteral("The site server %1 is prepared: roles %2, %3 and %4; %5 is an "
                            "administrator")
                 .arg(locationDisplayName(location), kViewerRole, kEngineerRole, kAdminRole,
                      args.admin));
}

void usersCommand(CliSession& session, const CommandLineArgs& args) {
    Connection& db = session.db();
    requirePreparedServer(db);
    const QString action = args.words.value(0);
    const QString name = args.words.value(1);
    if (action == QLatin1String("list")) {
        QList<QStringList> table{{QStringLiteral("Login"), QStringLiteral("Role")}};
        for (const SiteLogin& login : siteLogins(db)) {
            table.append({login.name, accessRoleName(login.role)});
        }
        for (const QString& line : alignedLines(table)) {
            printOut(line);
        }
        return;
    }
    if (action == QLatin1String("add")) {
        const AccessRole role = roleArgument(args.role);
        const QString problem = loginNameProblem(name);
        if (!problem.isEmpty()) {
            throw CliFailure(problem);
        }
        addSiteLogin(db, name, role, readNewPassword(name));
        printOut(QStringLiteral("Added the login %1 as %2").arg(name, accessRoleName(role)));
    } else if (action == QLatin1String("remove")) {
        removeSiteLogin(db, name);
        printOut(QStringLiteral("Removed the login %1").arg(name));
    } else {
        const AccessRole role = roleArgument(args.words.value(2));
        setSiteLoginRole(db, name, role);
        printOut(QStringLiteral("The login %1 is now %2").arg(name, accessRoleName(role)));
    }
}
