#include "tools/SamplePlans.h"

#include "site/SiteTables.h"
#include "store/Connection.h"

#include <QMap>

namespace {
constexpr double kEast = 15000;
constexpr double kNorth = 80000;
constexpr int kCrosscuts = 6;

struct Dxf {
    QString out;
    void group(int code, const QString& value) {
        out += QString::number(code) + QLatin1Char(10) + value + QLatin1Char(10);
    }
    void group(int code, double value) { group(code, QString::number(value, 'f', 3)); }
    void line(const QString& layer, QPointF a, QPointF b) {
        group(0, "LINE");
        group(8, layer);
        group(10, a.x());
        group(20, a.y());
        group(30, 0.0);
        group(11, b.x());
        group(21, b.y());
        group(31, 0.0);
    }
    void rectangle(const QString& layer, QPointF corner, double width, double height) {
        group(0, "LWPOLYLINE");
        group(8, layer);
        group(90, "4");
        group(70, "1");
        for (const QPointF& p : {corner, corner + QPointF(width, 0),
                                 corner + QPointF(width, height), corner + QPointF(0, height)}) {
            group(10, p.x());
            group(20, p.y());
        }
    }
    void text(const QString& layer, QPointF at, double height, const QString& words,
              double angle = 0) {
        group(0, "TEXT");
        group(8, layer);
        group(10, at.x());
        group(20, at.y());
        group(30, 0.0);
        group(40, height);
        group(1, words);
        group(50, angle);
    }
};

QPointF origin(int levelIndex) {
    return {kEast + 40.0 * levelIndex, kNorth + 25.0 * levelIndex};
}
} // namespace

QPointF sampleSensorPoint(int levelIndex, int n) {
    // In the crosscuts, one after the other, 40 or 100 m from the main drive by turns, and
    // further in on the next round.
    return origin(levelIndex) + QPointF(100.0 * (1 + n % kCrosscuts),
                                        40.0 + 60.0 * (n % 2) + 20.0 * ((n / kCrosscuts) % 2));
}

QByteArray sampleLevelDxf(int levelIndex) {
    const QPointF o = origin(levelIndex);
    const double length = 100.0 * (kCrosscuts + 1);
    Dxf d;
    d.group(0, "SECTION");
    d.group(2, "HEADER");
    d.group(9, "$ACADVER");
    d.group(1, "AC1009");
    d.group(0, "ENDSEC");
    d.group(0, "SECTION");
    d.group(2, "TABLES");
    d.group(0, "TABLE");
    d.group(2, "LAYER");
    d.group(70, "4");
    for (const char* layer : {"Drives", "Pillars", "Services", "Names"}) {
        d.group(0, "LAYER");
        d.group(2, layer);
        d.group(70, "0");
        d.group(62, "7");
        d.group(6, "CONTINUOUS");
    }
    d.group(0, "ENDTAB");
    d.group(0, "ENDSEC");
    // The refuge chamber: a box with a cross, drawn about its base point.
    d.group(0, "SECTION");
    d.group(2, "BLOCKS");
    d.group(0, "BLOCK");
    d.group(8, "0");
    d.group(2, "REFUGE");
    d.group(70, "0");
    d.group(10, 0.0);
    d.group(20, 0.0);
    d.group(30, 0.0);
    d.group(3, "REFUGE");
    d.rectangle("0", {-4, -3}, 8, 6);
    d.line("0", {-4, -3}, {4, 3});
    d.line("0", {-4, 3}, {4, -3});
    d.group(0, "ENDBLK");
    d.group(8, "0");
    d.group(0, "ENDSEC");

    d.group(0, "SECTION");
    d.group(2, "ENTITIES");
    // The main drive, 6 m wide, and the crosscuts north of it, 5 m wide and 160 m long.
    d.line("Drives", o, o + QPointF(length, 0));
    d.line("Drives", o + QPointF(0, 6), o + QPointF(length, 6));
    for (int c = 1; c <= kCrosscuts; ++c) {
        const double x = 100.0 * c;
        d.line("Drives", o + QPointF(x - 2.5, 6), o + QPointF(x - 2.5, 166));
        d.line("Drives", o + QPointF(x + 2.5, 6), o + QPointF(x + 2.5, 166));
        d.line("Drives", o + QPointF(x - 2.5, 166), o + QPointF(x + 2.5, 166));
        d.text("Names", o + QPointF(x + 4, 120), 4, QStringLiteral("XC %1").arg(c), 90);
    }
    // Pillars between the crosscuts, and a sump at the end of the drive.
    for (int c = 1; c < kCrosscuts; ++c) {
        d.rectangle("Pillars", o + QPointF(100.0 * c + 12, 30), 76, 120);
    }
    d.group(0, "CIRCLE");
    d.group(8, "Services");
    d.group(10, o.x() + length + 10);
    d.group(20, o.y() + 3);
    d.group(30, 0.0);
    d.group(40, 6.0);
    d.group(0, "ARC");
    d.group(8, "Services");
    d.group(10, o.x());
    d.group(20, o.y() + 3);
    d.group(30, 0.0);
    d.group(40, 12.0);
    d.group(50, 90.0);
    d.group(51, 270.0);
    for (const double x : {150.0, 450.0}) {
        d.group(0, "INSERT");
        d.group(8, "Services");
        d.group(2, "REFUGE");
        d.group(10, o.x() + x);
        d.group(20, o.y() - 8);
        d.group(30, 0.0);
    }
    d.text("Names", o + QPointF(10, -14), 5, QStringLiteral("Main Drive"));
    d.group(0, "ENDSEC");
    d.group(0, "EOF");
    return d.out.toUtf8();
}

void writeSamplePlans(Connection& db, const QVector<SampleSensor>& sensors) {
    QStringList levels;
    QMap<QString, QStringList> byLevel;
    for (const SampleSensor& s : sensors) {
        if (!levels.contains(s.level)) {
            levels << s.level;
        }
        byLevel[s.level] << s.instrumentId;
    }
    db.inTransaction([&] {
        createSiteTablesWithin(db);
        for (int l = 0; l < levels.size(); ++l) {
            const QStringList ids = byLevel[levels[l]];
            // The last sensor of the last level waits for the surveyor.
            const qsizetype placed = l + 1 == levels.size() ? ids.size() - 1 : ids.size();
            for (int n = 0; n < placed; ++n) {
                const QPointF at = sampleSensorPoint(l, n);
                storePositionWithin(db, ids[n], SensorPosition{at.x(), at.y(), -1040.0 - 70.0 * l});
            }
        }
    });
    for (int l = 0; l < levels.size(); ++l) {
        storePlan(db, StoredPlan{levels[l],
                                 PlanKind::Dxf,
                                 QString(levels[l]).replace(' ', '_') + ".dxf",
                                 sampleLevelDxf(l),
                                 {},
                                 "2026-01-05 07:30:00"});
    }
}
