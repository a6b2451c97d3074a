#include "ui/FormWidgets.h"

#include <QLabel>
#include <QLineEdit>

QLabel* makeCaption(const QString& text, QWidget* parent, const QRect& at, Qt::Alignment align) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(at);
    label->setAlignment(align);
    return label;
}

QLineEdit* makeBox(const QString& name, QWidget* parent, const QRect& at) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(at);
    return edit;
}
