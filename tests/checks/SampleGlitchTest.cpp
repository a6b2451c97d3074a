#include "charts/GraphData.h"
#include "checks/ReadingFlagStore.h"
#include "store/Connection.h"
#include "store/EngineSql.h"
#include "support/TempDataFolder.h"
#include "tools/SampleData.h"
#include "triggers/SiteStatus.h"

#include <gtest/gtest.h>

namespace {

// The sample register's readout glitch: a spike the checks flag, rejected by "sample".
class SampleGlitchTest : public TempDataFolderTest {
protected:
    SampleGlitchTest() {
        options.end = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
        options.days = 120;
        options.readingsPerDay = 2;
        options.hourlySensors = 1;
    }

    // Every sensor's state, displacement, rate and bed separation, one line each.
    QStringList statuses(Connection& db) {
        QStringList lines;
        for (const SiteStatusRow& row : computeSiteStatus(db, options.end)) {
            const SensorStatus& s = row.status;
            const auto text = [](const std::optional<double>& v) {
                return v ? QString::number(*v, 'g', 12) : QStringLiteral("-");
            };
            lines << QStringList{row.sensor.instrumentId,
                                 QString::number(static_cast<int>(s.state)),
                                 QString::number(s.readingCount),
                                 s.newestKey,
                                 text(s.maxDisp),
                                 text(s.rate),
                                 text(s.maxSep)}
                         .join(' ');
        }
        return lines;
    }

    SampleOptions options;
};

} // namespace

TEST_F(SampleGlitchTest, OneSpikeIsFlaggedAndRejectedAndChangesNoState) {
    Connection db;
    db.open(writeSampleDatabase(folder(), options));

    QString glitched;
    QList<Rejection> rejections;
    for (const SampleSensor& sensor : sampleSensors(options)) {
        const QList<Rejection> entries = readRejections(db, sensor.instrumentId);
        if (!entries.isEmpty()) {
            EXPECT_TRUE(glitched.isEmpty()) << "a second sensor with rejections";
            glitched = sensor.instrumentId;
            rejections = entries;
        }
    }
    ASSERT_FALSE(glitched.isEmpty());
    ASSERT_EQ(rejections.size(), 1);
    const QString key = rejections[0].key;
    EXPECT_TRUE(rejections[0].rejected);
    EXPECT_EQ(rejections[0].reason, "readout glitch");
    EXPECT_EQ(rejections[0].enteredBy, "sample");
    EXPECT_EQ(rejectedKeys(db, glitched), QSet<QString>{key});
    QList<CheckKind> found;
    for (const ReadingFlag& flag : readFlags(db, glitched)) {
        if (flag.key == key) {
            found << flag.check;
        }
    }
    EXPECT_TRUE(found.contains(CheckKind::Spike));
    for (const GraphRow& row : readGraphRows(db, glitched, GraphVariant::Time)) {
        EXPECT_NE(row.key, key);
    }

    // Rejected, the spike judges exactly as if it had never been read.
    // Restored, it counts: it lies inside the window of the sensor's state.
    const QStringList withRejected = statuses(db);
    rejectReading(db, glitched, key, false, "checked", "engineer", options.end);
    EXPECT_NE(statuses(db), withRejected);
    // Rejected, the spike judges exactly as if it had never been read.
    db.execute("DELETE FROM " + quoteName(glitched) + " WHERE DateTimeKey = ?", {key});
    EXPECT_EQ(statuses(db), withRejected);
}
