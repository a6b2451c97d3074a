#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

// The running copy listens on a local socket of the user's own; a second start, refused by
// the instance lock, connects to it and asks for the running window to be brought forward.
class RaiseListener : public QObject {
    Q_OBJECT
public:
    explicit RaiseListener(const QString& name = defaultName(), QObject* parent = nullptr);

    // Starts listening, in place of a socket a crashed copy left behind; false when the
    // socket cannot be made (the program runs on, a second start then only says so).
    bool listen();

    // In the user's runtime directory, beside the instance lock.
    static QString defaultName();

signals:
    void raiseRequested();

private:
    void takeConnection();

    QString name_;
    QLocalServer* server_;
};

// Asks the running copy to bring its window forward; false when none answered.
bool askRunningCopyToRaise(const QString& name = RaiseListener::defaultName());

// Shows the window, restored if it was minimised, above the others and active.
void bringForward(QWidget& window);
