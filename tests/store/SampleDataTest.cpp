#include "tools/SampleData.h"
#include "charts/Displacement.h"
#include "charts/Geometry.h"
#include "charts/Loads.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/SensorTypes.h"
#include "support/TempDataFolder.h"
#include "triggers/SiteStatus.h"
#include "triggers/TriggerEvents.h"

#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {
class SampleDataTest : public TempDataFolderTest {
protected:
    SampleDataTest() {
        options.end = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
        options.days = 30;
        options.readingsPerDay = 2;
    }

    // Rows of a statement, one list of column texts per row.
    static QVector<QStringList> rows(Connection& db, const QString& sql) {
        QSqlQuery query(db.db());
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
        QVector<QStringList> result;
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i) {
                row << (query.isNull(i) ? QStringLiteral("<null>") : query.value(i).toString());
            }
            result << row;
        }
        return result;
    }

    SampleOptions options;
};

// Change of each node channel from the first reading to the last.
QVector<double> channelChanges(const QVector<SampleReading>& readings, int nodes) {
    QVector<double> changes;
    for (int n = 0; n < nodes; ++n) {
        changes << readings.last().channels[n].toDouble() - readings.first().channels[n].toDouble();
    }
    return changes;
}
} // namespace

TEST_F(SampleDataTest, RegisterHoldsEveryTypeBothArrangementsAndOneDestroyedSensor) {
    Connection db;
    db.open(writeSampleDatabase(folder(), options));

    QSet<QString> types;
    QSet<QString> heads;
    int destroyed = 0;
    for (const QStringList& s :
         rows(db, "SELECT InstrumentID, SensorType, DateID, TypeID, SensorNo, Family, Model, "
                  "HeadLocation, Destroyed, DestructionDate, LengthofCable, Recess, kval, "
                  "InstallDate, Level, Location FROM Sensors")) {
        const QString id = s[0];
        SCOPED_TRACE(id.toStdString());
        EXPECT_TRUE(
            QRegularExpression("^\\d{4}(21|31|41|51|61|71|81|91)\\d{3}$").match(id).hasMatch());
        EXPECT_EQ(s[2] + s[3] + s[4], id);
        EXPECT_EQ(s[3], s[1]);
        const auto type = lookupSensorType(s[1]);
        ASSERT_TRUE(type.has_value());
        EXPECT_EQ(s[5], type->modelName);
        EXPECT_EQ(s[6], "EX");
        types << s[1];
        heads << s[7];
        if (s[8] == "Yes") {
            ++destroyed;
            EXPECT_TRUE(QDate::fromString(s[9], "yyyy/MM/dd").isValid());
        } else {
            EXPECT_EQ(s[8], "No");
            EXPECT_EQ(s[9], "<null>");
        }
        EXPECT_GE(s[11].toDouble(), 0.1);
        EXPECT_LE(s[11].toDouble(), 0.5);
        EXPECT_GE(s[12].toDouble(), 19.0);
        EXPECT_LE(s[12].toDouble(), 29.0);
        EXPECT_TRUE(QDate::fromString(s[13], "yyyy/MM/dd").isValid());
        EXPECT_FALSE(s[14].isEmpty());
        EXPECT_FALSE(s[15].isEmpty());

        // Node locations grow away from the head and the strand reaches past the last one.
        QStringList nodeColumns;
        for (int n = 1; n <= 8; ++n) {
            nodeColumns << QStringLiteral("NodeLocation%1").arg(n);
        }
        const QStringList nodes = rows(db, "SELECT " + nodeColumns.join(", ") +
                                               " FROM Sensors WHERE InstrumentID = '" + id + "'")
                                      .first();
        double previous = 0.0;
        for (int n = 0; n < 8; ++n) {
            if (n < type->nodeCount) {
                EXPECT_GT(nodes[n].toDouble(), previous);
                previous = nodes[n].toDouble();
            } else {
                EXPECT_EQ(nodes[n], "<null>");
            }
        }
        EXPECT_GT(s[10].toDouble(), previous);
    }
    EXPECT_EQ(types, (QSet<QString>{"21", "31", "41", "51", "61", "71", "81", "91"}));
    EXPECT_EQ(heads, (QSet<QString>{"0", "1"}));
    EXPECT_EQ(destroyed, 1);
}

TEST_F(SampleDataTest, EveryTypeComesWithBothHeadsAndPlatesOnlyWhereLoadsReachThem) {
    QMap<QString, QSet<bool>> heads;
    int plates = 0;
    for (const SampleSensor& s : sampleSensors(options)) {
        heads[s.sensorType] << s.headAtCollar;
        if (s.plate) {
            ++plates;
            // The load profile starts from Load1 (collar) or Load5 (toe), which must exist.
            EXPECT_GE(s.nodeCount, s.headAtCollar ? 2 : 6) << s.instrumentId.toStdString();
        }
    }
    EXPECT_EQ(heads.size(), 8);
    for (const QSet<bool>& both : heads) {
        EXPECT_EQ(both.size(), 2);
    }
    EXPECT_GE(plates, 2);
}

TEST_F(SampleDataTest, ReadingsAreStoredInTheFormsTheProgramWrites) {
    Connection db;
    db.open(writeSampleDatabase(folder(), options));
    const QRegularExpression twoDecimals("^-?\\d+\\.\\d\\d$");

    for (const QStringList& s : rows(db, "SELECT InstrumentID, SensorType, DestructionDate "
                                         "FROM Sensors")) {
        const QString id = s[0];
        SCOPED_TRACE(id.toStdString());
        const int nodes = lookupSensorType(s[1])->nodeCount;
        const QVector<QStringList> readings = rows(
            db, "SELECT DateTimeKey, FullDate, ReadingDate, ReadingTime, Channel1, Channel2, "
                "Channel3, Channel4, Channel5, Channel6, Channel7, Channel8, Channel9, Channel10, "
                "ChannelT, IsDirty, Plottemporal, PlotSpatial FROM `" +
                    id + "` ORDER BY FullDate");
        ASSERT_GE(readings.size(), 2);
        QSet<QString> keys;
        for (const QStringList& r : readings) {
            const QDateTime at = QDateTime::fromString(r[1], "yyyy-MM-dd HH:mm:ss");
            ASSERT_TRUE(at.isValid()) << r[1].toStdString();
            EXPECT_EQ(r[0], id + ' ' + at.toString("yyyy/MM/dd HH:mm:ss"));
            EXPECT_EQ(r[2], at.toString("yyyy/MM/dd"));
            EXPECT_EQ(r[3], at.toString("HH:mm:ss"));
            for (int n = 0; n < 8; ++n) {
                if (n < nodes) {
                    EXPECT_TRUE(r[4 + n].isEmpty() || twoDecimals.match(r[4 + n]).hasMatch())
                        << r[4 + n].toStdString();
                } else {
                    EXPECT_EQ(r[4 + n], "");
                }
            }
            EXPECT_EQ(r[12], "<null>");
            EXPECT_EQ(r[13], "<null>");
            const double temperature = r[14].toDouble();
            EXPECT_GT(temperature, 10.0);
            EXPECT_LT(temperature, 22.0);
            EXPECT_EQ(r[15], "1");
            keys << r[0];
        }
        EXPECT_EQ(keys.size(), readings.size());
        // The installation reading is complete and is the zero reference of both charts.
        for (int n = 0; n < nodes; ++n) {
            EXPECT_FALSE(readings.first()[4 + n].isEmpty());
        }
        EXPECT_EQ(readings.first()[16], "1");
        EXPECT_EQ(readings.first()[17], "1");
        if (s[2] != "<null>") {
            EXPECT_LT(readings.last()[2], s[2]);
        }
    }
}

TEST_F(SampleDataTest, EverySensorPlotsOneReadingADayAndRarelyMissesAChannel) {
    options.days = 365;
    const QVector<SampleSensor> sensors = sampleSensors(options);
    ASSERT_EQ(sensors.first().readingsPerDay, 24);
    ASSERT_EQ(sensors.last().readingsPerDay, 2);
    int readingCount = 0;
    int missed = 0;
    for (const SampleSensor& sensor : sensors) {
        SCOPED_TRACE(sensor.instrumentId.toStdString());
        const QVector<SampleReading> readings = sampleReadings(sensor, options);
        QSet<QDate> days;
        QSet<QDate> ticked;
        for (const SampleReading& r : readings) {
            days << r.at.date();
            if (r.plotTemporal) {
                EXPECT_FALSE(ticked.contains(r.at.date()));
                ticked << r.at.date();
            }
            for (int n = 0; n < sensor.nodeCount; ++n) {
                missed += r.channels[n].isEmpty() ? 1 : 0;
            }
        }
        EXPECT_GE(ticked.size(), days.size() - 1);
        readingCount += static_cast<int>(readings.size());
    }
    // A missing channel counts 0 and shows as a spike on the charts, so they stay rare.
    EXPECT_GT(missed, 0);
    EXPECT_LT(missed * 500, readingCount);
}

TEST_F(SampleDataTest, ShallowAnchorsMoveMoreAndFasterAfterTheBlast) {
    options.days = 2 * 365;
    options.readingsPerDay = 1;
    SampleSensor collar = sampleSensors(options)[6]; // seven nodes, head at collar
    ASSERT_TRUE(collar.headAtCollar);
    collar.installDate = options.end.date().addDays(-options.days);
    collar.blastAt = QDateTime(collar.installDate.addDays(400), QTime(14, 30), Qt::UTC);
    collar.blastStep = 3.0;
    collar.blastRateFactor = 3.0;
    SampleSensor toe = collar;
    toe.headAtCollar = false;

    // Head at collar: the gap to a deeper anchor opens more. Head at toe: node 1 is the
    // deepest, so the gap grows towards the last node.
    for (const SampleSensor& sensor : {collar, toe}) {
        const QVector<SampleReading> readings = sampleReadings(sensor, options);
        const QVector<double> changes = channelChanges(readings, sensor.nodeCount);
        for (int n = 1; n < sensor.nodeCount; ++n) {
            EXPECT_GT(changes[n], changes[n - 1]) << "node " << n + 1;
        }
        EXPECT_GT(changes.last(), 5.0);
    }

    const auto surface = [&](int day) {
        return groundMovement(collar, 0.0,
                              QDateTime(collar.installDate.addDays(day), QTime(12, 0), Qt::UTC));
    };
    EXPECT_NEAR(surface(400) - surface(399), collar.creepRate, 0.01);
    EXPECT_GT(surface(401) - surface(400), 3.0);
    EXPECT_GT(surface(431) - surface(401), 2.0 * (surface(399) - surface(369)));
    EXPECT_LT(groundMovement(collar, 6.0, collar.blastAt.addDays(30)),
              groundMovement(collar, 1.0, collar.blastAt.addDays(30)));
}

TEST_F(SampleDataTest, LoadsOverThreeYearsStayBelowAStrandsBreakingLoad) {
    // A cable-bolt strand breaks at about 250 kN: the sample's load charts stay below that.
    options.days = 3 * 365;
    options.readingsPerDay = 1;
    double largest = 0.0;
    for (const SampleSensor& sensor : sampleSensors(options)) {
        if (sensor.nodeCount < 2) {
            continue;
        }
        GeometryInput geometry;
        geometry.headAtCollar = sensor.headAtCollar;
        geometry.recess = QString::number(sensor.recess);
        geometry.lengthOfCable = QString::number(sensor.lengthofCable);
        for (double node : sensor.nodeLocations) {
            geometry.nodeTexts << QString::number(node);
        }
        geometry.nodeCount = sensor.nodeCount;
        const QStringList anchors = CalcReltoRoof(geometry).anchors;
        const QVector<SampleReading> readings = sampleReadings(sensor, options);
        const ChannelOffsets offsets = GetOffsets(readings.first().channels);
        for (const SampleReading& r : readings) {
            // A reading with a channel not read has no loads worth judging.
            if (r.channels.mid(0, sensor.nodeCount).contains(QString(""))) {
                continue;
            }
            const ZeroResult zero = SetZeros(r.channels, r.temperature, offsets, sensor.nodeCount);
            QList<double> disp;
            for (const std::optional<double>& d :
                 displacementsOf(zero.zero, sensor.nodeCount, sensor.headAtCollar)) {
                disp << d.value_or(0.0);
            }
            for (double load : SetLoads(anchors, disp, sensor.nodeCount, sensor.kval).loads) {
                largest = std::max(largest, std::abs(load));
            }
        }
    }
    EXPECT_LT(largest, 250.0);
    // Still loads worth a chart.
    EXPECT_GT(largest, 50.0);
}

TEST_F(SampleDataTest, ExistingDatabaseIsNeverOverwritten) {
    const QString path = writeSampleDatabase(folder(), options);
    const qint64 size = QFileInfo(path).size();
    const QDateTime modified = QFileInfo(path).lastModified();
    options.days = 60;
    EXPECT_THROW(writeSampleDatabase(folder(), options), DbError);
    EXPECT_EQ(QFileInfo(path).size(), size);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
}

TEST_F(SampleDataTest, LevelsShowEveryStateAnOverdueSensorAndOneLoggedEvent) {
    options.newInstallation = true;
    Connection db;
    db.open(writeSampleDatabase(folder(), options));
    QMap<TriggerState, int> states;
    int overdue = 0;
    for (const SiteStatusRow& row : computeSiteStatus(db, options.end)) {
        ++states[row.status.state];
        overdue += row.overdue ? 1 : 0;
    }
    EXPECT_EQ(states.value(TriggerState::Red), 1);
    EXPECT_EQ(states.value(TriggerState::Amber), 1);
    EXPECT_EQ(states.value(TriggerState::Grey), 1);
    EXPECT_GT(states.value(TriggerState::Green), 10);
    EXPECT_GE(overdue, 1);
    const QList<TriggerEvent> events = allTriggerEvents(db);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.first().state, TriggerState::Red);
}
