#pragma once

#include "store/RecordSet.h"

#include <QObject>
#include <QVector>

struct AppState;
struct AppContext;
class IdentificationPage;
class SensorFilterPanel;
class SensorForm;
class QLineEdit;

// The sensor filter of the Utilities tab: one command applies it when none is active and
// removes it when one is. While active, every sensor command sees the matching sensors only.
class SensorFilter : public QObject {
    Q_OBJECT
public:
    SensorFilter(AppState& state, const AppContext& context, SensorForm& form,
                 IdentificationPage& identification, SensorFilterPanel& panel, QLineEdit& txtSCount,
                 QObject* parent = nullptr);

    void imgFilter_Click();
    void AddFilter(const QVector<Criterion>& criteria);
    void RemoveFilter();
    void txtStartDate_LostFocus();
    void txtEndDate_LostFocus();

    SensorFilterPanel* panel() const { return panel_; }
    // A new sensor list after a reconnection is unfiltered: the command offers to apply again.
    void showUnfiltered() { showState(false); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showState(bool active);
    void showSensors();

    AppState& state_;
    const AppContext& context_;
    SensorForm& form_;
    IdentificationPage& identification_;
    QLineEdit& txtSCount_;
    SensorFilterPanel* panel_;
};
