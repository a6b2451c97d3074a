#include "ui/QtPrompter.h"

#include "ui/frmServerLogin.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
QMessageBox::Icon toIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toButtons(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::Ok:
    case MsgButtons::OkSkipAll:
        break;
    }
    return QMessageBox::Ok;
}
QMessageBox::StandardButton toButton(MsgAnswer answer) {
    switch (answer) {
    case MsgAnswer::Yes:
        return QMessageBox::Yes;
    case MsgAnswer::No:
        return QMessageBox::No;
    case MsgAnswer::Cancel:
        return QMessageBox::Cancel;
    case MsgAnswer::Ok:
    case MsgAnswer::SkipAll:
        break;
    }
    return QMessageBox::Ok;
}

// Turns "Name (*.ext) | *.ext" pairs, as the messages give them, into Qt's filter form.
QString qtFilter(const QString& filter) {
    if (!filter.contains('|')) {
        return filter;
    }
    const QStringList parts = filter.split('|');
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        names << (name.contains('(') ? name : name + " (" + parts[i + 1].trimmed() + ")");
    }
    return names.join(";;");
}
} // namespace

MsgAnswer QtPrompter::message(const QString& title, const QString& text, MsgIcon icon,
                              MsgButtons buttons, std::optional<MsgAnswer> defaultButton) {
    QMessageBox box(toIcon(icon), title, text, toButtons(buttons), parent_);
    QAbstractButton* skipAll = buttons == MsgButtons::OkSkipAll
                                   ? box.addButton("Skip All", QMessageBox::AcceptRole)
                                   : nullptr;
    if (defaultButton && *defaultButton != MsgAnswer::SkipAll) {
        box.setDefaultButton(toButton(*defaultButton));
    }
    int answer = box.exec();
    if (skipAll != nullptr && box.clickedButton() == skipAll) {
        return MsgAnswer::SkipAll;
    }
    // A box ended with no button clicked (the program asked to end while it was open) takes the
    // answer its Escape key gives, never the go-ahead of its first button.
    if (box.clickedButton() == nullptr) {
        const QMessageBox::StandardButtons offered = box.standardButtons();
        if (offered.testFlag(QMessageBox::Cancel)) {
            answer = QMessageBox::Cancel;
        } else if (offered.testFlag(QMessageBox::No)) {
            answer = QMessageBox::No;
        }
    }
    switch (answer) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return MsgAnswer::Ok;
    }
}

std::optional<QString> QtPrompter::input(const QString& title, const QString& prompt,
                                         const QString& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

QString QtPrompter::openFile(const QString& title, const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(parent_, title, folder, qtFilter(filter));
}

int QtPrompter::choose(const QString& title, const QString& text, const QStringList& options) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent_);
    QList<QAbstractButton*> buttons;
    for (const QString& option : options) {
        buttons << box.addButton(option, QMessageBox::AcceptRole);
    }
    // Closing the box is a cancel, whichever buttons it offers.
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.setDefaultButton(buttons.isEmpty() ? nullptr : qobject_cast<QPushButton*>(buttons[0]));
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

std::optional<ServerLoginAnswer> QtPrompter::askServerLogin(const QString& title,
                                                            const ServerLogin& initial) {
    frmServerLogin dialog(initial, parent_);
    dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.answer();
}
