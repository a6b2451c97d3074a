#pragma once

#include "site/PlanScene.h"

#include <QWidget>
#include <functional>

struct AppState;
struct AppContext;
class PlanView;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// The Plan view of the site status: a level's plan with its sensors over it, the layers of its
// drawing, and the sensors that are not on it (without a position, or far off the plan). Plans
// are kept in the register, one a level, and replaced only when the user confirms.
class PlanPage : public QWidget {
    Q_OBJECT
public:
    PlanPage(AppState& state, const AppContext& context, QWidget* parent = nullptr);

    // The sensors of the status table, with their positions; the levels offered are theirs.
    // Keeps the level shown when it is still among them.
    void setMarkers(const QList<PlanMarker>& markers);
    // Shows the level (a Level text of the register).
    void showLevel(const QString& level);
    QString currentLevel() const;
    const LoadedPlan& plan() const { return plan_; }

    // Asks for a DXF drawing or a picture and stores it as the current level's plan.
    void cmdPlanLoad_Click();
    // Writes what the view shows to a PNG picture or a PDF page and opens it.
    void cmdPlanPng_Click();
    void cmdPlanPdf_Click();

    // A click on a sensor, and a double click.
    std::function<void(const QString&)> sensorClicked;
    std::function<void(const QString&)> sensorActivated;

    QComboBox* cboPlanLevel;
    QPushButton* cmdPlanLoad;
    QPushButton* cmdPlanFit;
    QPushButton* cmdPlanPng;
    QPushButton* cmdPlanPdf;
    QLabel* lblPlanFile;
    PlanView* viewPlan;
    QListWidget* lstPlanLayers;
    QLabel* lblUnplaced;
    QListWidget* lstUnplaced;

private:
    void fillLevels();
    void readPlan();
    void draw();
    void fillLayers();
    void fillUnplaced();
    QList<PlanMarker> levelMarkers() const;
    QSet<int> hiddenLayers() const;
    bool storePicture(const QString& path, StoredPlan& stored);
    QString exportPath(const QString& extension) const;
    void tell(const QString& text);

    AppState& state_;
    const AppContext& context_;
    QList<PlanMarker> markers_;
    QString level_;
    LoadedPlan plan_;
    // Why the stored plan of the level could not be drawn.
    QString problem_;
    // The level and the moment its plan was stored, as last read.
    QString readKey_;
};
