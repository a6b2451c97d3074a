#pragma once

#include "app/TabPage.h"

// Tab "3. Readings": the current reading of the current sensor.
class ReadingsPage : public TabPage {
    Q_OBJECT
public:
    explicit ReadingsPage(QWidget* parent = nullptr);
};
