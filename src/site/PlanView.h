#pragma once

#include "site/PlanScene.h"

#include <QGraphicsView>

// The plan of one level with its sensors: the wheel zooms about the pointer, a drag pans, a
// click on a sensor tells its number, a double click asks for it to be shown.
class PlanView : public QGraphicsView {
    Q_OBJECT
public:
    explicit PlanView(QWidget* parent = nullptr);

    void showPlan(const LoadedPlan& plan, const QList<PlanMarker>& markers,
                  const QSet<int>& hiddenLayers);
    void setLayerVisible(int layer, bool visible);
    // Shows the whole level.
    void fitToLevel();
    // The sensor numbers of the markers drawn.
    QStringList markedSensors() const;
    // The marker of a sensor drawn on the plan; null when it is not drawn.
    QGraphicsItem* marker(const QString& instrumentId) const;

signals:
    void sensorClicked(const QString& instrumentId);
    void sensorActivated(const QString& instrumentId);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString sensorAt(const QPoint& pos) const;

    QGraphicsScene scene_;
    QRectF shown_;
    bool fitted_ = true;
};
