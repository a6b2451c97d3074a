#pragma once

#include "triggers/ResponsePlan.h"

#include <QDialog>

struct AppState;
struct AppContext;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The response plan of a sensor or of the site default, for amber and for red: the actions,
// who acts and the response time in hours. A sensor's empty plan follows the site default,
// whose texts its empty boxes show in grey. Save stores both levels in one transaction and
// closes the window; a refused response time or a failure to store is told and the window
// stays open with what was typed.
class frmResponsePlan : public QDialog {
    Q_OBJECT
public:
    frmResponsePlan(AppState& state, const AppContext& context, const QString& key,
                    QWidget* parent = nullptr);

    void cmdSavePlan_Click();

    struct LevelBoxes {
        QPlainTextEdit* actions;
        QLineEdit* who;
        QLineEdit* hours;
    };
    LevelBoxes amber;
    LevelBoxes red;
    QLabel* lblPlanSource;
    QPushButton* cmdSavePlan;
    QPushButton* cmdCancelPlan;

private:
    LevelBoxes makeLevel(const QString& name, const QString& title, int top);
    void load();
    std::optional<ResponsePlan> typed(const LevelBoxes& boxes, const QString& level);

    AppState& state_;
    const AppContext& context_;
    QString key_;
};
