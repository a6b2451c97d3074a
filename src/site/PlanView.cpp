#include "site/PlanView.h"

#include <QGraphicsItem>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

PlanView::PlanView(QWidget* parent) : QGraphicsView(parent) {
    setObjectName("viewPlan");
    setScene(&scene_);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    setBackgroundBrush(Qt::white);
    setRenderHint(QPainter::Antialiasing, false);
}

void PlanView::showPlan(const LoadedPlan& plan, const QList<PlanMarker>& markers,
                        const QSet<int>& hiddenLayers) {
    shown_ = buildPlanScene(scene_, plan, markers, hiddenLayers);
    fitToLevel();
}

void PlanView::setLayerVisible(int layer, bool visible) {
    for (QGraphicsItem* item : scene_.items()) {
        if (item->parentItem() == nullptr && item->data(kLayerKey).isValid() &&
            item->data(kLayerKey).toInt() == layer) {
            item->setVisible(visible);
        }
    }
}

void PlanView::fitToLevel() {
    fitInView(shown_, Qt::KeepAspectRatio);
    fitted_ = true;
}

QStringList PlanView::markedSensors() const {
    QStringList ids;
    for (const QGraphicsItem* item : scene_.items(Qt::AscendingOrder)) {
        if (item->parentItem() == nullptr && item->data(kMarkerIdKey).isValid()) {
            ids << item->data(kMarkerIdKey).toString();
        }
    }
    return ids;
}

QGraphicsItem* PlanView::marker(const QString& instrumentId) const {
    for (QGraphicsItem* item : scene_.items()) {
        if (item->parentItem() == nullptr && item->data(kMarkerIdKey).toString() == instrumentId) {
            return item;
        }
    }
    return nullptr;
}

void PlanView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) {
        return;
    }
    scale(std::pow(1.25, steps), std::pow(1.25, steps));
    fitted_ = false;
    event->accept();
}

QString PlanView::sensorAt(const QPoint& pos) const {
    for (const QGraphicsItem* item : items(pos)) {
        if (item->data(kMarkerIdKey).isValid()) {
            return item->data(kMarkerIdKey).toString();
        }
    }
    return {};
}

void PlanView::mousePressEvent(QMouseEvent* event) {
    const QString id = sensorAt(event->position().toPoint());
    if (!id.isEmpty() && event->button() == Qt::LeftButton) {
        emit sensorClicked(id);
        event->accept();
        return;
    }
    fitted_ = false;
    QGraphicsView::mousePressEvent(event);
}

void PlanView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QString id = sensorAt(event->position().toPoint());
    if (!id.isEmpty()) {
        emit sensorActivated(id);
        event->accept();
        return;
    }
    QGraphicsView::mouseDoubleClickEvent(event);
}

void PlanView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    if (fitted_) {
        fitToLevel();
    }
}
