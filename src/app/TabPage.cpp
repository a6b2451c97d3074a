#include "app/TabPage.h"

TabPage::TabPage(QWidget* parent) : QWidget(parent) {}

TabPage::~TabPage() = default;
