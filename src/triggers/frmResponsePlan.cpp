#include "triggers/frmResponsePlan.h"

#include "store/DbError.h"
#include "store/Guard.h"
#include "triggers/TriggerLevels.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
constexpr int kWidth = 460;
constexpr int kGroupHeight = 150;

QLabel* caption(const QString& text, int left, int top, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, 104, 26);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}
} // namespace

frmResponsePlan::frmResponsePlan(AppState& state, const AppContext& context, const QString& key,
                                 QWidget* parent)
    : QDialog(parent), state_(state), context_(context), key_(key) {
    setObjectName("frmResponsePlan");
    const bool site = key_ == kSiteDefaultKey;
    setWindowTitle(site ? QStringLiteral("Response Plan - Site Default")
                        : QStringLiteral("Response Plan - Sensor ") + key_);
    setFixedSize(kWidth, 2 * kGroupHeight + 110);
    lblPlanSource = new QLabel(this);
    lblPlanSource->setObjectName("lblPlanSource");
    lblPlanSource->setGeometry(12, 8, kWidth - 24, 40);
    lblPlanSource->setWordWrap(true);
    lblPlanSource->setText(site ? QStringLiteral("The plan of every sensor that has none of its "
                                                 "own.")
                                : QStringLiteral("Empty: the site default's plan applies, shown "
                                                 "in grey."));
    amber = makeLevel("Amber", "Amber:", 52);
    red = makeLevel("Red", "Red:", 52 + kGroupHeight + 4);
    cmdSavePlan = new QPushButton("Save", this);
    cmdSavePlan->setObjectName("cmdSavePlan");
    cmdSavePlan->setGeometry(kWidth - 232, height() - 44, 104, 32);
    cmdSavePlan->setDefault(true);
    cmdCancelPlan = new QPushButton("Cancel", this);
    cmdCancelPlan->setObjectName("cmdCancelPlan");
    cmdCancelPlan->setGeometry(kWidth - 116, height() - 44, 104, 32);
    connect(cmdSavePlan, &QPushButton::clicked, this, &frmResponsePlan::cmdSavePlan_Click);
    connect(cmdCancelPlan, &QPushButton::clicked, this, &QDialog::reject);
    load();
}

frmResponsePlan::LevelBoxes frmResponsePlan::makeLevel(const QString& name, const QString& title,
                                                       int top) {
    auto* group = new QGroupBox(title, this);
    group->setObjectName("fra" + name + "Plan");
    group->setGeometry(12, top, kWidth - 24, kGroupHeight);
    LevelBoxes boxes{new QPlainTextEdit(group), new QLineEdit(group), new QLineEdit(group)};
    caption("Actions:", 4, 26, group);
    boxes.actions->setObjectName("txt" + name + "Actions");
    boxes.actions->setGeometry(114, 26, kWidth - 150, 52);
    caption("Who acts:", 4, 84, group);
    boxes.who->setObjectName("txt" + name + "Who");
    boxes.who->setGeometry(114, 84, kWidth - 150, 26);
    caption("Respond within:", 4, 116, group);
    boxes.hours->setObjectName("txt" + name + "Hours");
    boxes.hours->setGeometry(114, 116, 76, 26);
    auto* unit = new QLabel("hours", group);
    unit->setGeometry(196, 116, 60, 26);
    return boxes;
}

void frmResponsePlan::load() {
    const auto show = [&](const LevelBoxes& boxes, TriggerState level) {
        if (!state_.db || !state_.db->isOpen()) {
            throw DbError(ErrorCode::NotOpen,
                          "Operation is not allowed when the object is closed.");
        }
        const ResponsePlan mine =
            readResponsePlan(*state_.db, key_, level).value_or(ResponsePlan{});
        const ResponsePlan inherited =
            key_ == kSiteDefaultKey
                ? ResponsePlan{}
                : readResponsePlan(*state_.db, kSiteDefaultKey, level).value_or(ResponsePlan{});
        boxes.actions->setPlainText(mine.actions);
        boxes.actions->setPlaceholderText(inherited.actions);
        boxes.who->setText(mine.who);
        boxes.who->setPlaceholderText(inherited.who);
        boxes.hours->setText(responseHoursText(mine.hours));
        boxes.hours->setPlaceholderText(responseHoursText(inherited.hours));
    };
    try {
        show(amber, TriggerState::Amber);
        show(red, TriggerState::Red);
    } catch (const DbError& e) {
        // Saving boxes that could not be filled would put empty plans over the stored ones.
        ErrorLog{state_.dataFolder, context_.clock}.report(e, " G_LoadResponsePlan");
        cmdSavePlan->setEnabled(false);
        lblPlanSource->setText("The response plan could not be read: " + failureReason(e) + ".");
    }
}

std::optional<ResponsePlan> frmResponsePlan::typed(const LevelBoxes& boxes, const QString& level) {
    const ResponseHoursText hours = responseHoursOf(boxes.hours->text());
    if (!hours.refusal.isEmpty()) {
        context_.prompter->message(kOmbrevaultTitle, level + ": " + hours.refusal,
                                   MsgIcon::Exclamation);
        boxes.hours->setFocus();
        return std::nullopt;
    }
    return ResponsePlan{boxes.actions->toPlainText().trimmed(), boxes.who->text().trimmed(),
                        hours.hours};
}

void frmResponsePlan::cmdSavePlan_Click() {
    const std::optional<ResponsePlan> amberPlan = typed(amber, QStringLiteral("Amber"));
    if (!amberPlan) {
        return;
    }
    const std::optional<ResponsePlan> redPlan = typed(red, QStringLiteral("Red"));
    if (!redPlan) {
        return;
    }
    try {
        if (!state_.db || !state_.db->isOpen()) {
            throw DbError(ErrorCode::NotOpen,
                          "Operation is not allowed when the object is closed.");
        }
        writeResponsePlans(*state_.db, key_, *amberPlan, *redPlan);
    } catch (const DbError& e) {
        ErrorLog{state_.dataFolder, context_.clock}.report(e, " G_SaveResponsePlan");
        context_.prompter->message(kOmbrevaultTitle,
                                   "The response plan could not be stored:\r\n" + e.description(),
                                   MsgIcon::Exclamation);
        return;
    }
    accept();
}
