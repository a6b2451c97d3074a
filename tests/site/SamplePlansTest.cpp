#include "site/DxfReader.h"
#include "site/PlanScene.h"
#include "site/SiteTables.h"
#include "store/Connection.h"
#include "store/SqlFailure.h"
#include "support/TempDataFolder.h"
#include "tools/SampleData.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

class SamplePlansTest : public TempDataFolderTest {};

TEST_F(SamplePlansTest, EveryLevelHasADrawnPlanWithItsSensorsOnIt) {
    SampleOptions options;
    options.end = QDateTime(QDate(2026, 12, 8), QTime(8, 0), Qt::UTC);
    options.days = 20;
    Connection db;
    db.open(writeSampleDatabase(folder(), options));

    QMap<QString, QStringList> levels;
    QSqlQuery sensors = runQuery(db, "SELECT InstrumentID, Level FROM Sensors", {});
    while (sensors.next()) {
        levels[sensors.value(1).toString()] << sensors.value(0).toString();
    }
    ASSERT_EQ(levels.size(), 4);
    EXPECT_EQ(plannedLevels(db), levels.keys());
    const QHash<QString, SensorPosition> positions = readPositions(db);
    int placed = 0;
    int sensorCount = 0;
    for (auto level = levels.cbegin(); level != levels.cend(); ++level) {
        const std::optional<StoredPlan> stored = readPlan(db, level.key());
        ASSERT_TRUE(stored) << level.key().toStdString();
        QString problem;
        const LoadedPlan plan = loadStoredPlan(*stored, &problem);
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        EXPECT_EQ(plan.geometry.layers, (QStringList{"Drives", "Pillars", "Services", "Names"}));
        EXPECT_TRUE(plan.skipped.isEmpty());
        EXPECT_GT(plan.geometry.paths.size(), 30);
        EXPECT_EQ(plan.geometry.texts.size(), 7);
        // The sensors with a position are inside the drawing.
        sensorCount += static_cast<int>(level.value().size());
        for (const QString& id : level.value()) {
            if (positions.contains(id)) {
                ++placed;
                EXPECT_TRUE(
                    plan.extent().contains(QPointF(positions[id].easting, positions[id].northing)))
                    << id.toStdString();
            }
        }
    }
    // All but one sensor have a position.
    EXPECT_EQ(placed, sensorCount - 1);
}
