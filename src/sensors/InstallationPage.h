#pragma once

#include "app/TabPage.h"

// Tab "2. Installation": where and how the sensor is installed.
class InstallationPage : public TabPage {
    Q_OBJECT
public:
    explicit InstallationPage(QWidget* parent = nullptr);
};
