#include "charts/ScaleSelector.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

ScaleSelector::ScaleSelector(QWidget* parent)
    : QWidget(parent), caption_(new QLabel(QStringLiteral("Scale X axis (mm):"), this)),
      combo_(new QComboBox(this)) {
    caption_->setObjectName(QStringLiteral("lblscale"));
    combo_->setObjectName(QStringLiteral("cboScale"));
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->addItems({QStringLiteral("AutoScale"), QStringLiteral("25"), QStringLiteral("50"),
                      QStringLiteral("75"), QStringLiteral("100"), QStringLiteral("125")});
    combo_->setCurrentIndex(0);
    caption_->setBuddy(combo_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(caption_);
    layout->addWidget(combo_);
}

QString ScaleSelector::text() const {
    return combo_->currentText();
}
