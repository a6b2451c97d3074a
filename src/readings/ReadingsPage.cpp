#include "readings/ReadingsPage.h"

ReadingsPage::ReadingsPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageReadings");
}
