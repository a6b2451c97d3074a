// Times the Plan view of a level with 1,000 sensors over a drawing of 100,000 entities, against
// a bare QGraphicsView drawing the same lines, on the off-screen platform. Prints the figures;
// takes no arguments.

#include "site/DxfReader.h"
#include "site/PlanScene.h"
#include "site/PlanView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kEntities = 100000;
constexpr int kSensors = 1000;
constexpr int kPanFrames = 40;
const QSize kViewSize(1200, 800);

// Drives as short wall segments over a 4 km square, in layers of ten.
QByteArray bigDrawing() {
    QRandomGenerator random(20261208);
    QString text = QStringLiteral("0\nSECTION\n2\nENTITIES\n");
    text.reserve(kEntities * 90);
    for (int i = 0; i < kEntities; ++i) {
        const double x = random.bounded(4000.0);
        const double y = random.bounded(4000.0);
        const double dx = random.bounded(20.0) - 10;
        const double dy = random.bounded(20.0) - 10;
        text += QStringLiteral("0\nLINE\n8\nL%1\n10\n%2\n20\n%3\n11\n%4\n21\n%5\n")
                    .arg(i % 10)
                    .arg(x, 0, 'f', 2)
                    .arg(y, 0, 'f', 2)
                    .arg(x + dx, 0, 'f', 2)
                    .arg(y + dy, 0, 'f', 2);
    }
    text += QStringLiteral("0\nENDSEC\n0\nEOF\n");
    return text.toUtf8();
}

struct Timing {
    double firstDraw = 0;
    double panMedian = 0;
    double panWorst = 0;
};

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// Shows the view, draws it once from nothing, then pans it right by 12 pixels a frame.
Timing measure(QGraphicsView& view, const std::function<void()>& fill) {
    Timing timing;
    view.resize(kViewSize);
    QElapsedTimer t;
    t.start();
    fill();
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        std::fprintf(stderr, "the view was not shown\n");
    }
    view.viewport()->repaint();
    timing.firstDraw = ms(t);
    std::vector<double> frames;
    QScrollBar* bar = view.horizontalScrollBar();
    for (int i = 0; i < kPanFrames; ++i) {
        t.restart();
        // The view scrolls what it shows and paints the strip uncovered, as on screen.
        bar->setValue(bar->value() + 12);
        QCoreApplication::processEvents();
        frames.push_back(ms(t));
    }
    std::sort(frames.begin(), frames.end());
    timing.panMedian = frames[frames.size() / 2];
    timing.panWorst = frames.back();
    view.hide();
    return timing;
}

void print(const char* what, const Timing& t) {
    std::printf("%-46s first draw %8.1f ms   pan median %6.2f ms   pan worst %6.2f ms\n", what,
                t.firstDraw, t.panMedian, t.panWorst);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);

    const QByteArray drawing = bigDrawing();
    QElapsedTimer t;
    t.start();
    DxfReadResult read = readDxf(drawing, "bench.dxf");
    const double readMs = ms(t);
    if (!read.plan) {
        std::fprintf(stderr, "%s\n", qPrintable(read.problem));
        return 1;
    }
    LoadedPlan plan;
    plan.fileName = "bench.dxf";
    plan.geometry = std::move(*read.plan);

    QRandomGenerator random(7);
    QList<PlanMarker> markers;
    for (int i = 0; i < kSensors; ++i) {
        PlanMarker m;
        m.instrumentId = QStringLiteral("1208%1").arg(i + 1, 5, 10, QChar('0'));
        m.level = "1040 Level";
        m.at = QPointF(random.bounded(4000.0), random.bounded(4000.0));
        m.colour = QColor(0x66, 0xBB, 0x6A);
        m.label = m.instrumentId + "  1.25 mm";
        m.tip = m.instrumentId;
        markers << m;
    }
    std::printf("%d line entities (%.1f MB of DXF, read in %.0f ms), %d sensors, view %dx%d\n",
                kEntities, drawing.size() / 1e6, readMs, kSensors, kViewSize.width(),
                kViewSize.height());

    for (int run = 0; run < 3; ++run) {
        PlanView view;
        const Timing ours = measure(view, [&] { view.showPlan(plan, markers, {}); });

        QGraphicsScene scene;
        QGraphicsView bare(&scene);
        bare.setDragMode(QGraphicsView::ScrollHandDrag);
        const Timing floor = measure(bare, [&] {
            for (const PlanPath& p : plan.geometry.paths) {
                scene.addLine(
                    QLineF(p.points[0].x(), -p.points[0].y(), p.points[1].x(), -p.points[1].y()));
            }
            // Room to pan about the drawing, as the Plan view has.
            const QRectF r = scene.itemsBoundingRect();
            scene.setSceneRect(r.adjusted(-r.width(), -r.height(), r.width(), r.height()));
            bare.fitInView(r, Qt::KeepAspectRatio);
        });
        std::printf("run %d\n", run + 1);
        print("  (a) Plan view: drawing, layers and markers", ours);
        print("  (b) floor: bare QGraphicsView, the same lines", floor);
        std::printf("  target: first draw < 200 ms, pan frame < 16 ms\n");
    }
    return 0;
}
