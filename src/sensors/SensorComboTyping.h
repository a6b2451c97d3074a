#pragma once

#include <QObject>

class IdentificationPage;
class SensorAdder;
class SensorNavigation;
struct AppState;
struct AppContext;

// Typing aids of cboSensors: completion from the list (which selects the completed sensor),
// a ten-character limit, and Enter to select a listed number or add a new one.
class SensorComboTyping : public QObject {
    Q_OBJECT
public:
    SensorComboTyping(AppState& state, const AppContext& context,
                      IdentificationPage& identification, SensorNavigation& navigation,
                      SensorAdder& adder, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cboSensors_KeyDown(int key);
    // False when the key is to be discarded.
    bool cboSensors_KeyPress(int character);
    void enterPressed();

    AppState& state_;
    const AppContext& context_;
    IdentificationPage& identification_;
    SensorNavigation& navigation_;
    SensorAdder& adder_;
    // Set by Delete and Backspace so that erasing is not undone by completion.
    bool suppressCompletion_ = false;
};
