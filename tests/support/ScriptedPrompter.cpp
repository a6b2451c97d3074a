#include "support/ScriptedPrompter.h"

MsgAnswer ScriptedPrompter::message(const QString& title, const QString& text, MsgIcon icon,
                                    MsgButtons buttons, std::optional<MsgAnswer> defaultButton) {
    calls.push_back({"message", title, text, icon, buttons, {}, defaultButton});
    if (onMessage) {
        onMessage(calls.last());
    }
    if (!answers.isEmpty()) {
        return answers.dequeue();
    }
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                              : MsgAnswer::Ok;
}

std::optional<QString> ScriptedPrompter::input(const QString& title, const QString& prompt,
                                               const QString& initial) {
    calls.push_back(
        {"input", title, prompt, MsgIcon::None, MsgButtons::OkCancel, initial, std::nullopt});
    if (!inputs.isEmpty()) {
        return inputs.dequeue();
    }
    return std::nullopt;
}

QString ScriptedPrompter::openFile(const QString& title, const QString& filter,
                                   const QString& folder) {
    Q_UNUSED(folder);
    calls.push_back({"openFile", title, {}, MsgIcon::None, MsgButtons::Ok, filter, std::nullopt});
    return files.isEmpty() ? QString() : files.dequeue();
}

int ScriptedPrompter::choose(const QString& title, const QString& text,
                             const QStringList& options) {
    calls.push_back({"choose", title, text, MsgIcon::Question, MsgButtons::Ok, options.join('|'),
                     std::nullopt});
    return choices.isEmpty() ? 0 : choices.dequeue();
}

std::optional<ServerLoginAnswer> ScriptedPrompter::askServerLogin(const QString& title,
                                                                  const ServerLogin& initial) {
    calls.push_back({"serverLogin",
                     title,
                     {},
                     MsgIcon::None,
                     MsgButtons::OkCancel,
                     serverUri(initial),
                     std::nullopt});
    if (!serverLogins.isEmpty()) {
        return serverLogins.dequeue();
    }
    return std::nullopt;
}

QStringList ScriptedPrompter::messageTexts() const {
    QStringList texts;
    for (const Call& c : calls) {
        if (c.kind == "message") {
            texts << c.text;
        }
    }
    return texts;
}
