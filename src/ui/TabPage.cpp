#include "ui/TabPage.h"

#include <QVBoxLayout>

TabPage::TabPage(QWidget* parent) : QWidget(parent) {}

TabPage::~TabPage() = default;

void TabPage::sizeOnceShown() {
    sized_ = isVisible();
}

QSize TabPage::sizeHint() const {
    return sized_ ? QWidget::sizeHint() : QSize();
}

QSize TabPage::minimumSizeHint() const {
    return sized_ ? QWidget::minimumSizeHint() : QSize();
}

bool TabPage::hasHeightForWidth() const {
    return sized_ && QWidget::hasHeightForWidth();
}

void TabPage::showEvent(QShowEvent* event) {
    if (!sized_) {
        sized_ = true;
        updateGeometry();
    }
    QWidget::showEvent(event);
}

DeferredPage::DeferredPage(std::function<TabPage*(QWidget* holder)> build, QWidget* parent)
    : TabPage(parent), build_(std::move(build)) {}

QString DeferredPage::enter() {
    if (page_ == nullptr) {
        page_ = build_(this);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(page_);
        page_->show();
    }
    return page_->enter();
}

void DeferredPage::leave() {
    if (page_ != nullptr) {
        page_->leave();
    }
}
