#pragma once

#include <QObject>
#include <QString>

struct AppState;
struct AppContext;
class IdentificationPage;
class InstallationPage;
class ReadingsPage;
class QLineEdit;
class QTabWidget;

// Moves the current sensor's row of rsSensors to the record form on the first two tabs and
// back again, and shapes the node and channel boxes for the sensor's type.
class SensorForm : public QObject {
    Q_OBJECT
public:
    SensorForm(AppState& state, const AppContext& context, IdentificationPage& identification,
               InstallationPage& installation, ReadingsPage& readings, QLineEdit& txtSCount,
               QTabWidget& tabs);

    // Current row -> boxes. Each statement that fails is skipped.
    void fillfields();
    // Boxes -> current row, then the row is updated. The first failing column ends the save
    // with one log entry; the columns before it stay on the row for its next update.
    void savefields();
    // Enables the node and channel boxes of the current type and captions the channel labels
    // with the anchors' distances from the roof.
    void ConfigureForm();
    // Head and anchor distances from the roof, from the boxes as they stand.
    void CalcReltoRoof();
    // Makes the code the current type; an unknown code keeps the previous type and says so.
    bool applySensorType(const QString& code);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clearForm();
    void writeFields();
    void showStatus(bool destroyed);
    bool txtNode_KeyPress(int key) const;
    bool txtRecess_KeyPress(int key) const;
    void txtRecess_Change(const QString& text);

    AppState& state_;
    const AppContext& context_;
    IdentificationPage& identification_;
    InstallationPage& installation_;
    ReadingsPage& readings_;
    QLineEdit& txtSCount_;
    QTabWidget& tabs_;
    // Whether the last savefields stored the record.
    bool saved_ = false;
};
