#include "sensors/TemperatureCorrectionBlock.h"

#include "store/DbError.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <algorithm>

namespace {

QString valueText(double value) {
    return QString::number(value, 'g', 12);
}

} // namespace

TemperatureCorrectionBlock::TemperatureCorrectionBlock(QWidget* parent)
    : QGroupBox(QStringLiteral("Temperature Correction:"), parent) {
    setObjectName(QStringLiteral("fraTemperatureCorrection"));
    // The mode on top, the node boxes in two columns of four, the expansion under them.
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(2);
    mode_ = new QComboBox(this);
    mode_->setObjectName(QStringLiteral("cboCorrection"));
    mode_->addItems({QStringLiteral("Off"), QStringLiteral("Coefficient per node (mm/°C)"),
                     QStringLiteral("Free length per node (m)")});
    grid->addWidget(mode_, 0, 0, 1, 5);
    connect(mode_, &QComboBox::activated, this, [this] { commitMode(); });
    for (int n = 0; n < MaxDispNodes; ++n) {
        const int column = (n / 4) * 3;
        const int row = 1 + n % 4;
        auto* caption = new QLabel(QStringLiteral("Node %1:").arg(n + 1), this);
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtCorrection%1").arg(n + 1));
        box->setFixedWidth(64);
        grid->addWidget(caption, row, column);
        grid->addWidget(box, row, column + 1);
        connect(box, &QLineEdit::editingFinished, this, [this, n] { commitBox(n); });
        captions_ << caption;
        boxes_ << box;
    }
    grid->setColumnMinimumWidth(2, 8);
    auto* caption = new QLabel(QStringLiteral("Expansion:"), this);
    expansion_ = new QLineEdit(this);
    expansion_->setObjectName(QStringLiteral("txtExpansion"));
    expansion_->setFixedWidth(90);
    expansion_->setPlaceholderText(QString::number(kStrandExpansion, 'g', 6));
    expansion_->setToolTip(QStringLiteral("The strand's expansion per °C; empty: %1 /°C, typical "
                                          "of prestressing steel strand.")
                               .arg(QString::number(kStrandExpansion, 'g', 6)));
    connect(expansion_, &QLineEdit::editingFinished, this, [this] { commitExpansion(); });
    unit_ = new QLabel(QStringLiteral("/°C"), this);
    auto* expansionRow = new QHBoxLayout;
    expansionRow->addWidget(caption);
    expansionRow->addWidget(expansion_);
    expansionRow->addWidget(unit_);
    expansionRow->addStretch(1);
    grid->addLayout(expansionRow, 5, 0, 1, 5);
}

void TemperatureCorrectionBlock::bind(AppState& state, const AppContext& context,
                                      std::function<QString()> key,
                                      std::function<int()> nodeCount) {
    state_ = &state;
    context_ = &context;
    key_ = std::move(key);
    nodeCount_ = std::move(nodeCount);
}

void TemperatureCorrectionBlock::load() {
    stored_ = TemperatureCorrection{};
    loadedKey_ = key_ ? key_() : QString();
    if (state_ != nullptr && state_->db && state_->db->isOpen() && !loadedKey_.isEmpty()) {
        guarded(ErrorLog{state_->dataFolder, context_->clock}, " G_LoadTemperatureCorrection",
                [&] { stored_ = readTemperatureCorrection(*state_->db, loadedKey_); });
    }
    showStored();
}

void TemperatureCorrectionBlock::showStored() {
    const QScopedValueRollback<bool> busy(busy_, true);
    const bool shown = !loadedKey_.isEmpty();
    const int nodes = std::clamp(nodeCount_ ? nodeCount_() : MaxDispNodes, 0, MaxDispNodes);
    mode_->setEnabled(shown);
    mode_->setCurrentIndex(static_cast<int>(stored_.mode));
    for (int n = 0; n < MaxDispNodes; ++n) {
        boxes_[n]->setText(n < stored_.perNode.size() ? valueText(stored_.perNode[n]) : QString());
        boxes_[n]->setEnabled(shown && stored_.isOn());
        boxes_[n]->setVisible(n < nodes);
        captions_[n]->setVisible(n < nodes);
    }
    const bool freeLength = stored_.mode == CorrectionMode::FreeLength;
    expansion_->setText(freeLength && stored_.expansion != kStrandExpansion
                            ? valueText(stored_.expansion)
                            : QString());
    expansion_->setEnabled(shown && freeLength);
}

void TemperatureCorrectionBlock::commit() {
    for (int n = 0; n < MaxDispNodes; ++n) {
        commitBox(n);
    }
    commitExpansion();
}

bool TemperatureCorrectionBlock::store(const TemperatureCorrection& correction) {
    try {
        if (!state_->db || !state_->db->isOpen()) {
            throw DbError(ErrorCode::NotOpen,
                          "Operation is not allowed when the object is closed.");
        }
        writeTemperatureCorrection(*state_->db, loadedKey_, correction);
        stored_ = correction;
        showStored();
        return true;
    } catch (const DbError& e) {
        ErrorLog{state_->dataFolder, context_->clock}.report(e, " G_SaveTemperatureCorrection");
        showStored();
        context_->prompter->message(kOmbrevaultTitle,
                                    "The temperature correction could not be stored:\r\n" +
                                        e.description(),
                                    MsgIcon::Exclamation);
        return false;
    }
}

void TemperatureCorrectionBlock::commitMode() {
    if (busy_ || state_ == nullptr || loadedKey_.isEmpty()) {
        return;
    }
    const QScopedValueRollback<bool> busy(busy_, true);
    TemperatureCorrection changed = stored_;
    changed.mode = static_cast<CorrectionMode>(mode_->currentIndex());
    if (changed.mode != stored_.mode) {
        store(changed);
    }
}

void TemperatureCorrectionBlock::commitBox(int node) {
    if (busy_ || state_ == nullptr || loadedKey_.isEmpty() || !stored_.isOn()) {
        return;
    }
    const QScopedValueRollback<bool> busy(busy_, true);
    QLineEdit* edit = boxes_[node];
    const QString shown =
        node < stored_.perNode.size() ? valueText(stored_.perNode[node]) : QString();
    const QString text = edit->text().trimmed();
    if (text == shown) {
        return;
    }
    const CorrectionValue checked = checkCorrectionValue(text, stored_.mode);
    if (!checked.accepted) {
        edit->setText(shown);
        context_->prompter->message(kOmbrevaultTitle, checked.refusal, MsgIcon::Exclamation);
        edit->setFocus();
        return;
    }
    TemperatureCorrection changed = stored_;
    while (changed.perNode.size() <= node) {
        changed.perNode << 0.0;
    }
    // An emptied box corrects its node by nothing.
    changed.perNode[node] = checked.value.value_or(0.0);
    store(changed);
}

void TemperatureCorrectionBlock::commitExpansion() {
    if (busy_ || state_ == nullptr || loadedKey_.isEmpty() ||
        stored_.mode != CorrectionMode::FreeLength) {
        return;
    }
    const QScopedValueRollback<bool> busy(busy_, true);
    const QString shown =
        stored_.expansion != kStrandExpansion ? valueText(stored_.expansion) : QString();
    const QString text = expansion_->text().trimmed();
    if (text == shown) {
        return;
    }
    const CorrectionValue checked = checkExpansion(text);
    if (!checked.accepted) {
        expansion_->setText(shown);
        context_->prompter->message(kOmbrevaultTitle, checked.refusal, MsgIcon::Exclamation);
        expansion_->setFocus();
        return;
    }
    TemperatureCorrection changed = stored_;
    changed.expansion = checked.value.value_or(kStrandExpansion);
    store(changed);
}
