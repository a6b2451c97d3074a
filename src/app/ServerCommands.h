#pragma once

#include "logger/LoggerProgressDialog.h"
#include "store/RegisterCopy.h"
#include "store/ServerLocation.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

struct AppState;
struct AppContext;
class Connection;
class UtilitiesPage;
class Keyring;
class QWidget;

// The progress of copying a register (to a server, into a backup, back from one): a dialog
// with Cancel under the command's title, shown when the copy runs past half a second.
class CopyProgressDialog {
public:
    // The label tells rows copied, unless label is given.
    CopyProgressDialog(QWidget* parent, const QString& title,
                       std::function<QString(qint64 done, qint64 total)> label = {});
    CopyProgress progress();

private:
    LoggerProgressDialog dialog_;
};

// The site server side of the Utilities tab: choosing a server as the database location,
// opening a server location at start-up, and "Copy Register to Server".
class ServerCommands : public QObject {
    Q_OBJECT
public:
    // reconnect opens the location in place of the database in use and shows its sensors;
    // it returns false when the program must end.
    ServerCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                   std::function<bool(const QString&)> reconnect, QObject* parent = nullptr);

    // The server choice of "Change Database Location": the server dialog until a connection
    // opens, the offer of a register when the server has none, then the location file is
    // written and the program reconnects. Cancelling at any step changes nothing.
    void chooseServer();

    // Opens a server location at start-up. A server that cannot be reached gets the server
    // dialog, so that a password can be typed or the login put right; a changed login is
    // written to the location file once it connects. Cancelling raises the first failure.
    // A server without a register is offered one.
    void openAtStartUp(Connection& db, QString& location);

    // The desktop keyring that keeps remembered passwords; without one none is offered.
    void setKeyring(Keyring* keyring) { keyring_ = keyring; }

    // "Copy Register to Server": copies the register in use into an empty server database,
    // tells the counts, and offers to use the server from then on.
    void cmdCopyToServer_Click();

private:
    // Shows the server dialog until a connection opens (nullptr when cancelled); a failure
    // is told with its reason and the dialog shown again with what was typed.
    std::unique_ptr<Connection> askForServer(const QString& title, ServerLogin initial,
                                             QString& uri);
    // True when the server holds a register, or the user had one created there. Tables an
    // interrupted copy left are offered to be cleared first.
    bool offerRegister(Connection& server);
    // When the server holds only the empty tables an interrupted copy left, asks whether to
    // clear them (No by default) and does so on Yes; a failure to clear is told and logged.
    void clearIfUnfinished(Connection& server, const QString& title);
    ServerLogin initialLogin() const;
    // Offers to keep a typed password that opened a connection in the desktop's keyring, and
    // says how to keep it in ~/.pgpass where the keyring does not answer.
    void offerToRemember(const ServerLogin& login, const QString& password);
    // The password the keyring keeps for the location's login, for the connections of the run.
    void usePasswordOfKeyring(const QString& location);

    AppState& state_;
    const AppContext& context_;
    UtilitiesPage& utilities_;
    std::function<bool(const QString&)> reconnect_;
    // The last password typed that opened a connection; kept for the run only.
    QString workingPassword_;
    Keyring* keyring_ = nullptr;
};
