#pragma once

#include "store/ServerLocation.h"

#include <QString>
#include <QStringList>
#include <optional>

// Icons and buttons of a message box, as the messages name them.
enum class MsgIcon { None, Information, Exclamation, Critical, Question };
// OkSkipAll: OK, and "Skip All" to give the same answer to every further box of its kind.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, OkSkipAll };
enum class MsgAnswer { Ok, Cancel, Yes, No, SkipAll };

// What the site server dialog gives back: the server, and a password typed for this run
// (empty when libpq is to find it in PGPASSWORD or ~/.pgpass).
struct ServerLoginAnswer {
    ServerLogin login;
    QString password;
};

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
    // A question answered by one of several buttons, captioned by options in order; the
    // index of the one chosen, or -1 when the box was closed. A prompter without windows
    // answers -1.
    virtual int choose(const QString& title, const QString& text, const QStringList& options);
    // The site server dialog, filled with initial; nullopt when cancelled. A prompter without
    // windows answers nullopt.
    virtual std::optional<ServerLoginAnswer> askServerLogin(const QString& title,
                                                            const ServerLogin& initial);
};

// The title of boxes that name none.
inline const QString kAppTitle = QStringLiteral("Quorvelle");
// The title of most informational and warning boxes.
inline const QString kOmbrevaultTitle = QStringLiteral("Ombrevault's Quorvelle");
