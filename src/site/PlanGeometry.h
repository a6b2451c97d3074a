#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

// A plan as plain geometry on the mine grid (metres): polylines and texts, each on a layer.
// Arcs and circles come as polylines close enough to draw; block inserts come expanded.
struct PlanPath {
    int layer = 0; // index into PlanGeometry::layers
    QList<QPointF> points;
    bool closed = false;
};

struct PlanText {
    int layer = 0;
    QPointF at; // the text's base point
    double height = 1;
    double angleDegrees = 0;
    QString text;
};

struct PlanGeometry {
    QStringList layers;
    QList<PlanPath> paths;
    QList<PlanText> texts;

    // The rectangle holding every path point and text base point; null when empty.
    QRectF bounds() const;
    // The index of the named layer, added when new.
    int layerIndex(const QString& name);
};
