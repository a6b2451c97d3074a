#pragma once

#include <QSize>
#include <QString>
#include <Qt>

class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

// A caption label, right-aligned beside its box unless told otherwise; the layout places it.
QLabel* makeCaption(const QString& text, QWidget* parent,
                    Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter);

// A text box with its object name; the layout places it.
QLineEdit* makeBox(const QString& name, QWidget* parent);

// A text box that holds about `characters` characters and grows no wider.
QLineEdit* makeBox(const QString& name, QWidget* parent, int characters);

// Puts a caption and its box on one row of a grid, caption in column 0, box in column 1.
void addRow(QGridLayout& grid, int row, QLabel* caption, QWidget* box);

// The wanted size of a window, made smaller where the screen's free area is smaller (less a
// window manager's frame and title).
QSize fittedToScreen(const QWidget& window, const QSize& wanted);
