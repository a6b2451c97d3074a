#pragma once

#include "ui/Prompter.h"

#include <QString>

// The command line's way of showing what the windows would show in a box: each message goes to
// standard error. Nobody is there to answer, so a question gets its default button, or when it
// names none the answer that changes nothing (No, Cancel; Skip All where both answers skip);
// an input or a file choice is cancelled; and the message says so.
class CliPrompter : public Prompter {
public:
    MsgAnswer message(const QString& title, const QString& text, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok,
                      std::optional<MsgAnswer> defaultButton = std::nullopt) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& initial = {}) override;
    QString openFile(const QString& title, const QString& filter,
                     const QString& folder = {}) override;
};

// Writes a line to standard output or standard error, in UTF-8.
void printOut(const QString& line);
void printError(const QString& line);
