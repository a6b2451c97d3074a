#pragma once

#include "ui/Prompter.h"

class QWidget;

// Prompter over Qt's standard dialogs.
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgAnswer message(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons,
                      std::optional<MsgAnswer> defaultButton) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& initial) override;
    QString openFile(const QString& title, const QString& filter, const QString& folder) override;

private:
    QWidget* parent_;
};
