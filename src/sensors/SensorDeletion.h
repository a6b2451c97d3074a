#pragma once

#include <QObject>

struct AppState;
struct AppContext;
class IdentificationPage;
class SensorForm;

// "Delete": removes the current sensor, its readings table and its network configuration
// row after one question. A step that fails is skipped and the next one runs.
class SensorDeletion : public QObject {
    Q_OBJECT
public:
    SensorDeletion(AppState& state, const AppContext& context, SensorForm& form,
                   IdentificationPage& identification, QObject* parent = nullptr);

    void imgDelete_Click();

private:
    AppState& state_;
    const AppContext& context_;
    SensorForm& form_;
    IdentificationPage& identification_;
};
