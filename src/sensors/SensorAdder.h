#pragma once

#include <QObject>
#include <QString>

struct AppState;
struct AppContext;
class IdentificationPage;
class SensorForm;
class QLineEdit;

// "Add New": checks a typed sensor number, adds its Sensors row and creates its readings
// table.
class SensorAdder : public QObject {
    Q_OBJECT
public:
    SensorAdder(AppState& state, const AppContext& context, SensorForm& form,
                IdentificationPage& identification, QLineEdit& txtSCount,
                QObject* parent = nullptr);

    // Asks for the number, then adds it.
    void imgAddSensor_Click();
    // Adds the number in typedSensorID.
    void AddTypedSensor();

    // The number last entered for adding.
    QString typedSensorID;

private:
    void insertSensorRow(const QString& number);
    void showCurrentNumber();

    AppState& state_;
    const AppContext& context_;
    SensorForm& form_;
    IdentificationPage& identification_;
    QLineEdit& txtSCount_;
};
