#pragma once

#include <QObject>

struct AppState;
struct AppContext;
class IdentificationPage;
class SensorForm;
class QLineEdit;
class RecordSet;

// Moves between sensors: "Next", "Previous", the first and the last, and a choice in cboSensors.
// Each move saves the sensor being left, then shows the new one.
class SensorNavigation : public QObject {
    Q_OBJECT
public:
    SensorNavigation(AppState& state, const AppContext& context, SensorForm& form,
                     IdentificationPage& identification, QLineEdit& txtSCount,
                     QObject* parent = nullptr);

    void imgNext_Click();
    void imgPrevious_Click();
    // The register's first or last sensor, as it is listed; nothing when already there or
    // when the register is empty.
    void showFirst();
    void showLast();
    // Makes the sensor named in the combo box's text current.
    void cboSensors_Click();

private:
    void showCurrent();
    // Moves by one sensor and shows it; when it cannot be shown (the site server has gone)
    // the sensor on the form stays the current one, since the form's boxes belong to it.
    void moveShowing(void (RecordSet::*move)());
    // To the first (or last) sensor unless the form shows it already.
    void moveToEnd(const QString& tag, bool last);

    AppState& state_;
    const AppContext& context_;
    SensorForm& form_;
    IdentificationPage& identification_;
    QLineEdit& txtSCount_;
};
