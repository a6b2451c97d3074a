#include "ui/ServerReachability.h"

#include "store/Connection.h"
#include "store/DbError.h"

#include <QStatusBar>
#include <QTimer>

class ServerReachability::CountingPrompter : public Prompter {
public:
    explicit CountingPrompter(Prompter& inner) : inner_(inner) {}

    MsgAnswer message(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons,
                      std::optional<MsgAnswer> defaultButton) override {
        // Counted before it shows: the box's own event loop may end the command's turn.
        ++boxes;
        return inner_.message(title, text, icon, buttons, defaultButton);
    }
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& initial) override {
        return inner_.input(title, prompt, initial);
    }
    QString openFile(const QString& title, const QString& filter, const QString& folder) override {
        return inner_.openFile(title, filter, folder);
    }
    int choose(const QString& title, const QString& text, const QStringList& options) override {
        return inner_.choose(title, text, options);
    }
    std::optional<ServerLoginAnswer> askServerLogin(const QString& title,
                                                    const ServerLogin& initial) override {
        return inner_.askServerLogin(title, initial);
    }

    int boxes = 0;

private:
    Prompter& inner_;
};

ServerReachability::ServerReachability(Prompter& prompter, QStatusBar& statusBar, QObject* parent)
    : QObject(parent), prompter_(std::make_unique<CountingPrompter>(prompter)),
      statusBar_(statusBar) {}

ServerReachability::~ServerReachability() = default;

Prompter* ServerReachability::prompter() {
    return prompter_.get();
}

void ServerReachability::watch(Connection& db) {
    // A connection just opened has reached its database.
    statusBar_.clearMessage();
    db.setReachabilityListener([this](const DbError* failure) { changed(failure); });
}

void ServerReachability::changed(const DbError* failure) {
    if (failure == nullptr) {
        statusBar_.clearMessage();
        return;
    }
    statusBar_.showMessage(kServerUnreachableStatus);
    reason_ = failureReason(*failure);
    if (tellPending_) {
        return;
    }
    // Told once the command's turn of the event loop has ended: the statement that failed
    // is deep inside it, and its caller may tell the failure itself.
    tellPending_ = true;
    boxesBefore_ = prompter_->boxes;
    QTimer::singleShot(0, this, &ServerReachability::tellRefusal);
}

void ServerReachability::tellRefusal() {
    tellPending_ = false;
    if (prompter_->boxes != boxesBefore_) {
        return;
    }
    prompter_->message(kAppTitle, "This cannot be done now: " + reason_ + ".", MsgIcon::Exclamation,
                       MsgButtons::Ok, std::nullopt);
}
