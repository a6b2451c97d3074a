#pragma once

#include <QString>
#include <optional>

// Icons and buttons of a message box, as the messages name them.
enum class MsgIcon { None, Information, Exclamation, Critical, Question };
// OkSkipAll: OK, and "Skip All" to give the same answer to every further box of its kind.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, OkSkipAll };
enum class MsgAnswer { Ok, Cancel, Yes, No, SkipAll };

// The only way the program shows a dialog. The real one uses Qt's standard dialogs; tests
// use a scripted one that records every call and answers from a queue.
class Prompter {
public:
    virtual ~Prompter() = default;

    // defaultButton is the answer Enter gives; none leaves the box's own first button.
    virtual MsgAnswer message(const QString& title, const QString& text,
                              MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok,
                              std::optional<MsgAnswer> defaultButton = std::nullopt) = 0;
    // Text input; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& title, const QString& prompt,
                                         const QString& initial = {}) = 0;
    // File to open; empty when cancelled. filter uses Qt's "Name (*.ext)" form.
    virtual QString openFile(const QString& title, const QString& filter,
                             const QString& folder = {}) = 0;
};

// The title of boxes that name none.
inline const QString kAppTitle = QStringLiteral("Quorvelle");
// The title of most informational and warning boxes.
inline const QString kOmbrevaultTitle = QStringLiteral("Ombrevault's Quorvelle");
