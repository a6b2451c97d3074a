#pragma once

#include "triggers/TriggerLevels.h"

#include <QGroupBox>
#include <QVector>
#include <functional>

struct AppState;
struct AppContext;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class frmResponsePlan;

// The level boxes of a sensor ("Trigger Levels:" on the Installation tab) or of the site
// default (on the Utilities tab). Each box is checked when it is left: a refused text is
// put back with the reason shown, an accepted one is stored at once in its own transaction.
// The page that holds the block loads it when it is entered and commits it when it is left.
// An empty box shows in grey the value that applies instead (for a sensor the site default's,
// else the program's rate window; for the site default the program's rate window), and a line
// under the boxes and each box's tooltip say where it comes from. A button under them opens
// the response plan of the same sensor or of the site default.
class TriggerLevelsBlock : public QGroupBox {
    Q_OBJECT
public:
    // namePrefix goes between "txt" and the box's name: "" gives txtAmberDisp, "Site" gives
    // txtSiteAmberDisp. The boxes stand in one column, or in two side by side.
    TriggerLevelsBlock(const QString& title, const QString& namePrefix, int columns = 1,
                       QWidget* parent = nullptr);

    // Where the levels live: the run's database and the TriggerLevels key, asked each time
    // (an empty key, as with no current sensor, leaves the boxes empty and stores nothing).
    void bind(AppState& state, const AppContext& context, std::function<QString()> key);

    // The stored levels into the boxes.
    void load();
    // Checks and stores every box whose text differs from what is stored.
    void commit();

    QLineEdit* box(LevelField field) const { return boxes_.at(static_cast<int>(field)); }
    // Opens the response plan of the same key, under the boxes ("Response Plan...").
    void cmdResponsePlan_Click();
    QPushButton* cmdResponsePlan = nullptr;
    // The response plan window while it is open; null otherwise.
    frmResponsePlan* responsePlan() const { return plan_; }
    const TriggerLevels& stored() const { return stored_; }

    // Rows 0 to 2 (two columns) or 0 to 5 (one) hold caption, box and unit per level; the
    // source line is the row after them.
    QGridLayout* grid;

private:
    void commitBox(LevelField field);
    void showStored();
    bool isSiteDefault() const { return loadedKey_ == kSiteDefaultKey; }

    QVector<QLineEdit*> boxes_;
    QLabel* source_ = nullptr;
    AppState* state_ = nullptr;
    const AppContext* context_ = nullptr;
    std::function<QString()> key_;
    QString loadedKey_;
    TriggerLevels stored_;
    // For a sensor, the site default as last loaded: what its empty boxes stand for.
    TriggerLevels site_;
    bool busy_ = false;
    frmResponsePlan* plan_ = nullptr;
};
