#include "sensors/InstallationPage.h"

InstallationPage::InstallationPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageInstallation");
}
