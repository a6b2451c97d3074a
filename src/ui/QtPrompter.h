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
    int choose(const QString& title, const QString& text, const QStringList& options) override;
    std::optional<ServerLoginAnswer> askServerLogin(const QString& title,
                                                    const ServerLogin& initial) override;

private:
    QWidget* parent_;
};
