#include "charts/ChartView.h"

#include <QMouseEvent>
#include <QRubberBand>

namespace {

// Drags shorter than this count as clicks.
constexpr int kClickSlop = 4;

} // namespace

ChartView::ChartView(QChart* chart, QWidget* parent)
    : QChartView(chart, parent), band_(new QRubberBand(QRubberBand::Rectangle, viewport())) {
    setRenderHint(QPainter::Antialiasing);
    setDragMode(QGraphicsView::NoDrag);
    setMouseTracking(false);
}

QPointF ChartView::toChart(const QPoint& viewPos) const {
    return chart()->mapFromScene(mapToScene(viewPos));
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    origin_ = last_ = event->position().toPoint();
    const QRectF plot = chart()->plotArea();
    const QPointF at = toChart(origin_);
    if (plot.contains(at)) {
        drag_ = Drag::Zoom;
    } else if (at.x() < plot.left() && at.y() >= plot.top() && at.y() <= plot.bottom()) {
        drag_ = Drag::ScrollY;
    } else if (at.y() > plot.bottom() && at.x() >= plot.left() && at.x() <= plot.right()) {
        drag_ = Drag::ScrollX;
    } else {
        drag_ = Drag::None;
    }
    event->accept();
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    switch (drag_) {
    case Drag::Zoom:
        if ((pos - origin_).manhattanLength() > kClickSlop) {
            band_->setGeometry(QRect(origin_, pos).normalized());
            band_->show();
        }
        break;
    case Drag::ScrollY:
        // The axis follows the pointer: dragging down brings higher values into view.
        chart()->scroll(0, pos.y() - last_.y());
        break;
    case Drag::ScrollX:
        chart()->scroll(last_.x() - pos.x(), 0);
        break;
    case Drag::None:
        QChartView::mouseMoveEvent(event);
        return;
    }
    last_ = pos;
    event->accept();
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || drag_ == Drag::None) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    const bool moved = (pos - origin_).manhattanLength() > kClickSlop;
    if (drag_ == Drag::Zoom) {
        band_->hide();
        if (!moved) {
            emit clicked(toChart(pos));
        } else if (pos.x() > origin_.x()) {
            zoomInto(QRectF(toChart(origin_), toChart(pos)).normalized());
        } else {
            emit zoomOutRequested();
        }
    }
    drag_ = Drag::None;
    event->accept();
}

void ChartView::zoomInto(const QRectF& rect) {
    const QRectF area = rect.intersected(chart()->plotArea());
    if (area.width() < 1 || area.height() < 1) {
        return;
    }
    chart()->zoomIn(area);
    emit zoomed();
}
