#include "app/BackupCommands.h"

#include "app/ServerCommands.h"
#include "app/UtilitiesPage.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/Guard.h"
#include "store/ServerLocation.h"
#include "store/SiteAccess.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"

#include <QDir>
#include <QListWidget>
#include <optional>

namespace {
const QString kDatabaseName = QStringLiteral("QuorvelleVARLO_MM.mdb");
} // namespace

BackupCommands::BackupCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                               std::function<bool(const QString&)> reconnect, QObject* parent)
    : QObject(parent), state_(state), context_(context), utilities_(utilities),
      reconnect_(std::move(reconnect)) {
    connect(utilities_.backup.image, &ClickableLabel::clicked, this,
            &BackupCommands::imgBackup_Click);
    connect(utilities_.restore.image, &ClickableLabel::clicked, this,
            &BackupCommands::imgRestore_Click);
    // Before the first backup there is no backup folder and nothing to list.
    utilities_.listBackups = [this] {
        if (!QDir(backupFolder(state_.dataFolder)).exists()) {
            utilities_.lstFiles->clear();
            return;
        }
        guarded(ErrorLog{state_.dataFolder, context_.clock}, " ListBackups",
                [&] { ListBackups(); });
    };
}

void BackupCommands::imgBackup_Click() {
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " imgBackup_Click", [&] {
        const QString server = isServerLocation(state_.dbPath) ? state_.dbPath : QString();
        state_.rsReadings.reset();
        if (state_.db) {
            state_.db->close();
        }
        try {
            if (server.isEmpty()) {
                // A copy of a large register takes seconds, with nothing else on screen.
                const WaitCursor busy;
                BackupDB(state_.dataFolder, kDatabaseName, context_.clock->today());
            } else {
                Connection source;
                source.open(server);
                CopyProgressDialog progress(utilities_.window(), "Backup Database");
                BackupServerRegister(source, state_.dataFolder, context_.clock->today(),
                                     progress.progress());
            }
            context_.prompter->message(kOmbrevaultTitle, "Backup was successful",
                                       MsgIcon::Information);
            state_.tellResult(QStringLiteral("Backup was successful"));
        } catch (const CopyCancelled&) {
            // The earlier backup of the day, if any, stays as it was.
        } catch (const DbError& e) {
            const QString name = server.isEmpty() ? kDatabaseName : locationDisplayName(server);
            context_.prompter->message(kAppTitle,
                                       "Error encountered during backup process of " + name);
            state_.tellResult("No backup was made of " + name + ": " + failureReason(e) + ".");
            log.report(e, " G_BackupDB");
        }
        if (!reconnect_(server.isEmpty() ? defaultDatabasePath(state_.dataFolder) : server)) {
            return;
        }
        ListBackups();
    });
}

void BackupCommands::imgRestore_Click() {
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " imgRestore_Click", [&] {
        QListWidget* list = utilities_.lstFiles;
        if (list->currentRow() == 0) {
            context_.prompter->message(kAppTitle,
                                       "Please choose a file from the list to restore from");
            return;
        }
        const QString backupName = list->currentItem() ? list->currentItem()->text() : QString();
        const MsgAnswer answer = context_.prompter->message(
            "Ombrevault's QUORVELLE",
            "Restoring Quorvelle from backup " + backupName +
                "\r\nwill permanently overwrite current database. Continue?",
            MsgIcon::Exclamation, MsgButtons::YesNo);
        if (answer != MsgAnswer::Yes) {
            return;
        }
        const QString server = isServerLocation(state_.dbPath) ? state_.dbPath : QString();
        // The server's register is every engineer's: replacing it is confirmed once more.
        if (!server.isEmpty()) {
            std::optional<qint64> events;
            if (state_.db && state_.db->isOpen()) {
                guarded(log, " G_CountEvents", [&] {
                    events = eventsSinceBackup(*state_.db, state_.dataFolder, backupName);
                });
            }
            if (context_.prompter->message(
                    "Ombrevault's QUORVELLE",
                    "The register on the site server " + locationDisplayName(server) +
                        " is shared by everyone who connects to it.\r\n" +
                        eventsKeptSentence(events) + "\r\nReplace it with the backup " +
                        backupName + "?",
                    MsgIcon::Exclamation, MsgButtons::YesNo, MsgAnswer::No) != MsgAnswer::Yes) {
                return;
            }
        }
        state_.rsReadings.reset();
        if (state_.db) {
            state_.db->close();
        }
        try {
            if (server.isEmpty()) {
                CopyProgressDialog progress(
                    utilities_.window(), "Restore from Backup", [](qint64 done, qint64 total) {
                        const auto mib = [](qint64 bytes) { return (bytes + 524288) / 1048576; };
                        return QStringLiteral("%1 of %2 MiB restored")
                            .arg(mib(done))
                            .arg(mib(total));
                    });
                RestoreDB(state_.dataFolder, kDatabaseName, backupName, progress.progress());
            } else {
                Connection target;
                target.open(server);
                CopyProgressDialog progress(utilities_.window(), "Restore from Backup");
                RestoreServerRegister(target, state_.dataFolder, backupName, progress.progress());
            }
            context_.prompter->message(kOmbrevaultTitle, "Restore was successful",
                                       MsgIcon::Information);
        } catch (const CopyCancelled&) {
            // The register stays as it was.
        } catch (const DbError& e) {
            // A login the server does not let restore is told why in the role's words.
            context_.prompter->message(
                kAppTitle, isRefusal(e)
                               ? e.description()
                               : QStringLiteral("Error encountered during restore process"));
            log.report(e, " G_RestoreDB");
        }
        reconnect_(server.isEmpty() ? defaultDatabasePath(state_.dataFolder) : server);
    });
}

void BackupCommands::ListBackups() {
    QListWidget* list = utilities_.lstFiles;
    list->clear();
    const QStringList names = ::ListBackups(state_.dataFolder);
    if (names.isEmpty()) {
        return;
    }
    list->addItem("List of Backups:");
    list->addItems(names);
    list->setCurrentRow(0);
}
