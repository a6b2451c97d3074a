#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

#include "store/SiteTableSchema.h"

class Connection;

struct SensorPosition {
    double easting = 0;
    double northing = 0;
    std::optional<double> elevation;
};

// Every stored position by sensor number; none without the table.
QHash<QString, SensorPosition> readPositions(Connection& db);
// The sensor's position, or none.
std::optional<SensorPosition> readPosition(Connection& db, const QString& instrumentId);
// Stores the sensor's position, replacing the one it had; none removes it. In one transaction.
void storePosition(Connection& db, const QString& instrumentId,
                   const std::optional<SensorPosition>& position);
// The same inside the caller's transaction (the table must exist).
void storePositionWithin(Connection& db, const QString& instrumentId,
                         const std::optional<SensorPosition>& position);

enum class PlanKind { Dxf, Picture };

struct StoredPlan {
    QString level;
    PlanKind kind = PlanKind::Dxf;
    QString fileName; // the name the file had, without its folder
    QByteArray content;
    // A picture's placement: "x1 y1 e1 n1 x2 y2 e2 n2" (pixels, then metres), else empty.
    QString placement;
    QString storedAt;
};

// The levels that have a plan, in order; none without the table.
QStringList plannedLevels(Connection& db);
// The level's plan, or none.
std::optional<StoredPlan> readPlan(Connection& db, const QString& level);
// When the level's plan was stored, without reading the plan; none without one.
std::optional<QString> planStoredAt(Connection& db, const QString& level);
// Stores the plan, replacing the level's previous one, in one transaction.
void storePlan(Connection& db, const StoredPlan& plan);
