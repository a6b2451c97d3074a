#pragma once

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <utility>

class QAbstractAxis;
class QChart;
class QCheckBox;
class QLabel;
class QLineSeries;
class ChartLegend;
class ChartView;

// A line chart with a fixed set of series by index, each with its own colour, a line of
// width 2 and diamond markers, points kept in ascending x. Beside it a legend with a check
// box per listed series; under it the annotation that shows a clicked point. Date-time x
// values are milliseconds since the epoch (timeX).
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    enum class XAxisKind { DateTime, Value };
    enum class Axis { X, Y };

    // What the drawing set on an axis; zoom and scroll change only what is on screen.
    struct AxisSpec {
        QString title;
        double min = 0;
        double max = 1;
        double step = 0;     // 0: spacing left to the chart
        QString labelFormat; // "hh:mm", "yyyy/MM/dd", "0", "0.00"; empty: by the step
        int labelAngle = 0;  // degrees, counter-clockwise
    };

    // A dashed horizontal line across the time axis, with its own legend entry after the
    // series'. It takes no part in the value axis range.
    struct LevelLine {
        QString title;
        QColor color;
        double y = 0;
    };

    ChartWidget(int seriesCount, XAxisKind kind, QWidget* parent = nullptr);

    int seriesCount() const { return static_cast<int>(series_.size()); }
    XAxisKind xAxisKind() const { return kind_; }
    static QColor seriesColor(int index);
    static double timeX(const QDateTime& at);

    void clearTitle();
    void addTitleLine(const QString& line);
    QStringList titleLines() const { return titleLines_; }

    void clearSeries(int index);
    void addPoint(int index, double x, double y);
    // Replaces all points at once; the fast way to load long series.
    void setPoints(int index, QList<QPointF> points);
    QList<QPointF> points(int index) const;
    void setSeriesTitle(int index, const QString& title);
    QString seriesTitle(int index) const;
    // Shows or hides a series as the drawing decides; a shown series is listed in the legend.
    void setSeriesVisible(int index, bool visible);
    bool isSeriesListed(int index) const;
    // Listed and ticked in the legend: on screen.
    bool isSeriesShown(int index) const;
    // Smallest and largest y over the series on screen; empty when none has a point.
    std::optional<std::pair<double, double>> shownYRange() const;

    void setAxisTitle(Axis axis, const QString& title);
    void setAxisRange(Axis axis, double min, double max);
    void setAxisMin(Axis axis, double min);
    void setAxisMax(Axis axis, double max);
    void setAxisStep(Axis axis, double step);
    void setAxisLabelFormat(Axis axis, const QString& format);
    void setAxisLabelAngle(Axis axis, int degrees);
    const AxisSpec& axisSpec(Axis axis) const { return axis == Axis::X ? xSpec_ : ySpec_; }

    // Replaces the level lines; drawn from the horizontal axis's minimum to its maximum as
    // they stand.
    void setLevelLines(const QList<LevelLine>& lines);
    QList<LevelLine> levelLines() const { return levelLines_; }
    // The drawn line of a level, for tests.
    QLineSeries* levelSeries(int index) const { return levelSeries_.at(index); }

    void setLegendTitle(const QString& title);
    QString legendTitle() const;
    // Titles of the listed series and then of the level lines, in legend order.
    QStringList legendEntries() const;
    QCheckBox* legendEntry(int index) const;

    QString annotationText() const;
    // Puts back the ranges the drawing set, undoing zoom and scroll.
    void resetView();
    // The chart and its legend as on screen.
    QImage picture();
    bool exportJpeg(const QString& path);

    QChart* chart() const { return chart_; }
    ChartView* view() const { return view_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineSeries* at(int index) const;
    AxisSpec& spec(Axis axis) { return axis == Axis::X ? xSpec_ : ySpec_; }
    QAbstractAxis* qtAxis(Axis axis) const;
    void applyAxis(Axis axis);
    void applyTicks(Axis axis, double min, double max, double step);
    // The label spacing of a value axis: the step, or a multiple of it when the plot has no
    // room for a label per step.
    double labelInterval(Axis axis, double range, double step) const;
    void refitLabels();
    void retuneAfterZoom();
    void showPointNear(const QPointF& chartPos);
    QString xText(double x) const;

    XAxisKind kind_;
    QChart* chart_;
    ChartView* view_;
    ChartLegend* legend_;
    QLabel* annotation_;
    QWidget* picturePart_;
    QAbstractAxis* xAxis_;
    QAbstractAxis* yAxis_;
    QList<QLineSeries*> series_;
    QList<bool> listed_;
    QStringList titleLines_;
    QList<LevelLine> levelLines_;
    QList<QLineSeries*> levelSeries_;
    AxisSpec xSpec_;
    AxisSpec ySpec_;
};
