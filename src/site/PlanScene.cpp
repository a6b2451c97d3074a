#include "site/PlanScene.h"

#include "site/DxfReader.h"

#include <QFont>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QHash>
#include <QLineF>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <algorithm>

namespace {
constexpr double kMarkerRadius = 7;

// A tile of one layer of a drawing: its lines as segments drawn in one call, in a pen one pixel
// wide at any zoom. A layer is cut into tiles so that the view's index leaves out, when the
// plan is zoomed in or panned, the lines that are not in sight.
class LayerItem : public QGraphicsItem {
public:
    LayerItem(QVector<QLineF> lines, const QColor& colour, QGraphicsItem* layer)
        : QGraphicsItem(layer), lines_(std::move(lines)), colour_(colour) {
        double left = 0, right = 0, top = 0, bottom = 0;
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            for (const QPointF& p : {lines_[i].p1(), lines_[i].p2()}) {
                left = i == 0 ? p.x() : std::min(left, p.x());
                right = i == 0 ? p.x() : std::max(right, p.x());
                top = i == 0 ? p.y() : std::min(top, p.y());
                bottom = i == 0 ? p.y() : std::max(bottom, p.y());
            }
        }
        bounds_ = QRectF(QPointF(left, top), QPointF(right, bottom));
    }
    QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        QPen pen(colour_, 0);
        pen.setCosmetic(true);
        painter->setPen(pen);
        painter->drawLines(lines_);
    }

private:
    QVector<QLineF> lines_;
    QRectF bounds_;
    QColor colour_;
};

// A sensor: a dot of its state's colour (a ring when out of service) the same size at any
// zoom, its label beside it.
class MarkerItem : public QGraphicsItem {
public:
    explicit MarkerItem(const PlanMarker& marker) : marker_(marker) {
        setFlag(QGraphicsItem::ItemIgnoresTransformations);
        setAcceptHoverEvents(true);
        setToolTip(marker.tip);
        setData(kMarkerIdKey, marker.instrumentId);
        setData(kMarkerColourKey, marker.colour);
        setData(kMarkerHollowKey, marker.hollow);
        setZValue(10);
        QFont font;
        font.setPointSizeF(7.5);
        label_ = new QGraphicsSimpleTextItem(marker.label, this);
        label_->setFont(font);
        label_->setPos(kMarkerRadius + 2, -kMarkerRadius);
        label_->setData(kMarkerIdKey, marker.instrumentId);
    }
    QRectF boundingRect() const override {
        const double r = kMarkerRadius + 1;
        return QRectF(-r, -r, 2 * r, 2 * r);
    }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        painter->setRenderHint(QPainter::Antialiasing);
        if (marker_.hollow) {
            painter->setPen(QPen(marker_.colour.darker(130), 2.5));
            painter->setBrush(Qt::NoBrush);
        } else {
            painter->setPen(QPen(marker_.colour.darker(160), 1));
            painter->setBrush(marker_.colour);
        }
        painter->drawEllipse(QPointF(0, 0), kMarkerRadius - 1, kMarkerRadius - 1);
    }

private:
    PlanMarker marker_;
    QGraphicsSimpleTextItem* label_;
};

QColor layerColour(int layer) {
    static const QList<QColor> colours{QColor(0x37, 0x47, 0x4F), QColor(0x1E, 0x88, 0xE5),
                                       QColor(0x6D, 0x4C, 0x41), QColor(0x00, 0x89, 0x7B),
                                       QColor(0x8E, 0x24, 0xAA), QColor(0x75, 0x75, 0x75)};
    return colours[layer % colours.size()];
}

QPointF scenePoint(const QPointF& grid) {
    return {grid.x(), -grid.y()};
}
} // namespace

QRectF LoadedPlan::extent() const {
    if (picture.isNull() || !placement) {
        return geometry.bounds();
    }
    double left = 0, right = 0, bottom = 0, top = 0;
    bool first = true;
    for (const QPointF& corner :
         {QPointF(0, 0), QPointF(picture.width(), 0), QPointF(0, picture.height()),
          QPointF(picture.width(), picture.height())}) {
        const QPointF g = placement->toGrid(corner);
        left = first ? g.x() : std::min(left, g.x());
        right = first ? g.x() : std::max(right, g.x());
        bottom = first ? g.y() : std::min(bottom, g.y());
        top = first ? g.y() : std::max(top, g.y());
        first = false;
    }
    return QRectF(QPointF(left, bottom), QPointF(right, top));
}

QString placementText(const QPointF& p1, const QPointF& g1, const QPointF& p2, const QPointF& g2) {
    QStringList numbers;
    for (const QPointF& p : {p1, g1, p2, g2}) {
        numbers << QString::number(p.x(), 'g', 17) << QString::number(p.y(), 'g', 17);
    }
    return numbers.join(' ');
}

std::optional<PictureTransform> placementOf(const QString& text) {
    const QStringList parts = text.split(' ', Qt::SkipEmptyParts);
    if (parts.size() != 8) {
        return std::nullopt;
    }
    double v[8];
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        v[i] = parts[i].toDouble(&ok);
        if (!ok) {
            return std::nullopt;
        }
    }
    return placeByTwoPoints({v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, {v[6], v[7]});
}

LoadedPlan loadStoredPlan(const StoredPlan& stored, QString* problem) {
    LoadedPlan plan;
    plan.fileName = stored.fileName;
    if (stored.kind == PlanKind::Dxf) {
        DxfReadResult read = readDxf(stored.content, stored.fileName);
        if (!read.plan) {
            *problem = read.problem;
            return plan;
        }
        plan.geometry = std::move(*read.plan);
        plan.skipped = read.skipped;
        return plan;
    }
    plan.placement = placementOf(stored.placement);
    if (!plan.placement || !plan.picture.loadFromData(stored.content)) {
        *problem =
            QStringLiteral("The plan file %1 could not be read: %2.")
                .arg(stored.fileName, plan.placement ? QStringLiteral("it is not a picture")
                                                     : QStringLiteral("its placement is lost"));
        plan.picture = QImage();
    }
    return plan;
}

bool onPlan(const LoadedPlan& plan, const QPointF& at) {
    return onPlan(plan, plan.extent(), at);
}

bool onPlan(const LoadedPlan& plan, const QRectF& extent, const QPointF& at) {
    if (plan.isEmpty()) {
        return true;
    }
    const double grow = std::max(std::max(extent.width(), extent.height()) / 2, 10.0);
    return extent.adjusted(-grow, -grow, grow, grow).contains(at);
}

QRectF buildPlanScene(QGraphicsScene& scene, const LoadedPlan& plan,
                      const QList<PlanMarker>& markers, const QSet<int>& hiddenLayers) {
    scene.clear();
    QRectF shown;
    const auto take = [&](const QRectF& r) { shown = shown.isNull() ? r : shown.united(r); };
    if (!plan.picture.isNull() && plan.placement) {
        const PictureTransform& t = *plan.placement;
        auto* picture = scene.addPixmap(QPixmap::fromImage(plan.picture));
        // Pixels to scene: x = easting, y = -northing.
        picture->setTransform(QTransform(t.a, -t.b, t.b, t.a, t.e, -t.n));
        picture->setTransformationMode(Qt::SmoothTransformation);
        picture->setZValue(-1);
        take(picture->sceneBoundingRect());
    }
    const PlanGeometry& g = plan.geometry;
    // Each layer's segments by tile of a kTiles x kTiles grid over the drawing, a segment in
    // the tile of its first point.
    constexpr int kTiles = 24;
    const QRectF drawing = g.bounds();
    const double tileWidth = std::max(drawing.width(), 1e-9) / kTiles;
    const double tileHeight = std::max(drawing.height(), 1e-9) / kTiles;
    const auto tileOf = [&](const QPointF& grid) {
        const int col = std::clamp(int((grid.x() - drawing.left()) / tileWidth), 0, kTiles - 1);
        const int row = std::clamp(int((grid.y() - drawing.top()) / tileHeight), 0, kTiles - 1);
        return row * kTiles + col;
    };
    QList<QHash<int, QVector<QLineF>>> tiles(g.layers.size());
    for (const PlanPath& p : g.paths) {
        if (p.points.size() < 2) {
            continue;
        }
        QHash<int, QVector<QLineF>>& layer = tiles[p.layer];
        for (qsizetype i = 1; i < p.points.size(); ++i) {
            layer[tileOf(p.points[i - 1])]
                << QLineF(scenePoint(p.points[i - 1]), scenePoint(p.points[i]));
        }
        if (p.closed && p.points.size() > 2) {
            layer[tileOf(p.points.last())]
                << QLineF(scenePoint(p.points.last()), scenePoint(p.points.first()));
        }
    }
    // One parent a layer, holding its tiles and texts, so that a layer is hidden as a whole.
    QList<QGraphicsItem*> layers(g.layers.size(), nullptr);
    for (int layer = 0; layer < g.layers.size(); ++layer) {
        auto* group = new QGraphicsRectItem;
        group->setPen(Qt::NoPen);
        group->setFlag(QGraphicsItem::ItemHasNoContents);
        group->setData(kLayerKey, layer);
        group->setVisible(!hiddenLayers.contains(layer));
        for (auto tile = tiles[layer].begin(); tile != tiles[layer].end(); ++tile) {
            new LayerItem(std::move(tile.value()), layerColour(layer), group);
        }
        scene.addItem(group);
        layers[layer] = group;
    }
    for (const PlanText& t : g.texts) {
        auto* text = new QGraphicsSimpleTextItem(t.text, layers[t.layer]);
        QFont font;
        font.setPixelSize(100);
        text->setFont(font);
        text->setBrush(layerColour(t.layer));
        // The font's 100 pixels scaled to the text's height in metres, its base point on the
        // grid point.
        const double s = t.height / 100.0;
        QTransform transform;
        transform.translate(t.at.x(), -t.at.y());
        transform.rotate(-t.angleDegrees);
        transform.scale(s, s);
        transform.translate(0, -QFontMetricsF(font).ascent());
        text->setTransform(transform);
    }
    if (!g.paths.isEmpty() || !g.texts.isEmpty()) {
        const QRectF& b = drawing;
        take(QRectF(b.left(), -b.bottom(), b.width(), b.height()));
    }
    // The extent goes over every point of the drawing: once, not once a marker.
    const QRectF extent = plan.extent();
    for (const PlanMarker& m : markers) {
        if (!m.at || !onPlan(plan, extent, *m.at)) {
            continue;
        }
        auto* item = new MarkerItem(m);
        item->setPos(scenePoint(*m.at));
        scene.addItem(item);
        take(QRectF(scenePoint(*m.at), QSizeF(0, 0)));
    }
    if (shown.width() == 0 || shown.height() == 0) {
        shown.adjust(-10, -10, 10, 10);
    }
    const double margin = std::max(shown.width(), shown.height()) * 0.03;
    shown.adjust(-margin, -margin, margin, margin);
    scene.setSceneRect(
        shown.adjusted(-shown.width(), -shown.height(), shown.width(), shown.height()));
    return shown;
}

void paintLevelPlan(QPainter& painter, const QRectF& target, const LoadedPlan& plan,
                    const QList<PlanMarker>& markers, const QSet<int>& hiddenLayers) {
    QGraphicsScene scene;
    const QRectF shown = buildPlanScene(scene, plan, markers, hiddenLayers);
    scene.render(&painter, target, shown, Qt::KeepAspectRatio);
}
