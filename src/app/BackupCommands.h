#pragma once

#include <QObject>
#include <functional>

struct AppState;
struct AppContext;
class UtilitiesPage;

// "Backup Database" and "Restore from Backup" of the Utilities tab, and the list of backups.
// On a database file both work on the default database file and end by reconnecting to it;
// on a site server they work on the server's register and reconnect to the server.
class BackupCommands : public QObject {
    Q_OBJECT
public:
    // reconnect closes what is open and opens the location given, filling the sensor list in
    // ascending order; it returns false when the program must end.
    BackupCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                   std::function<bool(const QString&)> reconnect, QObject* parent = nullptr);

    void imgBackup_Click();
    void imgRestore_Click();
    // Refills lstFiles; a missing backup folder raises and leaves the list empty.
    void ListBackups();

private:
    AppState& state_;
    const AppContext& context_;
    UtilitiesPage& utilities_;
    std::function<bool(const QString&)> reconnect_;
};
