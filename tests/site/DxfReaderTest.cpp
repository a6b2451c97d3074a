#include "site/DxfReader.h"
#include "site/DxfText.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QString line(const QString& layer, double x1, double y1, double x2, double y2) {
    return QStringLiteral("0\nLINE\n8\n%1\n10\n%2\n20\n%3\n30\n0\n11\n%4\n21\n%5\n31\n0\n")
        .arg(layer)
        .arg(x1)
        .arg(y1)
        .arg(x2)
        .arg(y2);
}

QString block(const QString& name, double bx, double by, const QString& body) {
    return QStringLiteral("0\nBLOCK\n8\n0\n2\n%1\n70\n0\n10\n%2\n20\n%3\n30\n0\n3\n%1\n")
               .arg(name)
               .arg(bx)
               .arg(by) +
           body + QStringLiteral("0\nENDBLK\n8\n0\n");
}

QString insert(const QString& name, const QString& layer, double x, double y, double scale,
               double angle, const QString& more = {}) {
    return QStringLiteral(
               "0\nINSERT\n8\n%1\n2\n%2\n10\n%3\n20\n%4\n30\n0\n41\n%5\n42\n%5\n50\n%6\n")
               .arg(layer, name)
               .arg(x)
               .arg(y)
               .arg(scale)
               .arg(angle) +
           more;
}

void expectNear(const QPointF& p, double x, double y) {
    EXPECT_NEAR(p.x(), x, 1e-6) << "x of (" << p.x() << ", " << p.y() << ")";
    EXPECT_NEAR(p.y(), y, 1e-6) << "y of (" << p.x() << ", " << p.y() << ")";
}

double radiusAbout(const PlanPath& path, const QPointF& centre) {
    double worst = 0;
    for (const QPointF& p : path.points) {
        worst = std::max(worst, std::hypot(p.x() - centre.x(), p.y() - centre.y()));
    }
    return worst;
}

} // namespace

TEST(DxfReaderTest, ReadsLinesPolylinesArcsCirclesAndTextsOnTheirLayers) {
    const QString entities =
        line("Walls", 1000, 2000, 1010, 2000) +
        // A closed light-weight polyline whose first side is a half circle bulging outwards.
        QStringLiteral("0\nLWPOLYLINE\n8\nDrives\n90\n3\n70\n1\n10\n0\n20\n0\n42\n1\n10\n10\n"
                       "20\n0\n10\n10\n20\n10\n") +
        QStringLiteral("0\nARC\n8\nWalls\n10\n5\n20\n5\n30\n0\n40\n2\n50\n0\n51\n90\n") +
        QStringLiteral("0\nCIRCLE\n8\nPillars\n10\n50\n20\n60\n30\n0\n40\n3\n") +
        QStringLiteral(
            "0\nTEXT\n8\nNames\n10\n7\n20\n8\n30\n0\n40\n2.5\n1\nXC 12 North\n50\n90\n") +
        QStringLiteral("0\nPOLYLINE\n8\nDrives\n66\n1\n70\n0\n10\n0\n20\n0\n30\n0\n"
                       "0\nVERTEX\n8\nDrives\n10\n1\n20\n1\n30\n0\n"
                       "0\nVERTEX\n8\nDrives\n10\n2\n20\n3\n30\n0\n"
                       "0\nSEQEND\n8\nDrives\n");
    const DxfReadResult read =
        readDxf(dxfDrawing({"0", "Walls", "Drives", "Pillars", "Names", "Empty"}, {}, entities),
                "1040.dxf");
    ASSERT_TRUE(read.plan) << read.problem.toStdString();
    EXPECT_TRUE(read.skipped.isEmpty());
    const PlanGeometry& plan = *read.plan;
    // Declared layers are listed even when nothing is drawn on them.
    EXPECT_EQ(plan.layers, (QStringList{"0", "Walls", "Drives", "Pillars", "Names", "Empty"}));
    ASSERT_EQ(plan.paths.size(), 5);

    const PlanPath& wall = plan.paths[0];
    EXPECT_EQ(plan.layers[wall.layer], "Walls");
    ASSERT_EQ(wall.points.size(), 2);
    expectNear(wall.points[0], 1000, 2000);
    expectNear(wall.points[1], 1010, 2000);

    const PlanPath& drive = plan.paths[1];
    EXPECT_EQ(plan.layers[drive.layer], "Drives");
    EXPECT_TRUE(drive.closed);
    expectNear(drive.points.first(), 0, 0);
    expectNear(drive.points.last(), 10, 10);
    // The bulge of 1 is a counter-clockwise half circle from (0,0) to (10,0): below the
    // chord, outside the triangle.
    double lowest = 0;
    for (const QPointF& p : drive.points) {
        lowest = std::min(lowest, p.y());
        if (p.y() < -1e-9) {
            EXPECT_NEAR(std::hypot(p.x() - 5, p.y()), 5, 1e-6);
        }
    }
    EXPECT_NEAR(lowest, -5, 0.05);

    // The quarter arc runs counter-clockwise from 0 to 90 degrees.
    const PlanPath& arc = plan.paths[2];
    expectNear(arc.points.first(), 7, 5);
    expectNear(arc.points.last(), 5, 7);
    EXPECT_NEAR(radiusAbout(arc, {5, 5}), 2, 1e-9);
    EXPECT_FALSE(arc.closed);

    const PlanPath& circle = plan.paths[3];
    EXPECT_EQ(plan.layers[circle.layer], "Pillars");
    EXPECT_TRUE(circle.closed);
    EXPECT_GE(circle.points.size(), 36);
    EXPECT_NEAR(radiusAbout(circle, {50, 60}), 3, 1e-9);

    const PlanPath& old = plan.paths[4];
    ASSERT_EQ(old.points.size(), 2);
    expectNear(old.points[1], 2, 3);

    ASSERT_EQ(plan.texts.size(), 1);
    EXPECT_EQ(plan.texts[0].text, "XC 12 North");
    EXPECT_EQ(plan.layers[plan.texts[0].layer], "Names");
    expectNear(plan.texts[0].at, 7, 8);
    EXPECT_DOUBLE_EQ(plan.texts[0].height, 2.5);
    EXPECT_NEAR(plan.texts[0].angleDegrees, 90, 1e-9);

    const QRectF bounds = plan.bounds();
    EXPECT_NEAR(bounds.left(), 0, 1e-9);
    EXPECT_NEAR(bounds.right(), 1010, 1e-9);
    EXPECT_NEAR(bounds.bottom(), 2000, 1e-9);
}

TEST(DxfReaderTest, ExpandsBlockInsertsWithScaleRotationArraysAndNesting) {
    // A pillar block drawn about its base point (1, 1), and a panel of two pillars.
    const QString blocks =
        block("PILLAR", 1, 1, line("0", 1, 1, 3, 1) + line("Survey", 1, 1, 1, 2)) +
        block("PANEL", 0, 0,
              insert("PILLAR", "0", 0, 0, 1, 0) + insert("PILLAR", "0", 10, 0, 1, 0));
    const QString entities =
        // Twice the size, turned a quarter to the left, at (100, 100).
        insert("PILLAR", "Pillars", 100, 100, 2, 90) +
        // Two columns 5 m apart.
        insert("PILLAR", "Pillars", 0, 50, 1, 0, "70\n2\n71\n1\n44\n5\n45\n0\n") +
        insert("PANEL", "Panels", 0, -20, 1, 0) +
        // A block that is not defined draws nothing.
        insert("MISSING", "Pillars", 0, 0, 1, 0);
    const DxfReadResult read =
        readDxf(dxfDrawing({"0", "Pillars", "Survey", "Panels"}, blocks, entities), "blocks.dxf");
    ASSERT_TRUE(read.plan) << read.problem.toStdString();
    const PlanGeometry& plan = *read.plan;
    ASSERT_EQ(plan.paths.size(), 2 + 4 + 4);

    // Layer "0" inside the block takes the insert's layer; any other layer stays its own.
    EXPECT_EQ(plan.layers[plan.paths[0].layer], "Pillars");
    EXPECT_EQ(plan.layers[plan.paths[1].layer], "Survey");
    // (1,1)-(3,1) about the base: (0,0)-(2,0), scaled (0,0)-(4,0), turned (0,0)-(0,4).
    expectNear(plan.paths[0].points[0], 100, 100);
    expectNear(plan.paths[0].points[1], 100, 104);
    expectNear(plan.paths[1].points[1], 98, 100);

    expectNear(plan.paths[2].points[1], 2, 50);
    expectNear(plan.paths[4].points[0], 5, 50);
    expectNear(plan.paths[4].points[1], 7, 50);

    // The panel's pillars, nested one deeper, take the panel's layer through both inserts.
    EXPECT_EQ(plan.layers[plan.paths[6].layer], "Panels");
    EXPECT_EQ(plan.layers[plan.paths[7].layer], "Survey");
    expectNear(plan.paths[6].points[0], 0, -20);
    expectNear(plan.paths[8].points[1], 12, -20);
}

TEST(DxfReaderTest, RefusesWhatIsNotAWholeDrawingAndNamesTheFile) {
    const QByteArray good = dxfDrawing({"Walls"}, {}, line("Walls", 0, 0, 1, 1));

    DxfReadResult read = readDxf("Easting,Northing\n1,2\n", "survey.csv");
    EXPECT_FALSE(read.plan);
    EXPECT_EQ(read.problem,
              "The plan file survey.csv could not be read: line 1 is not a DXF group code.");

    read = readDxf("999\nmade by hand\n0\nEOF\n", "empty.dxf");
    EXPECT_FALSE(read.plan);
    EXPECT_EQ(read.problem,
              "The plan file empty.dxf could not be read: it is not a DXF drawing (it has no "
              "SECTION).");

    // Cut short in the middle of the entities.
    read = readDxf(good.left(good.indexOf("ENTITIES") + 40), "cut.dxf");
    EXPECT_FALSE(read.plan);
    EXPECT_TRUE(read.problem.startsWith("The plan file cut.dxf could not be read: it ends"))
        << read.problem.toStdString();

    read = readDxf(dxfDrawing({"Walls"}, {}, {}), "blank.dxf");
    EXPECT_FALSE(read.plan);
    EXPECT_EQ(read.problem,
              "The plan file blank.dxf could not be read: it holds nothing a plan draws.");

    // Unknown entities are left out and listed; the rest is drawn.
    const QString hatch = QStringLiteral("0\nHATCH\n8\nWalls\n10\n0\n20\n0\n30\n0\n");
    read = readDxf(dxfDrawing({"Walls"}, {},
                              hatch + line("Walls", 0, 0, 1, 1) + hatch +
                                  QStringLiteral("0\nSPLINE\n8\nWalls\n")),
                   "mixed.dxf");
    ASSERT_TRUE(read.plan) << read.problem.toStdString();
    EXPECT_EQ(read.plan->paths.size(), 1);
    EXPECT_EQ(read.skipped, (QStringList{"HATCH (2)", "SPLINE (1)"}));
}

TEST(DxfReaderTest, AFileLargerThanAPlanMayBeIsRefusedUnread) {
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.dxf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // A sparse file: its size is what counts, not its content.
    ASSERT_TRUE(file.resize(200LL * 1024 * 1024));
    file.close();
    const DxfReadResult read = readDxfFile(path);
    EXPECT_FALSE(read.plan);
    EXPECT_EQ(read.problem, "The plan file huge.dxf could not be read: at 200 MB it is larger "
                            "than the 100 MB a plan may be.");

    const DxfReadResult missing = readDxfFile(dir.filePath("gone.dxf"));
    EXPECT_FALSE(missing.plan);
    EXPECT_TRUE(missing.problem.startsWith("The plan file gone.dxf could not be read: "));
}
