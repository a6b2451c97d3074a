#pragma once

#include "ui/Desktop.h"
#include "ui/Notifier.h"
#include "ui/Prompter.h"

#include <QQueue>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

// A prompter that records every call and answers from queues. With nothing queued, a
// message gets Ok (or Yes for a question), an input gets cancelled and a file choice empty.
class ScriptedPrompter : public Prompter {
public:
    struct Call {
        QString kind; // "message", "input", "openFile", "choose" or "serverLogin"
        QString title;
        QString text;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        QString extra; // input's initial text, the file filter, the options joined by "|" or
                       // the server login's URI
        std::optional<MsgAnswer> defaultButton;
    };

    MsgAnswer message(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons,
                      std::optional<MsgAnswer> defaultButton) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& initial) override;
    QString openFile(const QString& title, const QString& filter, const QString& folder) override;
    // With nothing queued, a choice takes the first option and the server dialog is cancelled.
    int choose(const QString& title, const QString& text, const QStringList& options) override;
    std::optional<ServerLoginAnswer> askServerLogin(const QString& title,
                                                    const ServerLogin& initial) override;

    QQueue<MsgAnswer> answers;
    QQueue<int> choices;
    QQueue<std::optional<ServerLoginAnswer>> serverLogins;
    QQueue<std::optional<QString>> inputs;
    QQueue<QString> files;
    QVector<Call> calls;
    // Runs as each message is shown, before it is answered: for what the program has stored
    // by then.
    std::function<void(const Call&)> onMessage;

    QStringList messageTexts() const;
    const Call& last() const { return calls.last(); }
    void clear() { calls.clear(); }
};

// Records the files and addresses the program asked to open.
class RecordingDesktop : public Desktop {
public:
    bool open(const QString& fileOrUrl) override {
        opened << fileOrUrl;
        return succeed;
    }
    QStringList opened;
    bool succeed = true;
};

// Records the desktop notifications the program sent.
class RecordingNotifier : public Notifier {
public:
    struct Notice {
        QString summary;
        QString body;
    };
    void notify(const QString& summary, const QString& body) override {
        notices << Notice{summary, body};
    }
    QVector<Notice> notices;
};
