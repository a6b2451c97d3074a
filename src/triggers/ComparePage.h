#pragma once

#include "triggers/CompareChart.h"

#include <QStringList>
#include <QWidget>

struct AppState;
struct AppContext;
class ChartWidget;
class QLabel;
class QPushButton;
class QRadioButton;

// The Compare view of "9. Site Status": the given sensors on one chart, each sensor's largest
// node displacement or its rate against time, with the charts' zoom, click values and JPEG
// export.
class ComparePage : public QWidget {
    Q_OBJECT
public:
    ComparePage(AppState& state, const AppContext& context, QWidget* parent = nullptr);

    // Reads the sensors' readings and draws them, the first kMaxCompared of them; a failure
    // to read is told to the user and leaves the chart empty.
    void setSensors(const QStringList& ids);
    QStringList sensors() const { return ids_; }
    // Draws the sensors again from the register.
    void refresh();
    // "Export as JPG": Compare.jpg in the data folder, opened.
    void cmdExportCompare_Click();

    ChartWidget* ChartCompare;
    QRadioButton* optCompareDisplacement;
    QRadioButton* optCompareRate;
    QLabel* lblCompareNote;
    QPushButton* cmdExportCompare;

private:
    void draw();

    AppState& state_;
    const AppContext& context_;
    QStringList ids_;
    QList<CompareSeries> series_;
};
