#pragma once

#include "ui/Desktop.h"
#include "ui/Prompter.h"

#include <cstdio>

// Seams for benchmarks that run the real windows: boxes are printed and take their default
// answer, nothing is opened on the desktop.
class SilentPrompter : public Prompter {
public:
    MsgAnswer message(const QString& title, const QString& text, MsgIcon, MsgButtons,
                      std::optional<MsgAnswer> defaultButton) override {
        std::fprintf(stderr, "message %s: %s\n", qPrintable(title), qPrintable(text));
        return defaultButton.value_or(MsgAnswer::Ok);
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
};

class NoDesktop : public Desktop {
public:
    bool open(const QString&) override { return false; }
};
