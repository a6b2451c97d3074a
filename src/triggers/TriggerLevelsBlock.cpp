#include "triggers/TriggerLevelsBlock.h"

#include "store/DbError.h"
#include "store/Guard.h"
#include "store/TriggerTables.h"
#include "triggers/frmResponsePlan.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <iterator>

namespace {

struct BoxInfo {
    LevelField field;
    const char* name;
    const char* caption;
    const char* unit;
};

constexpr BoxInfo kBoxes[] = {
    {LevelField::AmberDisp, "AmberDisp", "Amber displacement:", "mm"},
    {LevelField::RedDisp, "RedDisp", "Red displacement:", "mm"},
    {LevelField::AmberRate, "AmberRate", "Amber rate:", "mm/day"},
    {LevelField::RedRate, "RedRate", "Red rate:", "mm/day"},
    {LevelField::RateWindow, "RateWindow", "Rate window:", "days"},
    {LevelField::ReadingInterval, "ReadingInterval", "Reading interval:", "days"},
    {LevelField::AmberSep, "AmberSep", "Amber separation:", "mm"},
    {LevelField::RedSep, "RedSep", "Red separation:", "mm"},
    {LevelField::Consecutive, "Consecutive", "Consecutive readings:", "readings"},
    {LevelField::Hysteresis, "Hysteresis", "Hysteresis:", "mm"},
    {LevelField::MinRateReadings, "MinRateReadings", "Rate readings:", "readings"},
};
constexpr int kBoxCount = static_cast<int>(std::size(kBoxes));
static_assert(kBoxCount == kLevelFieldCount);

} // namespace

TriggerLevelsBlock::TriggerLevelsBlock(const QString& title, const QString& namePrefix, int columns,
                                       QWidget* parent)
    : QGroupBox(title, parent) {
    setObjectName("fra" + namePrefix + "TriggerLevels");
    // Two columns put the levels in millimetres and the window and interval beside the rates
    // and the counts.
    constexpr int kTwoColumnSpot[] = {0, 1, 6, 7, 4, 5, 2, 3, 8, 9, 10};
    grid = new QGridLayout(this);
    grid->setVerticalSpacing(2);
    const int perColumn = columns > 1 ? 6 : kBoxCount;
    for (int i = 0; i < kBoxCount; ++i) {
        const BoxInfo& info = kBoxes[i];
        const int spot = columns > 1 ? kTwoColumnSpot[i] : i;
        // Each column of levels takes three grid columns: caption, box, unit.
        const int column = (spot / perColumn) * 3;
        const int row = spot % perColumn;
        auto* caption = new QLabel(QLatin1String(info.caption), this);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* box = new QLineEdit(this);
        box->setObjectName("txt" + namePrefix + QLatin1String(info.name));
        box->setFixedWidth(76);
        auto* unit = new QLabel(QLatin1String(info.unit), this);
        unit->setMinimumWidth(56);
        grid->addWidget(caption, row, column);
        grid->addWidget(box, row, column + 1);
        grid->addWidget(unit, row, column + 2);
        const LevelField field = info.field;
        connect(box, &QLineEdit::editingFinished, this, [this, field] { commitBox(field); });
        boxes_ << box;
    }
    source_ = new QLabel(this);
    source_->setObjectName("lbl" + namePrefix + "TriggerLevelsSource");
    source_->setWordWrap(true);
    cmdResponsePlan = new QPushButton(QStringLiteral("Response Plan..."), this);
    cmdResponsePlan->setObjectName("cmd" + namePrefix + "ResponsePlan");
    // Where the levels come from, and the plan's command beside it, under the boxes.
    auto* lastRow = new QHBoxLayout;
    lastRow->addWidget(source_, 1);
    lastRow->addWidget(cmdResponsePlan, 0, Qt::AlignBottom);
    grid->addLayout(lastRow, perColumn, 0, 1, columns * 3);
    connect(cmdResponsePlan, &QPushButton::clicked, this,
            &TriggerLevelsBlock::cmdResponsePlan_Click);
}

void TriggerLevelsBlock::cmdResponsePlan_Click() {
    // The levels typed so far are stored first, as leaving the page would.
    commit();
    if (state_ == nullptr || loadedKey_.isEmpty() || plan_ != nullptr) {
        return;
    }
    plan_ = new frmResponsePlan(*state_, *context_, loadedKey_, window());
    plan_->setAttribute(Qt::WA_DeleteOnClose);
    connect(plan_, &QObject::destroyed, this, [this] { plan_ = nullptr; });
    plan_->open();
}

void TriggerLevelsBlock::bind(AppState& state, const AppContext& context,
                              std::function<QString()> key) {
    state_ = &state;
    context_ = &context;
    key_ = std::move(key);
}

void TriggerLevelsBlock::load() {
    stored_ = TriggerLevels{};
    loadedKey_ = key_ ? key_() : QString();
    site_ = TriggerLevels{};
    if (state_ != nullptr && state_->db && state_->db->isOpen() && !loadedKey_.isEmpty()) {
        guarded(ErrorLog{state_->dataFolder, context_->clock}, " G_LoadTriggerLevels", [&] {
            if (!hasTriggerTables(*state_->db)) {
                createTriggerTables(*state_->db);
            }
            stored_ = readTriggerLevels(*state_->db, loadedKey_);
            if (!isSiteDefault()) {
                site_ = readTriggerLevels(*state_->db, kSiteDefaultKey);
            }
        });
    }
    showStored();
}

void TriggerLevelsBlock::showStored() {
    const bool shown = !loadedKey_.isEmpty();
    const TriggerLevels inherited = effectiveLevels(TriggerLevels{}, site_);
    cmdResponsePlan->setEnabled(shown);
    for (const BoxInfo& info : kBoxes) {
        QLineEdit* edit = box(info.field);
        edit->setText(levelText(levelValue(stored_, info.field)));
        edit->setEnabled(shown);
        const std::optional<double> instead = levelValue(inherited, info.field);
        edit->setPlaceholderText(shown ? levelText(instead) : QString());
        QString tip;
        if (shown && !instead) {
            tip = isSiteDefault()
                      ? QStringLiteral("Empty: no level.")
                      : QStringLiteral("Empty: no level, as the site default sets none.");
        } else if (shown && levelValue(site_, info.field)) {
            tip = QStringLiteral("Empty: %1 %2 from the site default.")
                      .arg(levelText(instead), QLatin1String(info.unit));
        } else if (shown) {
            tip = QStringLiteral("Empty: the program's default of %1 %2.")
                      .arg(levelText(instead), QLatin1String(info.unit));
        }
        edit->setToolTip(tip);
    }
    if (!shown) {
        source_->clear();
    } else if (isSiteDefault()) {
        source_->setText(
            QStringLiteral("Empty boxes set no level; an empty rate window is %1 days.")
                .arg(levelText(kDefaultRateWindow)));
    } else {
        source_->setText(QStringLiteral("Empty boxes take the site default."));
    }
}

void TriggerLevelsBlock::commit() {
    for (const BoxInfo& info : kBoxes) {
        commitBox(info.field);
    }
}

void TriggerLevelsBlock::commitBox(LevelField field) {
    if (busy_ || state_ == nullptr || loadedKey_.isEmpty()) {
        return;
    }
    const QScopedValueRollback<bool> busy(busy_, true);
    QLineEdit* edit = box(field);
    const QString text = edit->text().trimmed();
    if (text == levelText(levelValue(stored_, field))) {
        return;
    }
    const LevelChange change = changeLevel(stored_, field, text);
    if (!change.accepted) {
        edit->setText(levelText(levelValue(stored_, field)));
        context_->prompter->message(kOmbrevaultTitle, change.refusal, MsgIcon::Exclamation);
        edit->setFocus();
        return;
    }
    try {
        if (!state_->db || !state_->db->isOpen()) {
            throw DbError(ErrorCode::NotOpen,
                          "Operation is not allowed when the object is closed.");
        }
        writeTriggerLevels(*state_->db, loadedKey_, *change.accepted);
        stored_ = *change.accepted;
        edit->setText(levelText(levelValue(stored_, field)));
    } catch (const DbError& e) {
        ErrorLog{state_->dataFolder, context_->clock}.report(e, " G_SaveTriggerLevels");
        edit->setText(levelText(levelValue(stored_, field)));
        context_->prompter->message(kOmbrevaultTitle,
                                    "The trigger levels could not be stored:\r\n" + e.description(),
                                    MsgIcon::Exclamation);
    }
}
