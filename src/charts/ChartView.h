#pragma once

#include <QChartView>
#include <QPoint>

class QRubberBand;

// The chart's view with its mouse tools: a rectangle dragged left to right zooms into it,
// right to left asks for the drawn ranges back, a drag over an axis scrolls that axis, and
// a click without a drag is reported for the point annotation.
class ChartView : public QChartView {
    Q_OBJECT
public:
    explicit ChartView(QChart* chart, QWidget* parent = nullptr);

signals:
    void clicked(const QPointF& chartPos);
    void zoomOutRequested();
    void zoomed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { None, Zoom, ScrollX, ScrollY };

    QPointF toChart(const QPoint& viewPos) const;
    void zoomInto(const QRectF& rect);

    Drag drag_ = Drag::None;
    QPoint origin_;
    QPoint last_;
    QRubberBand* band_;
};
