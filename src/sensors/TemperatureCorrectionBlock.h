#pragma once

#include "charts/TemperatureCorrection.h"

#include <QGroupBox>
#include <QVector>
#include <functional>

struct AppState;
struct AppContext;
class QComboBox;
class QLabel;
class QLineEdit;

// The sensor's temperature correction on the Installation tab: the mode (cboCorrection: off,
// a coefficient per node, or the strand's free length per node), the per-node boxes
// txtCorrection1..8 (as many shown as the sensor has nodes) and the expansion coefficient
// (txtExpansion, free length only). Each change is checked when it is made: a refused text is
// put back with the reason shown, an accepted one is stored at once.
class TemperatureCorrectionBlock : public QGroupBox {
    Q_OBJECT
public:
    explicit TemperatureCorrectionBlock(QWidget* parent = nullptr);

    // The run's database, the current sensor and its node count, asked each time.
    void bind(AppState& state, const AppContext& context, std::function<QString()> key,
              std::function<int()> nodeCount);

    // The stored correction into the boxes.
    void load();
    // Checks and stores every box whose text differs from what is stored.
    void commit();

    QComboBox* mode() const { return mode_; }
    QLineEdit* box(int node) const { return boxes_.at(node); }
    QLineEdit* expansion() const { return expansion_; }
    const TemperatureCorrection& stored() const { return stored_; }

private:
    void commitMode();
    void commitBox(int node);
    void commitExpansion();
    // Stores the correction; on a failure the boxes go back to what is stored and the user is
    // told.
    bool store(const TemperatureCorrection& correction);
    void showStored();

    QComboBox* mode_ = nullptr;
    QVector<QLineEdit*> boxes_;
    QVector<QLabel*> captions_;
    QLineEdit* expansion_ = nullptr;
    QLabel* unit_ = nullptr;
    AppState* state_ = nullptr;
    const AppContext* context_ = nullptr;
    std::function<QString()> key_;
    std::function<int()> nodeCount_;
    QString loadedKey_;
    TemperatureCorrection stored_;
    bool busy_ = false;
};
