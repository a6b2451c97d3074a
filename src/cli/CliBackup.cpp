#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/ServerLocation.h"
#include "ui/AppContext.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace {
// The window backs up and restores the data folder's own file whichever file it has open; on
// the command line a file named otherwise would be a trap, so it is refused.
void requireDataFolderFile(const QString& location, const QString& dataFolder,
                           const QString& command) {
    const QString own = defaultDatabasePath(dataFolder);
    if (QFileInfo(location).absoluteFilePath() != QFileInfo(own).absoluteFilePath()) {
        throw CliFailure(QStringLiteral("%1 works on the data folder's database %2, not on %3")
                             .arg(command, own, location));
    }
}

QString databaseName(const QString& dataFolder) {
    return QFileInfo(defaultDatabasePath(dataFolder)).fileName();
}
} // namespace

void backupCommand(CliSession& session, const AppContext& context) {
    const QString dataFolder = session.dataFolder();
    if (session.db().isServer()) {
        const QString target =
            BackupServerRegister(session.db(), dataFolder, context.clock->today());
        printOut(QStringLiteral("The register on the site server %1 was backed up to %2.")
                     .arg(locationDisplayName(session.db().location()), target));
        return;
    }
    requireDataFolderFile(session.db().location(), dataFolder, QStringLiteral("backup"));
    session.db().close();
    const QString target = BackupDB(dataFolder, databaseName(dataFolder), context.clock->today());
    printOut(QStringLiteral("%1 was backed up to %2.").arg(databaseName(dataFolder), target));
}

void backupsCommand(const QString& dataFolder) {
    if (!QDir(backupFolder(dataFolder)).exists()) {
        printError(QStringLiteral("No backup has been made: %1 does not exist.")
                       .arg(backupFolder(dataFolder)));
        return;
    }
    for (const QString& name : ListBackups(dataFolder)) {
        printOut(name);
    }
}

// A file is restored without opening it first: a register that no longer opens is what a
// restore is for.
bool restoreFileCommand(const CommandLineArgs& args, const QString& dataFolder) {
    const QString location =
        args.database.isEmpty() ? chooseDatabase(dataFolder).path : args.database;
    if (isServerLocation(location)) {
        return false;
    }
    requireDataFolderFile(location, dataFolder, QStringLiteral("restore"));
    RestoreDB(dataFolder, databaseName(dataFolder), args.file);
    printOut(QStringLiteral("%1 was restored from %2.").arg(databaseName(dataFolder), args.file));
    return true;
}

void restoreServerCommand(CliSession& session, const CommandLineArgs& args) {
    std::optional<qint64> events;
    ignoring(session.log(), " G_CountEvents",
             [&] { events = eventsSinceBackup(session.db(), session.dataFolder(), args.file); });
    RestoreServerRegister(session.db(), session.dataFolder(), args.file);
    printOut(QStringLiteral("The register on the site server %1 was replaced with the backup %2. "
                            "%3")
                 .arg(locationDisplayName(session.db().location()), args.file,
                      eventsKeptSentence(events)));
}
