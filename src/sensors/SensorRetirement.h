#pragma once

#include <QObject>

struct AppState;
struct AppContext;
class IdentificationPage;
class SensorForm;

// "Destroyed:": marks the current sensor destroyed with today's date, or back in service.
class SensorRetirement : public QObject {
    Q_OBJECT
public:
    SensorRetirement(AppState& state, const AppContext& context, SensorForm& form,
                     IdentificationPage& identification, QObject* parent = nullptr);

    void cboDestroyed_Click();
    // "Y" and "N" choose; every key is then discarded and the fields saved.
    void cboDestroyed_KeyPress(int character);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppState& state_;
    const AppContext& context_;
    SensorForm& form_;
    IdentificationPage& identification_;
};
