#include "ui/FormWidgets.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

QLabel* makeCaption(const QString& text, QWidget* parent, Qt::Alignment align) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(align);
    return label;
}

QLineEdit* makeBox(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QLineEdit* makeBox(const QString& name, QWidget* parent, int characters) {
    QLineEdit* edit = makeBox(name, parent);
    // Room for the characters plus the frame and text margins.
    edit->setMaximumWidth(edit->fontMetrics().averageCharWidth() * characters + 16);
    return edit;
}

void addRow(QGridLayout& grid, int row, QLabel* caption, QWidget* box) {
    grid.addWidget(caption, row, 0);
    grid.addWidget(box, row, 1);
}

QSize fittedToScreen(const QWidget& window, const QSize& wanted) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return wanted;
    }
    const QSize frame(16, 40);
    return wanted.boundedTo(screen->availableGeometry().size() - frame);
}
