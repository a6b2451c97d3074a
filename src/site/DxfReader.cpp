#include "site/DxfReader.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <functional>
#include <memory>
#include <numbers>
#include <sstream>

namespace {
constexpr double kDegree = std::numbers::pi / 180.0;
// Arcs are drawn with a point every few degrees.
constexpr double kArcStepDegrees = 5.0;
// Blocks inside blocks deeper than this are taken as a loop and left out.
constexpr int kMaxBlockDepth = 16;

const QSet<QString>& drawnKinds() {
    static const QSet<QString> kinds{
        "LINE",  "LWPOLYLINE", "POLYLINE", "VERTEX", "SEQEND", "ARC",     "CIRCLE", "TEXT",
        "MTEXT", "INSERT",     "ATTRIB",   "BLOCK",  "ENDBLK", "SECTION", "ENDSEC", "EOF"};
    return kinds;
}

// What the group pairs of the file say before any of it is drawn.
struct PairCheck {
    QString problem;
    QStringList skipped;
};

PairCheck checkPairs(const QByteArray& bytes) {
    PairCheck check;
    QMap<QString, int> skipped;
    qsizetype pos = 0;
    int lineNo = 0;
    bool sawSection = false;
    bool sawEof = false;
    QString section;
    bool nextIsSectionName = false;
    const auto nextLine = [&](QByteArray& out) {
        if (pos >= bytes.size()) {
            return false;
        }
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0) {
            end = bytes.size();
        }
        out = bytes.mid(pos, end - pos).trimmed();
        pos = end + 1;
        ++lineNo;
        return true;
    };
    QByteArray codeText;
    QByteArray value;
    while (nextLine(codeText)) {
        if (codeText.isEmpty() && pos >= bytes.size()) {
            break;
        }
        bool ok = false;
        const int code = codeText.toInt(&ok);
        if (!ok) {
            check.problem = QStringLiteral("line %1 is not a DXF group code").arg(lineNo);
            return check;
        }
        if (!nextLine(value)) {
            check.problem =
                QStringLiteral("it ends at line %1, in the middle of a group").arg(lineNo);
            return check;
        }
        if (sawEof) {
            continue;
        }
        if (nextIsSectionName && code == 2) {
            section = QString::fromLatin1(value);
            nextIsSectionName = false;
            continue;
        }
        if (code != 0) {
            continue;
        }
        const QString kind = QString::fromLatin1(value).toUpper();
        if (kind == QLatin1String("SECTION")) {
            sawSection = true;
            nextIsSectionName = true;
        } else if (kind == QLatin1String("ENDSEC")) {
            section.clear();
        } else if (kind == QLatin1String("EOF")) {
            sawEof = true;
        } else if ((section == QLatin1String("ENTITIES") || section == QLatin1String("BLOCKS")) &&
                   !drawnKinds().contains(kind)) {
            ++skipped[kind];
        }
    }
    if (!sawSection) {
        check.problem = QStringLiteral("it is not a DXF drawing (it has no SECTION)");
    } else if (!sawEof) {
        check.problem = QStringLiteral("it ends without its EOF: the file is cut short");
    }
    for (auto it = skipped.cbegin(); it != skipped.cend(); ++it) {
        check.skipped << QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value());
    }
    return check;
}

struct Insert {
    QString block;
    QString layer;
    QPointF at;
    double sx = 1, sy = 1, angle = 0;
    int cols = 1, rows = 1;
    double colSpacing = 0, rowSpacing = 0;
};

// Geometry with its layers by name, as a block or the drawing holds it before expansion.
struct Shapes {
    struct Path {
        QString layer;
        QList<QPointF> points;
        bool closed = false;
    };
    struct Text {
        QString layer;
        QPointF at;
        double height = 1;
        double angleDegrees = 0;
        QString text;
    };
    QList<Path> paths;
    QList<Text> texts;
    QList<Insert> inserts;
};

void addArcPoints(QList<QPointF>& points, const QPointF& centre, double radius, double from,
                  double sweep, bool withFirst) {
    const int steps = std::max(4, static_cast<int>(std::ceil(std::abs(sweep) / kArcStepDegrees)));
    for (int i = withFirst ? 0 : 1; i <= steps; ++i) {
        const double a = (from + sweep * i / steps) * kDegree;
        points << centre + QPointF(radius * std::cos(a), radius * std::sin(a));
    }
}

// The points of the segment from a to b with the polyline's bulge (the tangent of a quarter
// of its sweep, positive counter-clockwise), after a.
void addBulge(QList<QPointF>& points, const QPointF& a, const QPointF& b, double bulge) {
    const double chord = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (bulge == 0 || !std::isfinite(bulge) || chord == 0) {
        points << b;
        return;
    }
    // The centre lies on the chord's normal through its middle, to the left of a to b for a
    // counter-clockwise arc.
    const QPointF left(-(b.y() - a.y()) / chord, (b.x() - a.x()) / chord);
    const QPointF centre = (a + b) / 2 + left * (chord / 2 * (1 - bulge * bulge) / (2 * bulge));
    const double radius = std::hypot(a.x() - centre.x(), a.y() - centre.y());
    const double start = std::atan2(a.y() - centre.y(), a.x() - centre.x()) / kDegree;
    addArcPoints(points, centre, radius, start, 4 * std::atan(bulge) / kDegree, false);
    points.last() = b;
}

class Collector : public DL_CreationAdapter {
public:
    Shapes drawing;
    QHash<QString, Shapes> blocks;

    void addLine(const DL_LineData& d) override {
        flush();
        target().paths << Shapes::Path{layer(), {{d.x1, d.y1}, {d.x2, d.y2}}, false};
    }
    void addArc(const DL_ArcData& d) override {
        flush();
        double sweep = d.angle2 - d.angle1;
        while (sweep <= 0) {
            sweep += 360;
        }
        Shapes::Path path{layer(), {}, false};
        addArcPoints(path.points, {d.cx, d.cy}, d.radius, d.angle1, sweep, true);
        target().paths << path;
    }
    void addCircle(const DL_CircleData& d) override {
        flush();
        Shapes::Path path{layer(), {}, true};
        addArcPoints(path.points, {d.cx, d.cy}, d.radius, 0, 360, true);
        path.points.removeLast();
        target().paths << path;
    }
    void addPolyline(const DL_PolylineData& d) override {
        flush();
        polyline_ = std::make_unique<Shapes::Path>(Shapes::Path{layer(), {}, (d.flags & 1) != 0});
        bulges_.clear();
    }
    void addVertex(const DL_VertexData& d) override {
        if (!polyline_) {
            return;
        }
        polyline_->points << QPointF(d.x, d.y);
        bulges_ << d.bulge;
    }
    void endSequence() override { flush(); }
    void addText(const DL_TextData& d) override {
        flush();
        target().texts << Shapes::Text{
            layer(), {d.ipx, d.ipy}, d.height, d.angle / kDegree, QString::fromStdString(d.text)};
    }
    void addMText(const DL_MTextData& d) override {
        flush();
        QString text = QString::fromStdString(d.text);
        text.replace(QLatin1String("\\P"), QLatin1String("\n"));
        target().texts << Shapes::Text{layer(), {d.ipx, d.ipy}, d.height, d.angle / kDegree, text};
    }
    void addInsert(const DL_InsertData& d) override {
        flush();
        target().inserts << Insert{QString::fromStdString(d.name),
                                   layer(),
                                   {d.ipx, d.ipy},
                                   d.sx == 0 ? 1 : d.sx,
                                   d.sy == 0 ? 1 : d.sy,
                                   d.angle,
                                   std::max(1, d.cols),
                                   std::max(1, d.rows),
                                   d.colSp,
                                   d.rowSp};
    }
    void addBlock(const DL_BlockData& d) override {
        flush();
        block_ = QString::fromStdString(d.name);
        blockBases.insert(block_, QPointF(d.bpx, d.bpy));
        blocks[block_];
    }
    void endBlock() override {
        flush();
        block_.clear();
    }
    void addLayer(const DL_LayerData& d) override {
        layersDeclared << QString::fromStdString(d.name);
    }

    QStringList layersDeclared;
    QHash<QString, QPointF> blockBases;

    // Ends the polyline being read: a POLYLINE ends with its SEQEND, a light-weight one with
    // the next entity drawn, its block or the drawing. (dxflib reports the end of a section
    // after every entity, and the end of an entity before a POLYLINE's SEQEND.)
    void flush() {
        if (!polyline_) {
            return;
        }
        Shapes::Path path{polyline_->layer, {}, polyline_->closed};
        const QList<QPointF>& v = polyline_->points;
        if (!v.isEmpty()) {
            path.points << v.first();
            for (qsizetype i = 1; i < v.size(); ++i) {
                addBulge(path.points, v[i - 1], v[i], bulges_[i - 1]);
            }
            if (polyline_->closed && v.size() > 2 && bulges_.last() != 0) {
                addBulge(path.points, v.last(), v.first(), bulges_.last());
                path.points.removeLast();
            }
        }
        polyline_.reset();
        if (path.points.size() >= 2) {
            target().paths << path;
        }
    }

private:
    Shapes& target() { return block_.isEmpty() ? drawing : blocks[block_]; }
    QString layer() { return QString::fromStdString(getAttributes().getLayer()); }

    QString block_;
    std::unique_ptr<Shapes::Path> polyline_;
    QList<double> bulges_;
};

struct Placement {
    QPointF base;
    QPointF at;
    double sx = 1, sy = 1, cosA = 1, sinA = 0;
    QPointF map(const QPointF& p) const {
        const double x = (p.x() - base.x()) * sx;
        const double y = (p.y() - base.y()) * sy;
        return at + QPointF(x * cosA - y * sinA, x * sinA + y * cosA);
    }
};

class Expander {
public:
    Expander(const Collector& c, PlanGeometry& out) : c_(c), out_(out) {}

    void add(const Shapes& shapes, const std::function<QPointF(const QPointF&)>& map,
             const QString& insertLayer, double scale, double turn, int depth) {
        const auto layerOf = [&](const QString& own) {
            return out_.layerIndex(own == QLatin1String("0") && !insertLayer.isEmpty() ? insertLayer
                                                                                       : own);
        };
        for (const Shapes::Path& p : shapes.paths) {
            PlanPath path{layerOf(p.layer), {}, p.closed};
            path.points.reserve(p.points.size());
            for (const QPointF& q : p.points) {
                path.points << map(q);
            }
            out_.paths << path;
        }
        for (const Shapes::Text& t : shapes.texts) {
            out_.texts << PlanText{layerOf(t.layer), map(t.at), t.height * scale,
                                   t.angleDegrees + turn, t.text};
        }
        if (depth >= kMaxBlockDepth) {
            return;
        }
        for (const Insert& insert : shapes.inserts) {
            const auto block = c_.blocks.constFind(insert.block);
            if (block == c_.blocks.constEnd()) {
                continue;
            }
            const QString layer = insert.layer == QLatin1String("0") && !insertLayer.isEmpty()
                                      ? insertLayer
                                      : insert.layer;
            for (int r = 0; r < insert.rows; ++r) {
                for (int col = 0; col < insert.cols; ++col) {
                    Placement place;
                    place.base = c_.blockBases.value(insert.block);
                    place.sx = insert.sx;
                    place.sy = insert.sy;
                    place.cosA = std::cos(insert.angle * kDegree);
                    place.sinA = std::sin(insert.angle * kDegree);
                    const double ox = col * insert.colSpacing;
                    const double oy = r * insert.rowSpacing;
                    place.at = insert.at + QPointF(ox * place.cosA - oy * place.sinA,
                                                   ox * place.sinA + oy * place.cosA);
                    add(
                        *block, [&](const QPointF& p) { return map(place.map(p)); }, layer,
                        scale * std::abs(insert.sy), turn + insert.angle, depth + 1);
                }
            }
        }
    }

private:
    const Collector& c_;
    PlanGeometry& out_;
};

QString problemFor(const QString& fileName, const QString& why) {
    return QStringLiteral("The plan file %1 could not be read: %2.").arg(fileName, why);
}
} // namespace

DxfReadResult readDxf(const QByteArray& bytes, const QString& fileName) {
    DxfReadResult result;
    const PairCheck check = checkPairs(bytes);
    result.skipped = check.skipped;
    if (!check.problem.isEmpty()) {
        result.problem = problemFor(fileName, check.problem);
        return result;
    }
    Collector collector;
    std::istringstream stream(bytes.toStdString());
    DL_Dxf dxf;
    if (!dxf.in(stream, &collector)) {
        result.problem = problemFor(fileName, QStringLiteral("its groups could not be read"));
        return result;
    }
    collector.flush();
    PlanGeometry plan;
    for (const QString& layer : collector.layersDeclared) {
        plan.layerIndex(layer);
    }
    Expander(collector, plan)
        .add(
            collector.drawing, [](const QPointF& p) { return p; }, {}, 1, 0, 0);
    if (plan.paths.isEmpty() && plan.texts.isEmpty()) {
        result.problem = problemFor(fileName, QStringLiteral("it holds nothing a plan draws"));
        return result;
    }
    result.plan = std::move(plan);
    return result;
}

DxfReadResult readDxfFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    DxfReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.problem = problemFor(name, file.errorString());
        return result;
    }
    if (file.size() > kMaxDxfBytes) {
        result.problem =
            problemFor(name, QStringLiteral("at %1 MB it is larger than the %2 MB a plan may be")
                                 .arg(file.size() / (1024 * 1024))
                                 .arg(kMaxDxfBytes / (1024 * 1024)));
        return result;
    }
    return readDxf(file.readAll(), name);
}
