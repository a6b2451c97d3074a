#pragma once

#include <QObject>
#include <functional>

struct AppState;
struct AppContext;
class UtilitiesPage;

// "Backup Database" and "Restore from Backup" of the Utilities tab, and the list of backups.
// Both work on the default database file and end by reconnecting to it.
class BackupCommands : public QObject {
    Q_OBJECT
public:
    // reconnect closes what is open and opens the default database again, filling the
    // sensor list in ascending order; it returns false when the program must end.
    BackupCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                   std::function<bool()> reconnect, QObject* parent = nullptr);

    void imgBackup_Click();
    void imgRestore_Click();
    // Refills lstFiles; a missing backup folder raises and leaves the list empty.
    void ListBackups();

private:
    AppState& state_;
    const AppContext& context_;
    UtilitiesPage& utilities_;
    std::function<bool()> reconnect_;
};
