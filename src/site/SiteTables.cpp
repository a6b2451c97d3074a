#include "site/SiteTables.h"

#include "store/Connection.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>

namespace {
const QString kPositions = QStringLiteral("SensorPositions");
const QString kPlans = QStringLiteral("LevelPlans");

QString kindText(PlanKind kind) {
    return kind == PlanKind::Picture ? QStringLiteral("Picture") : QStringLiteral("DXF");
}

std::optional<double> optionalNumber(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}
} // namespace

QHash<QString, SensorPosition> readPositions(Connection& db) {
    QHash<QString, SensorPosition> positions;
    if (!db.hasTable(kPositions)) {
        return positions;
    }
    QSqlQuery query =
        runQuery(db,
                 QStringLiteral("SELECT InstrumentID, Easting, Northing, Elevation FROM "
                                "SensorPositions"),
                 {});
    while (query.next()) {
        positions.insert(
            query.value(0).toString(),
            {query.value(1).toDouble(), query.value(2).toDouble(), optionalNumber(query.value(3))});
    }
    return positions;
}

std::optional<SensorPosition> readPosition(Connection& db, const QString& instrumentId) {
    if (!db.hasTable(kPositions)) {
        return std::nullopt;
    }
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT Easting, Northing, Elevation FROM "
                                              "SensorPositions WHERE InstrumentID = ?"),
                               {instrumentId});
    if (!query.next()) {
        return std::nullopt;
    }
    return SensorPosition{query.value(0).toDouble(), query.value(1).toDouble(),
                          optionalNumber(query.value(2))};
}

void storePosition(Connection& db, const QString& instrumentId,
                   const std::optional<SensorPosition>& position) {
    db.inTransaction([&] {
        createSiteTablesWithin(db);
        storePositionWithin(db, instrumentId, position);
    });
}

void storePositionWithin(Connection& db, const QString& instrumentId,
                         const std::optional<SensorPosition>& position) {
    if (!position) {
        db.execute(QStringLiteral("DELETE FROM SensorPositions WHERE InstrumentID = ?"),
                   {instrumentId});
        return;
    }
    const QVariant elevation = position->elevation ? QVariant(*position->elevation) : QVariant();
    db.execute(QStringLiteral("INSERT INTO SensorPositions (InstrumentID, Easting, Northing, "
                              "Elevation) VALUES (?, ?, ?, ?) ON CONFLICT (InstrumentID) DO "
                              "UPDATE SET Easting = excluded.Easting, Northing = "
                              "excluded.Northing, Elevation = excluded.Elevation"),
               {instrumentId, position->easting, position->northing, elevation});
}

QStringList plannedLevels(Connection& db) {
    QStringList levels;
    if (!db.hasTable(kPlans)) {
        return levels;
    }
    QSqlQuery query =
        runQuery(db, QStringLiteral("SELECT Level FROM LevelPlans ORDER BY Level"), {});
    while (query.next()) {
        levels << query.value(0).toString();
    }
    return levels;
}

std::optional<StoredPlan> readPlan(Connection& db, const QString& level) {
    if (!db.hasTable(kPlans)) {
        return std::nullopt;
    }
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT Kind, FileName, Content, Placement, "
                                              "StoredAt FROM LevelPlans WHERE Level = ?"),
                               {level});
    if (!query.next()) {
        return std::nullopt;
    }
    StoredPlan plan;
    plan.level = level;
    plan.kind =
        query.value(0).toString() == QLatin1String("Picture") ? PlanKind::Picture : PlanKind::Dxf;
    plan.fileName = query.value(1).toString();
    plan.content = query.value(2).toByteArray();
    plan.placement = query.value(3).toString();
    plan.storedAt = query.value(4).toString();
    return plan;
}

std::optional<QString> planStoredAt(Connection& db, const QString& level) {
    if (!db.hasTable(kPlans)) {
        return std::nullopt;
    }
    QSqlQuery query =
        runQuery(db, QStringLiteral("SELECT StoredAt FROM LevelPlans WHERE Level = ?"), {level});
    return query.next() ? std::optional<QString>(query.value(0).toString()) : std::nullopt;
}

void storePlan(Connection& db, const StoredPlan& plan) {
    db.inTransaction([&] {
        createSiteTablesWithin(db);
        db.execute(QStringLiteral("INSERT INTO LevelPlans (Level, Kind, FileName, Content, "
                                  "Placement, StoredAt) VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT "
                                  "(Level) DO UPDATE SET Kind = excluded.Kind, FileName = "
                                  "excluded.FileName, Content = excluded.Content, Placement = "
                                  "excluded.Placement, StoredAt = excluded.StoredAt"),
                   {plan.level, kindText(plan.kind), plan.fileName, plan.content,
                    plan.placement.isEmpty() ? QVariant() : QVariant(plan.placement),
                    plan.storedAt});
    });
}
