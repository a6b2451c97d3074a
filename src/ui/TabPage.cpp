#include "ui/TabPage.h"

TabPage::TabPage(QWidget* parent) : QWidget(parent) {}

TabPage::~TabPage() = default;
