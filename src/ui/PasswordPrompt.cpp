#include "ui/PasswordPrompt.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>

PasswordPrompt qtPasswordPrompt(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    return [owner](const QString& title, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(owner, title, prompt, QLineEdit::Password, QString(), &ok);
        if (!ok) {
            return std::nullopt;
        }
        return text;
    };
}
