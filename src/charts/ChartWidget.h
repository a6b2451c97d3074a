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
class QScatterSeries;
class QXYSeries;
class QValueAxis;
class ChartLegend;
class ChartView;

// A line chart with a fixed set of series by index, each with its own colour, a line of
// width 2 and diamond markers, points kept in ascending x. Beside it a legend with a check
// box per listed series; under it the annotation that shows a clicked point. Date-time x
// values are milliseconds since the epoch (timeX).
//
// Each series keeps its points as given; the plot draws a line with more points than the
// plot has pixel columns by its extremes per column, and markers only on readings that stand
// clear of their neighbours along x. The given points serve everything else: points(), the value
// range, the click annotation.
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    enum class XAxisKind { DateTime, Value };
    enum class Axis { X, Y };

    // While a Drawing lives, what is set on the chart is recorded and laid out once, when
    // the last Drawing ends: axes first, then each changed series in one replacement.
    class Drawing {
    public:
        explicit Drawing(ChartWidget& chart);
        ~Drawing();
        Drawing(const Drawing&) = delete;
        Drawing& operator=(const Drawing&) = delete;

    private:
        ChartWidget& chart_;
    };

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

    // A dashed vertical line at a moment of the time axis, labelled at its top; no legend
    // entry, and no part in either axis range.
    struct MarkerLine {
        QString label;
        double x = 0;
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
    // An axis with nothing to measure shows no labels rather than its default range's.
    void setAxisLabelsVisible(Axis axis, bool visible);
    bool axisLabelsVisible(Axis axis) const;
    const AxisSpec& axisSpec(Axis axis) const { return axis == Axis::X ? xSpec_ : ySpec_; }

    // Puts a series on a value axis of its own at the right, titled; that axis fits the
    // series' shown points and the series takes no part in the left axis' range.
    void setRightAxis(int index, const QString& title);
    bool isOnRightAxis(int index) const { return onRight_.at(index); }
    // The right-hand value axis, or null when no series is on it.
    QValueAxis* rightAxis() const { return rightAxis_; }

    // Replaces the level lines; drawn from the horizontal axis's minimum to its maximum as
    // they stand.
    void setLevelLines(const QList<LevelLine>& lines);
    QList<LevelLine> levelLines() const { return levelLines_; }
    // The drawn line of a level, for tests.
    QLineSeries* levelSeries(int index) const { return levelSeries_.at(index); }

    // Replaces the marker lines; drawn from the value axis's minimum to its maximum as they
    // stand.
    void setMarkerLines(const QList<MarkerLine>& lines);
    QList<MarkerLine> markerLines() const { return markerLines_; }

    // Replaces the marks of flagged readings: small hollow orange circles at the points, on
    // the left value axis, with no legend entry and no part in either axis range.
    void setFlagMarks(const QList<QPointF>& points);
    QList<QPointF> flagMarks() const;

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
    // The points the plot draws for a series (its markers aside).
    QList<QPointF> drawnPoints(int index) const;
    QList<QPointF> markedPoints(int index) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Pixels per unit of the horizontal axis, as laid out (or as the widget's size promises
    // before the first layout), and where its pixel columns start.
    struct Resolution {
        double xPixelsPerUnit = 0;
        double xOrigin = 0;
    };

    QLineSeries* at(int index) const;
    // Background, text, axis and grid colours from the application's palette, light or dark.
    void applyPalette();
    // A series' own colour, but black is drawn in the text colour, which a dark palette makes
    // light.
    QColor penColor(int index) const;
    void fitRightAxis();
    void endDrawing();
    // Marks a series changed during a drawing and empties what the plot holds of it, so
    // that the axis changes of the drawing do not lay out its old points.
    void changed(int index);
    void setShown(int index, bool shown);
    Resolution resolution() const;
    // Puts a series' points into the plot, thinned for the resolution.
    void drawSeries(int index, const Resolution& res);
    // After a zoom, a scroll or a resize: draws the lines again when the plot needs more
    // detail along x than they were drawn with, or much less.
    void scheduleRedraw();
    void redrawIfNeeded();
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
    QValueAxis* rightAxis_ = nullptr;
    bool applyingPalette_ = false;
    QList<bool> onRight_;
    QList<QLineSeries*> series_;
    // A companion series per line that draws only the line's markers.
    QList<QLineSeries*> markers_;
    QList<QList<QPointF>> points_;
    QList<bool> listed_;
    QList<bool> changed_;
    int drawing_ = 0;
    bool axisChanged_[2] = {false, false};
    // The resolution each series was last drawn for.
    QList<Resolution> drawnAt_;
    bool redrawPending_ = false;
    QStringList titleLines_;
    QList<LevelLine> levelLines_;
    QList<QLineSeries*> levelSeries_;
    QList<MarkerLine> markerLines_;
    QList<QXYSeries*> markerSeries_;
    QScatterSeries* flagSeries_ = nullptr;
    AxisSpec xSpec_;
    AxisSpec ySpec_;
};
