#pragma once

#include <QStringList>

class QComboBox;

// The texts a combo box lists, in order.
QStringList comboItems(const QComboBox* box);
