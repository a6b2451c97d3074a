#pragma once

#include <QObject>

class QSocketNotifier;
class frmQuorvelle;

// The signals that ask a program to end: SIGTERM (the desktop session ending, the system shutting
// down), SIGHUP (the terminal it was started from closing) and SIGINT (Ctrl+C there). By default
// each ends the process at once, and what was typed and not yet stored is lost; while this object
// lives, each is told as endRequested on the thread's event loop instead. One object at a time
// takes them; the handlers before it come back when it ends.
class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;

    // False when the signals could not be taken (another object has them, or no socket pair
    // could be made): they keep their default action.
    bool listening() const { return notifier_ != nullptr; }

signals:
    void endRequested();

private:
    void take();

    QSocketNotifier* notifier_ = nullptr;
};

// Runs the program's event loop until it ends, and returns its exit status. An end signal ends
// it as closing the window does, so that what was typed is stored first. Every event loop of the
// thread is ended as it is returned to, a dialog's loop included (its question answered as its
// Escape key would); the window is then closed from outside the loop, with no command of its own
// running: first the dialogs still open over it, as their own close button would, then itself.
int runUntilEnded(frmQuorvelle& window);
