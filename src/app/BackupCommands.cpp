#include "app/BackupCommands.h"

#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"
#include "app/UtilitiesPage.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/Guard.h"

#include <QListWidget>

namespace {
const QString kDatabaseName = QStringLiteral("QuorvelleVARLO_MM.mdb");
}

BackupCommands::BackupCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                               std::function<bool()> reconnect, QObject* parent)
    : QObject(parent), state_(state), context_(context), utilities_(utilities),
      reconnect_(std::move(reconnect)) {
    connect(utilities_.backup.image, &ClickableLabel::clicked, this,
            &BackupCommands::imgBackup_Click);
    connect(utilities_.restore.image, &ClickableLabel::clicked, this,
            &BackupCommands::imgRestore_Click);
}

void BackupCommands::imgBackup_Click() {
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " imgBackup_Click", [&] {
        state_.rsReadings.reset();
        if (state_.db) {
            state_.db->close();
        }
        try {
            BackupDB(state_.dataFolder, kDatabaseName, context_.clock->today());
            context_.prompter->message(kOmbrevaultTitle, "Backup was successful",
                                       MsgIcon::Information);
        } catch (const DbError& e) {
            context_.prompter->message(kAppTitle, "Error encountered during backup process of " +
                                                      kDatabaseName);
            log.report(e, " G_BackupDB");
        }
        if (!reconnect_()) {
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
        state_.rsReadings.reset();
        if (state_.db) {
            state_.db->close();
        }
        try {
            RestoreDB(state_.dataFolder, kDatabaseName, backupName);
            context_.prompter->message(kOmbrevaultTitle, "Restore was successful",
                                       MsgIcon::Information);
        } catch (const DbError& e) {
            context_.prompter->message(kAppTitle, "Error encountered during restore process");
            log.report(e, " G_RestoreDB");
        }
        reconnect_();
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
