#include "tools/SampleData.h"

#include "charts/TemperatureCorrection.h"
#include "checks/ReadingFlagStore.h"
#include "revisions/RevisionStore.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "store/SensorTypes.h"
#include "store/SqlFailure.h"
#include "store/TriggerTables.h"
#include "tools/SamplePlans.h"
#include "triggers/SiteStatus.h"
#include "triggers/TriggerEvents.h"
#include "triggers/TriggerLevels.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {
constexpr std::array kTypeCodes{"21", "31", "41", "51", "61", "71", "81", "91"};

const QStringList kLevels{"1040 Level", "1120 Level", "1185 Level", "1250 Level"};
const QVector<QStringList> kLocations{
    {"Main Decline Ch 2350", "Xcut 12 North", "Crusher Chamber"},
    {"Stope 4B Drawpoint 3", "Ore Pass 2 Brow", "Vent Drive 3 Intersection"},
    {"Workshop Brow", "Sump Access", "Footwall Drive 5W"},
    {"Stope 7A Undercut", "Haulage 9 East", "Refuge Chamber 2"}};
const QStringList kInstallers{"R. Halvorsen", "T. Mbeki-Lund", "Ground Control Crew B",
                              "K. Oyelaran", "S. Petrakis"};
const QStringList kPurposes{"Roof sag monitoring", "Brow stability", "Intersection span check",
                            "Pillar dilation", "Support performance after rehab"};
const QStringList kNotes{"",
                         "Grouted full column, resin point anchor at toe",
                         "Hole drilled 3 deg off vertical",
                         "Mesh and shotcrete 75 mm over collar",
                         "Readout cable run to cuddy 15 m outbye",
                         "Water seeping from hole during grouting",
                         ""};

// Readings run on wall-clock time: UTC stands in for it so no hour is skipped or repeated.
QDateTime wallClock(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

double uniform(QRandomGenerator& random, double low, double high) {
    return low + random.generateDouble() * (high - low);
}

// Rounds to the nearest 1/perUnit, dividing last so that 0.35 stays 0.35.
double roundTo(double value, double perUnit) {
    return std::round(value * perUnit) / perUnit;
}

QString twoDecimals(double value) {
    return QString::number(value, 'f', 2);
}

// Temperature of the air at the sensor: a daily cycle from the ventilation around a rock
// temperature that drifts a little over the year.
double temperatureAt(double base, const QDateTime& at, QRandomGenerator& random) {
    const double hours = at.time().msecsSinceStartOfDay() / 3600000.0;
    const double daily = 2.8 * std::sin(2.0 * std::numbers::pi * (hours - 9.0) / 24.0);
    const double yearly = 0.6 * std::sin(2.0 * std::numbers::pi * at.date().dayOfYear() / 365.25);
    return base + daily + yearly + uniform(random, -0.15, 0.15);
}

} // namespace

SampleSensor makeSensor(int index, const QString& typeCode, const SampleOptions& options,
                        QRandomGenerator& random) {
    SampleSensor s;
    s.sensorType = typeCode;
    s.nodeCount = lookupSensorType(typeCode)->nodeCount;
    // Every type is installed both ways: the second round of types swaps the arrangements.
    s.headAtCollar = (index + index / static_cast<int>(kTypeCodes.size())) % 2 == 0;

    // Hourly sensors go in first so they carry the longest records; the rest spread over the
    // first three quarters of the period.
    const QDate first = options.end.date().addDays(-options.days);
    const bool hourly = index < options.hourlySensors;
    const int installDay = hourly ? 0 : static_cast<int>(random.bounded(options.days * 3 / 4 + 1));
    s.installDate = first.addDays(installDay);
    s.readingsPerDay = hourly ? 24 : options.readingsPerDay;

    const int serial = index + 1;
    s.instrumentId = s.installDate.toString("yyMM") + typeCode + QString::asprintf("%03d", serial);
    const int levelIndex = index % kLevels.size();
    s.level = kLevels[levelIndex];
    s.location = kLocations[levelIndex][(index / kLevels.size()) % kLocations[levelIndex].size()];
    s.borehole = QStringLiteral("RB-%1-%2").arg(s.level.left(4)).arg(serial, 2, 10, QChar('0'));
    s.installBy = kInstallers[index % kInstallers.size()];
    s.purpose = kPurposes[index % kPurposes.size()];
    s.notes = kNotes[index % kNotes.size()];

    s.recess = roundTo(uniform(random, 0.1, 0.5), 20.0);
    // Load per mm/m of strain of one strand, 12.7 to 15.2 mm (about 19 and 29 kN).
    s.kval = roundTo(uniform(random, 19.0, 29.0), 2.0);
    // A plate carries the load of the pair nearest the collar: pair 1 with the head at the
    // collar, pair 5 with the head at the toe, so toe sensors get one only from six nodes.
    s.plate = index % 3 == 0 && s.nodeCount >= 2 && (s.headAtCollar || s.nodeCount >= 6);
    const double spacing = s.nodeCount <= 3 ? 2.0 : 1.5;
    for (int n = 0; n < s.nodeCount; ++n) {
        s.nodeLocations << 1.0 + spacing * n;
    }
    s.lengthofCable = roundTo(s.nodeLocations.last() + uniform(random, 0.5, 1.5), 10.0);

    // Movement that keeps the strain between anchors, and so the loads, below a strand's
    // breaking load of about 250 kN over a few years of record.
    s.creep = uniform(random, 1.0, 3.0);
    s.creepRate = uniform(random, 0.002, 0.007);
    s.decayDepth = uniform(random, 1.5, 3.0);
    // One blast per level, between a third and three quarters of the way through the period.
    const int blastDay = options.days / 3 + (levelIndex * options.days) / 10;
    const QDateTime blast = wallClock(first.addDays(blastDay), QTime(14, 30));
    if (blast > wallClock(s.installDate, QTime(0, 0)) && blast < options.end) {
        s.blastAt = blast;
        s.blastStep = uniform(random, 1.0, 5.0);
        s.blastRateFactor = uniform(random, 2.5, 4.0);
    }
    return s;
}

QVector<SampleSensor> sampleSensors(const SampleOptions& options) {
    QRandomGenerator random(options.seed);
    QVector<SampleSensor> sensors;
    for (int round = 0; round < 2; ++round) {
        for (const char* code : kTypeCodes) {
            sensors << makeSensor(static_cast<int>(sensors.size()), code, options, random);
        }
    }
    // The second two-node sensor was lost to a fall of ground part way through its record.
    SampleSensor& lost = sensors[kTypeCodes.size() + 1];
    const qint64 span = lost.installDate.daysTo(options.end.date());
    lost.destructionDate = lost.installDate.addDays(span * 3 / 5 + 1);
    lost.notes = QStringLiteral("Strand sheared in fall of ground");
    // The logger of the second sensor went flat four days before the end.
    SampleSensor& silent = sensors[1];
    if (silent.installDate.daysTo(options.end.date()) > 8) {
        silent.silentDays = 4;
        silent.notes = QStringLiteral("Logger battery flat, reading overdue");
    }
    if (options.newInstallation) {
        SampleSensor fresh =
            makeSensor(static_cast<int>(sensors.size()), kTypeCodes[2], options, random);
        fresh.installDate = options.end.date().addDays(-1);
        fresh.instrumentId =
            fresh.installDate.toString("yyMM") + kTypeCodes[2] + fresh.instrumentId.right(3);
        fresh.readingsPerDay = 1;
        fresh.maxReadings = 1;
        fresh.blastAt = QDateTime();
        fresh.notes = QStringLiteral("Installed yesterday, one reading so far");
        sensors << fresh;
    }
    // Made last, so that every sensor before it draws the same numbers as without it; it moves
    // little, so that the levels taken from the largest movers stay as they are.
    SampleSensor repaired =
        makeSensor(static_cast<int>(sensors.size()), kTypeCodes[3], options, random);
    repaired.headAtCollar = true;
    repaired.plate = false;
    repaired.installDate = options.end.date().addDays(-std::max(options.days / 2, 20));
    repaired.instrumentId =
        repaired.installDate.toString("yyMM") + kTypeCodes[3] + repaired.instrumentId.right(3);
    repaired.creep = 0.4;
    repaired.creepRate = 0.001;
    repaired.blastAt = QDateTime();
    repaired.repairAt =
        wallClock(options.end.date().addDays(-std::max(options.days / 4, 10)), QTime(8, 0));
    repaired.readoutShift = {4.35, -2.8, 6.1, 1.75};
    repaired.notes = QStringLiteral("Readout replaced after water damage; offset revision "
                                    "entered");
    sensors << repaired;
    return sensors;
}

double groundMovement(const SampleSensor& sensor, double depth, const QDateTime& at) {
    const double days =
        std::max(0.0, wallClock(sensor.installDate, QTime(0, 0)).secsTo(at) / 86400.0);
    double surface = sensor.creep * std::log1p(days / 10.0) + sensor.creepRate * days;
    if (sensor.blastAt.isValid() && at >= sensor.blastAt) {
        const double since = sensor.blastAt.secsTo(at) / 86400.0;
        surface += sensor.blastStep + (sensor.blastRateFactor - 1.0) * sensor.creepRate * since;
    }
    return surface * std::exp(-std::max(depth, 0.0) / sensor.decayDepth);
}

QVector<SampleReading> sampleReadings(const SampleSensor& sensor, const SampleOptions& options) {
    QRandomGenerator random(options.seed ^ qHash(sensor.instrumentId));
    const double baseTemperature = uniform(random, 15.5, 16.5);
    QVector<double> offsets;
    for (int n = 0; n < sensor.nodeCount; ++n) {
        offsets << uniform(random, 8.0, 40.0);
    }
    // Head and anchor depths below the roof, as the installation geometry gives them.
    const double headDepth =
        sensor.headAtCollar ? sensor.recess : sensor.lengthofCable + sensor.recess;
    QVector<double> anchorDepths;
    for (double node : sensor.nodeLocations) {
        anchorDepths << (sensor.headAtCollar ? headDepth + node : headDepth - node);
    }

    const int perDay = std::max(sensor.readingsPerDay, 1);
    const qint64 step = 86400 / perDay;
    // The installation reading is taken late in the morning; later ones keep its minute.
    const QTime firstTime(10, static_cast<int>(random.bounded(0, 50)));
    QDateTime stop = options.end;
    if (sensor.destructionDate.isValid()) {
        stop = std::min(stop, wallClock(sensor.destructionDate, QTime(0, 0)));
    }
    if (sensor.silentDays > 0) {
        stop = std::min(stop, options.end.addDays(-sensor.silentDays));
    }
    const qint64 spatialDays = std::max<qint64>(30, options.days / 15);

    QVector<SampleReading> readings;
    QDate lastTemporalDay;
    QDateTime nextSpatial;
    for (QDateTime at = wallClock(sensor.installDate, firstTime);
         at <= stop && (sensor.maxReadings == 0 || readings.size() < sensor.maxReadings);
         at = at.addSecs(step)) {
        const bool firstDay = at.date() == sensor.installDate;
        SampleReading r;
        r.at = at;
        const double temperature = temperatureAt(baseTemperature, at, random);
        r.temperature = QString::number(temperature, 'f', 1);
        const double headMove = groundMovement(sensor, headDepth, at);
        // Now and then the readout misses one channel of a reading.
        const int missed = !firstDay && random.bounded(1500) == 0
                               ? static_cast<int>(random.bounded(sensor.nodeCount))
                               : -1;
        for (int n = 0; n < sensor.nodeCount; ++n) {
            const double anchorMove = groundMovement(sensor, anchorDepths[n], at);
            // The channel reads the gap between head and anchor, which opens as the rock
            // nearer the opening moves in.
            const double gap = sensor.headAtCollar ? headMove - anchorMove : anchorMove - headMove;
            const double thermal = 0.0015 * sensor.nodeLocations[n] * (temperature - 16.0);
            double value = offsets[n] + gap + thermal + uniform(random, -0.015, 0.015);
            if (sensor.repairAt.isValid() && at >= sensor.repairAt) {
                value += sensor.readoutShift.value(n);
            }
            r.channels << (n == missed ? QStringLiteral("") : twoDecimals(value));
        }
        while (r.channels.size() < 8) {
            r.channels << QStringLiteral("");
        }
        r.channels << QString() << QString();

        // The time charts read best with one reading a day: the user ticks the first one from
        // the hour of the installation reading on, so the daily temperature cycle stays out.
        r.plotTemporal = readings.isEmpty() ||
                         (at.time().hour() >= firstTime.hour() && at.date() != lastTemporalDay);
        if (r.plotTemporal) {
            lastTemporalDay = at.date();
        }
        if (!nextSpatial.isValid() || at >= nextSpatial) {
            r.plotSpatial = true;
            nextSpatial = wallClock(at.date().addDays(spatialDays), QTime(0, 0));
        }
        readings << r;
    }
    return readings;
}

void writeSampleLevels(Connection& db, const SampleOptions& options) {
    createTriggerTables(db);
    const QList<SiteStatusRow> rows = computeSiteStatus(db, options.end);
    // Sensors by the size of their displacement, largest first.
    QList<SiteStatusRow> judged;
    for (const SiteStatusRow& row : rows) {
        if (row.status.maxDisp && !row.sensor.destroyed && row.sensor.setup.nodeCount > 1) {
            judged << row;
        }
    }
    std::sort(judged.begin(), judged.end(), [](const SiteStatusRow& a, const SiteStatusRow& b) {
        return std::abs(*a.status.maxDisp) > std::abs(*b.status.maxDisp);
    });
    const auto size = [](const SiteStatusRow& row) { return std::abs(*row.status.maxDisp); };
    const auto tenth = [](double mm) { return std::round(mm * 10.0) / 10.0; };

    TriggerLevels site;
    site.readingInterval = 1.0;
    site.rateWindow = 7.0;
    site.amberRate = 1.0;
    site.redRate = 3.0;
    const double quiet = judged.size() > 2 ? size(judged[2]) : 1.0;
    site.amberDisp = std::ceil((quiet * 1.25 + 0.5) / 5.0) * 5.0;
    site.redDisp = *site.amberDisp * 2.0;
    writeTriggerLevels(db, kSiteDefaultKey, site);
    if (judged.size() < 2) {
        return;
    }

    // Amber: the second largest mover has passed its amber level, not its red one.
    TriggerLevels amber;
    amber.amberDisp = tenth(size(judged[1]) * 0.8);
    amber.redDisp = tenth(size(judged[1]) * 1.5);
    writeTriggerLevels(db, judged[1].sensor.instrumentId, amber);

    // Red: the largest mover crossed its red level during its last day.
    const SiteStatusRow& red = judged[0];
    const QList<StatusReading> readings = readStatusReadings(db, red.sensor.instrumentId);
    const QDateTime dayBefore = readings.last().at.addDays(-1);
    int before = static_cast<int>(readings.size()) - 1;
    while (before > 0 && readings[before].at > dayBefore) {
        --before;
    }
    TriggerLevels redLevels;
    redLevels.amberDisp = tenth(size(red) * 0.6);
    redLevels.redDisp = tenth(size(red) * 0.9);
    const SensorStatus earlier =
        evaluateSensor(statusInputAsOf(readings, before, 7.0), red.sensor.setup, TriggerLevels{});
    if (earlier.maxDisp && std::abs(*earlier.maxDisp) < size(red)) {
        redLevels.redDisp = std::round((std::abs(*earlier.maxDisp) + size(red)) * 50.0) / 100.0;
    }
    writeTriggerLevels(db, red.sensor.instrumentId, redLevels);
    QStringList lastDay;
    for (int i = before + 1; i < readings.size(); ++i) {
        lastDay << readings[i].key;
    }
    detectTriggerEvent(db, red.sensor.instrumentId, lastDay, options.end,
                       QStringLiteral("sample data"));

    // One quiet sensor is corrected for the temperature of its strand, free along its anchors'
    // depths; the others are judged as before.
    if (judged.size() > 3) {
        const SensorInfo& corrected = judged[3].sensor;
        TemperatureCorrection correction;
        correction.mode = CorrectionMode::FreeLength;
        for (const QString& anchor : corrected.setup.anchors.mid(0, corrected.setup.nodeCount)) {
            correction.perNode << std::max(0.0, anchor.toDouble());
        }
        writeTemperatureCorrection(db, corrected.instrumentId, correction);
    }
}

void writeSensor(Connection& db, const SampleSensor& sensor) {
    QStringList columns{"InstrumentID", "SensorType",  "DateID",        "TypeID",  "SensorNo",
                        "Family",       "Model",       "LengthofCable", "Level",   "Location",
                        "Borehole",     "InstallDate", "InstallBy",     "Purpose", "Notes",
                        "HeadLocation", "Recess",      "Plate",         "kval"};
    const SensorTypeInfo type = *lookupSensorType(sensor.sensorType);
    QVariantList values{sensor.instrumentId,
                        sensor.sensorType,
                        sensor.instrumentId.left(4),
                        sensor.instrumentId.mid(4, 2),
                        sensor.instrumentId.mid(6, 3),
                        type.modelName,
                        type.familyTag,
                        sensor.lengthofCable,
                        sensor.level,
                        sensor.location,
                        sensor.borehole,
                        sensor.installDate.toString("yyyy/MM/dd"),
                        sensor.installBy,
                        sensor.purpose,
                        sensor.notes,
                        sensor.headAtCollar ? 1 : 0,
                        sensor.recess,
                        sensor.plate ? 1 : 0,
                        sensor.kval};
    for (int n = 0; n < sensor.nodeLocations.size(); ++n) {
        columns << QStringLiteral("NodeLocation%1").arg(n + 1);
        values << sensor.nodeLocations[n];
    }
    const bool destroyed = sensor.destructionDate.isValid();
    columns << "Destroyed";
    values << QString(destroyed ? "Yes" : "No");
    if (destroyed) {
        columns << "DestructionDate";
        values << sensor.destructionDate.toString("yyyy/MM/dd");
    }
    const QString marks = QStringList(columns.size(), QStringLiteral("?")).join(", ");
    db.execute("INSERT INTO Sensors (" + columns.join(", ") + ") VALUES (" + marks + ")", values);
    db.execute("INSERT INTO NetworkConfig (SensorID, Network, Address) VALUES (?, ?, ?)",
               {sensor.instrumentId, sensor.level.left(4) + " logger net",
                QString::number(sensor.instrumentId.right(3).toInt())});
    createReadingsTable(db, sensor.instrumentId);
}

void writeSampleRevision(Connection& db, const SampleSensor& sensor,
                         const QVector<SampleReading>& readings) {
    if (!sensor.repairAt.isValid()) {
        return;
    }
    for (const SampleReading& r : readings) {
        if (r.at >= sensor.repairAt) {
            RevisionRequest request;
            request.instrumentId = sensor.instrumentId;
            request.from = r.at;
            request.kind = RevisionKind::Offset;
            request.note = QStringLiteral("Readout replaced after water damage");
            addRevision(db, request, r.at.addSecs(3600), QStringLiteral("sample data"));
            return;
        }
    }
}

void writeReadings(Connection& db, const QString& instrumentId,
                   const QVector<SampleReading>& readings) {
    QStringList columns{"DateTimeKey", "FullDate", "ReadingDate", "ReadingTime"};
    for (int n = 1; n <= kChannelColumns; ++n) {
        columns << QStringLiteral("Channel%1").arg(n);
    }
    columns << "ChannelT"
            << "IsDirty"
            << "Plottemporal"
            << "PlotSpatial";
    const QString marks = QStringList(columns.size(), QStringLiteral("?")).join(", ");
    const QVariant nullText(QMetaType::fromType<QString>());

    db.beginTransaction();
    try {
        QSqlQuery insert(db.db());
        if (!insert.prepare("INSERT INTO " + quoteName(instrumentId) + " (" + columns.join(", ") +
                            ") VALUES (" + marks + ")")) {
            raiseSqlError(db, insert.lastError());
        }
        for (const SampleReading& r : readings) {
            const QString date = r.at.toString("yyyy/MM/dd");
            const QString time = r.at.toString("HH:mm:ss");
            int i = 0;
            insert.bindValue(i++, instrumentId + ' ' + date + ' ' + time);
            insert.bindValue(i++, r.at.toString("yyyy-MM-dd HH:mm:ss"));
            insert.bindValue(i++, date);
            insert.bindValue(i++, time);
            for (int n = 0; n < kChannelColumns; ++n) {
                const QString& channel = r.channels.value(n);
                insert.bindValue(i++, channel.isNull() ? nullText : QVariant(channel));
            }
            insert.bindValue(i++, r.temperature);
            insert.bindValue(i++, 1);
            insert.bindValue(i++, r.plotTemporal ? 1 : 0);
            insert.bindValue(i++, r.plotSpatial ? 1 : 0);
            if (!insert.exec()) {
                raiseSqlError(db, insert.lastError());
            }
        }
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

namespace {

// The sensor that gets a readout glitch: the first in service to the end with two nodes or more
// and nothing revised.
bool takesGlitch(const SampleSensor& sensor) {
    return sensor.nodeCount >= 2 && !sensor.destructionDate.isValid() &&
           !sensor.repairAt.isValid() && sensor.maxReadings == 0 && sensor.silentDays == 0;
}

// A readout glitch: one more reading, half an hour after the sixth newest, whose first channel
// reads 25 mm high, inside the rate window of the sensor's state. The checks flag it and it is
// rejected, so it is kept but neither judged nor drawn.
void writeSampleGlitch(Connection& db, const SampleSensor& sensor,
                       const QVector<SampleReading>& readings, const QDateTime& now) {
    for (qsizetype i = readings.size() - 6; i < readings.size() - 1; ++i) {
        if (readings[i].channels.value(0).isEmpty()) {
            continue;
        }
        SampleReading glitch = readings[i];
        glitch.at = glitch.at.addSecs(1800);
        glitch.channels[0] = twoDecimals(glitch.channels[0].toDouble() + 25.0);
        glitch.plotTemporal = true;
        glitch.plotSpatial = false;
        writeReadings(db, sensor.instrumentId, {glitch});
        refreshReadingFlags(db, sensor.instrumentId, now);
        rejectReading(db, sensor.instrumentId,
                      sensor.instrumentId + ' ' + glitch.at.toString("yyyy/MM/dd HH:mm:ss"), true,
                      QStringLiteral("readout glitch"), QStringLiteral("sample"), now);
        return;
    }
}

} // namespace

QString writeSampleDatabase(const QString& dataFolder, const SampleOptions& options) {
    if (!QDir().mkpath(dataFolder)) {
        throw DbError(ErrorCode::FileNotFound, "Could not create folder '" + dataFolder + "'.");
    }
    const QString path = defaultDatabasePath(dataFolder);
    createDatabaseFile(path);
    Connection db;
    db.open(path);
    const QVector<SampleSensor> sensors = sampleSensors(options);
    db.beginTransaction();
    try {
        for (const SampleSensor& sensor : sensors) {
            writeSensor(db, sensor);
        }
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
    const auto glitched = std::find_if(sensors.begin(), sensors.end(), takesGlitch);
    for (auto sensor = sensors.begin(); sensor != sensors.end(); ++sensor) {
        const QVector<SampleReading> readings = sampleReadings(*sensor, options);
        writeReadings(db, sensor->instrumentId, readings);
        writeSampleRevision(db, *sensor, readings);
        if (sensor == glitched && readings.size() >= 10) {
            writeSampleGlitch(db, *sensor, readings, options.end);
        }
    }
    writeSampleLevels(db, options);
    writeSamplePlans(db, sensors);
    return path;
}
