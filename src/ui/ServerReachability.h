#pragma once

#include "ui/Prompter.h"

#include <QObject>
#include <QString>
#include <memory>

class Connection;
class DbError;
class QStatusBar;

// The status bar says so while the site server cannot be reached, until a statement reaches
// it again.
inline const QString kServerUnreachableStatus =
    QStringLiteral("The site server cannot be reached; the register cannot be read or changed "
                   "until it answers again.");

// Keeps the user told while the site server cannot be reached: the status bar says so, and a
// command that a lost server stopped is told once when it has ended, unless it showed a box of
// its own about it.
class ServerReachability : public QObject {
    Q_OBJECT
public:
    ServerReachability(Prompter& prompter, QStatusBar& statusBar, QObject* parent = nullptr);
    ~ServerReachability() override;

    // The prompter for the windows: the given one, with the boxes it shows counted.
    Prompter* prompter();
    // Follows the connection's refusals from now on.
    void watch(Connection& db);
    // A statement was refused for want of the server (failure), or reached it again (null).
    void changed(const DbError* failure);

private:
    void tellRefusal();

    class CountingPrompter;
    std::unique_ptr<CountingPrompter> prompter_;
    QStatusBar& statusBar_;
    bool tellPending_ = false;
    int boxesBefore_ = 0;
    QString reason_;
};
