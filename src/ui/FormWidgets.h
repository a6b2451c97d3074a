#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// A caption label placed at a fixed spot, right-aligned beside its box unless told otherwise.
QLabel* makeCaption(const QString& text, QWidget* parent, const QRect& at,
                    Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter);

// A text box with its object name, placed at a fixed spot.
QLineEdit* makeBox(const QString& name, QWidget* parent, const QRect& at);
