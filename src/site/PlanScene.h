#pragma once

#include "site/PlanGeometry.h"
#include "site/PlanPlacement.h"
#include "site/SiteTables.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

class QGraphicsScene;
class QPainter;

// A sensor as the plan shows it.
struct PlanMarker {
    QString instrumentId;
    QString level;
    std::optional<QPointF> at; // easting, northing; none without a position
    QColor colour;
    bool hollow = false; // out of service: drawn as a ring
    QString label;       // under the marker: its number and largest displacement
    QString tip;         // shown on hover
    int alarm = 0;       // 1 amber, 2 red: marks its level in the level selector
};

// A level's plan ready to draw: a DXF drawing's geometry, or a placed picture.
struct LoadedPlan {
    QString fileName;
    PlanGeometry geometry;
    QImage picture;
    std::optional<PictureTransform> placement;
    QStringList skipped; // entity kinds the drawing holds that a plan does not draw

    bool isEmpty() const {
        return geometry.paths.isEmpty() && geometry.texts.isEmpty() && picture.isNull();
    }
    // The plan's extent on the mine grid (easting, northing); null when empty.
    QRectF extent() const;
};

// The stored plan read into geometry or a picture; on a failure problem says why ("The plan
// file NAME could not be read: ...") and the plan is empty.
LoadedPlan loadStoredPlan(const StoredPlan& stored, QString* problem);

// "x1 y1 e1 n1 x2 y2 e2 n2" of a stored picture and back.
QString placementText(const QPointF& p1, const QPointF& g1, const QPointF& p2, const QPointF& g2);
std::optional<PictureTransform> placementOf(const QString& text);

// Whether a marker at this grid point is drawn over the plan: inside its extent grown by half
// its size each way. Every point is drawn over an empty plan.
bool onPlan(const LoadedPlan& plan, const QPointF& at);
// The same with the plan's extent() worked out once, for testing many points.
bool onPlan(const LoadedPlan& plan, const QRectF& extent, const QPointF& at);

// Fills the scene with the plan (its layers but the hidden ones) and the markers that are on
// it, the scene's y being the northing turned downwards. Gives the rectangle to show: the plan
// with its markers.
QRectF buildPlanScene(QGraphicsScene& scene, const LoadedPlan& plan,
                      const QList<PlanMarker>& markers, const QSet<int>& hiddenLayers = {});

// Paints the level's plan with its markers into target, fitted with its aspect kept: what the
// Plan view shows, for a page of a report.
void paintLevelPlan(QPainter& painter, const QRectF& target, const LoadedPlan& plan,
                    const QList<PlanMarker>& markers, const QSet<int>& hiddenLayers = {});

// The scene items' data key holding a marker's sensor number.
constexpr int kMarkerIdKey = 0;
// The scene items' data key holding a layer item's layer index.
constexpr int kLayerKey = 1;
// A marker item's colour and whether it is drawn as a ring.
constexpr int kMarkerColourKey = 2;
constexpr int kMarkerHollowKey = 3;
