#pragma once

#include "charts/GraphRows.h"
#include "ui/AppContext.h"

#include <QWidget>

class ChartWidget;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QVBoxLayout;
class ScaleSelector;

// One chart tab: the chart, its "Export as JPG" button, the place of the shared scale
// selector and, by kind, the graphing tips button or the fifteen-reading notice.
class ChartPage : public QWidget {
    Q_OBJECT
public:
    enum class Kind { DispTime, DispLength, LoadTime, LoadLength };

    ChartPage(Kind kind, const AppContext& context, QWidget* parent = nullptr);

    Kind kind() const { return kind_; }
    ChartWidget* chart() const { return chart_; }
    // "Temporal.jpg", "DvL.jpg", "LVT.jpg" or "LVL.jpg".
    QString exportFileName() const;
    // The error-path tag of the drawing: " G_DrawSgraph", " G_DrawSloadgraph"; empty for the
    // time charts, whose failing steps are skipped.
    QString drawTag() const;

    // Draws the chart. A failing chart keeps what was drawn and writes one log entry under
    // drawTag(); the result is false then.
    bool draw(const GraphInput& input);

    // Takes the shared selector into this page.
    void adoptScaleSelector(ScaleSelector* selector);

    // The export button: writes the picture into the data folder and opens it.
    void exportChart();
    // The "?" button: the graphing tips.
    void showTips();

    // The time charts' "Since installation" switch: after a re-zero, the displacement since
    // installation instead of since the re-zero; none on the length charts.
    QCheckBox* sinceInstallation() const { return sinceInstallation_; }
    // The displacement chart's Displacement / Rate switch: with Rate, each node's rate over
    // the sensor's rate window against time; none on the other charts.
    QRadioButton* displacementOption() const { return optDisplacement_; }
    QRadioButton* rateOption() const { return optRate_; }

private:
    Kind kind_;
    AppContext context_;
    ChartWidget* chart_;
    QVBoxLayout* selectorSlot_;
    QPushButton* export_;
    QPushButton* tips_ = nullptr;
    QLabel* notice_ = nullptr;
    QCheckBox* sinceInstallation_ = nullptr;
    QRadioButton* optDisplacement_ = nullptr;
    QRadioButton* optRate_ = nullptr;
    // What the chart was last drawn from, drawn again when the switch turns.
    GraphInput drawn_;
};
