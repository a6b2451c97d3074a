#pragma once

#include "site/SiteTables.h"

#include <QGroupBox>
#include <functional>
#include <optional>

struct AppState;
struct AppContext;
class QLineEdit;
class QPushButton;

// The sensor's position on the Installation tab: easting, northing and elevation in metres on
// the mine grid (txtEasting, txtNorthing, txtElevation), stored when a box is left; all three
// empty is no position. cmdImportPositions reads a surveyor's file of positions for many
// sensors.
class PositionBlock : public QGroupBox {
    Q_OBJECT
public:
    explicit PositionBlock(QWidget* parent = nullptr);

    // The run's database and the current sensor, asked each time.
    void bind(AppState& state, const AppContext& context, std::function<QString()> key);
    // The stored position into the boxes.
    void load();
    // Checks and stores the boxes when they differ from what is stored: a refused text, or one
    // the database could not store, is put back with the reason shown.
    void commit();
    // Asks for a positions file and imports it, telling what was taken and refused.
    void cmdImportPositions_Click();

    QLineEdit* txtEasting;
    QLineEdit* txtNorthing;
    QLineEdit* txtElevation;
    QPushButton* cmdImportPositions;

    // Called after positions were imported.
    std::function<void()> imported;

private:
    void showStored();
    QStringList shownTexts() const;

    AppState* state_ = nullptr;
    const AppContext* context_ = nullptr;
    std::function<QString()> key_;
    QString loadedKey_;
    std::optional<SensorPosition> stored_;
    bool busy_ = false;
};
