#include "tools/LargeSite.h"

#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/DbError.h"
#include "store/NativeStatement.h"
#include "store/Schema.h"
#include "tools/SampleData.h"

#include <QDir>
#include <QRandomGenerator>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string>

namespace {
constexpr std::array kTypeCodes{"21", "31", "41", "51", "61", "71", "81", "91"};
constexpr int kNodeChannels = 8;

// A number with two decimals, as a logger writes it, appended to text.
void appendFixed(std::string& text, double value, int decimals) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    text.append(buffer, result.ptr);
}

void bindString(NativeStatement& insert, int position, const std::string& text) {
    insert.bindText(position, std::string_view(text));
}

// Appends the sensor's readings, every interval from the first day to the end.
qint64 writeSensorReadings(Connection& db, const SampleSensor& sensor,
                           const LargeSiteOptions& options, const QDateTime& start) {
    QRandomGenerator random(options.seed ^ qHash(sensor.instrumentId));
    std::array<double, kNodeChannels> offsets{};
    for (int n = 0; n < sensor.nodeCount; ++n) {
        offsets[n] = 8.0 + random.generateDouble() * 32.0;
    }
    const double headDepth =
        sensor.headAtCollar ? sensor.recess : sensor.lengthofCable + sensor.recess;
    std::array<double, kNodeChannels> anchorDepths{};
    for (int n = 0; n < sensor.nodeCount; ++n) {
        anchorDepths[n] = sensor.headAtCollar ? headDepth + sensor.nodeLocations[n]
                                              : headDepth - sensor.nodeLocations[n];
    }
    const QString columns = QStringLiteral(
        "DateTimeKey, FullDate, ReadingDate, ReadingTime, Channel1, Channel2, Channel3, Channel4, "
        "Channel5, Channel6, Channel7, Channel8, ChannelT, IsDirty, Plottemporal, PlotSpatial");
    NativeStatement insert(db, "INSERT INTO " + quoteName(sensor.instrumentId) + " (" + columns +
                                   ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?)");
    const std::string id = sensor.instrumentId.toStdString();
    const qint64 step = qint64(options.intervalMinutes) * 60;
    const qint64 total = qint64(options.years) * 365 * 86400 / step;
    const qint64 spatialEvery = std::max<qint64>(30, qint64(options.years) * 365 / 15) * 86400;
    qint64 nextSpatial = 0;
    int lastTemporalDay = -1;
    std::string key, fullDate, date, time, channel, temperature;
    for (qint64 i = 0; i < total; ++i) {
        const qint64 seconds = i * step;
        const QDateTime at = start.addSecs(seconds);
        const QDate day = at.date();
        const QTime clock = at.time();
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d", day.year(), day.month(), day.day());
        date = stamp;
        std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d", clock.hour(), clock.minute(),
                      clock.second());
        time = stamp;
        key = id + ' ' + date + ' ' + time;
        fullDate = date + ' ' + time;
        fullDate[4] = '-';
        fullDate[7] = '-';
        bindString(insert, 1, key);
        bindString(insert, 2, fullDate);
        bindString(insert, 3, date);
        bindString(insert, 4, time);
        const double hours = clock.msecsSinceStartOfDay() / 3600000.0;
        const double degrees = 16.0 +
                               2.8 * std::sin(2.0 * std::numbers::pi * (hours - 9.0) / 24.0) +
                               (random.generateDouble() - 0.5) * 0.3;
        const double headMove = groundMovement(sensor, headDepth, at);
        for (int n = 0; n < kNodeChannels; ++n) {
            channel.clear();
            if (n < sensor.nodeCount) {
                const double anchorMove = groundMovement(sensor, anchorDepths[n], at);
                const double gap =
                    sensor.headAtCollar ? headMove - anchorMove : anchorMove - headMove;
                appendFixed(channel,
                            offsets[n] + gap + 0.0015 * sensor.nodeLocations[n] * (degrees - 16.0) +
                                (random.generateDouble() - 0.5) * 0.03,
                            2);
            }
            bindString(insert, 5 + n, channel);
        }
        temperature.clear();
        appendFixed(temperature, degrees, 1);
        bindString(insert, 13, temperature);
        // One reading a day on the time charts, one a month or so on the length charts.
        const int dayNumber = static_cast<int>(seconds / 86400);
        const bool temporal = dayNumber != lastTemporalDay && clock.hour() >= 10;
        if (temporal || i == 0) {
            lastTemporalDay = dayNumber;
        }
        insert.bind(14, qint64(temporal || i == 0 ? 1 : 0));
        const bool spatial = seconds >= nextSpatial;
        if (spatial) {
            nextSpatial = seconds + spatialEvery;
        }
        insert.bind(15, qint64(spatial ? 1 : 0));
        insert.run();
    }
    return total;
}
} // namespace

LargeSiteFile writeLargeSite(const QString& dataFolder, const LargeSiteOptions& options) {
    if (!QDir().mkpath(dataFolder)) {
        throw DbError(ErrorCode::FileNotFound, "Could not create folder '" + dataFolder + "'.");
    }
    LargeSiteFile file;
    file.path = defaultDatabasePath(dataFolder);
    createDatabaseFile(file.path);
    Connection db;
    db.open(file.path);
    // A file made from nothing: a crash half way leaves a file to delete, not one to keep.
    db.execute(QStringLiteral("PRAGMA synchronous = OFF"));
    db.execute(QStringLiteral("PRAGMA cache_size = -65536"));

    SampleOptions sample;
    sample.end = options.end;
    sample.days = options.years * 365;
    sample.hourlySensors = options.sensors;
    sample.seed = options.seed;
    const QDateTime start =
        QDateTime(options.end.date().addDays(-sample.days), QTime(0, 0), Qt::UTC);
    QRandomGenerator random(options.seed);
    db.inTransaction([&] {
        for (int i = 0; i < options.sensors; ++i) {
            SampleSensor sensor = makeSensor(i, kTypeCodes[i % kTypeCodes.size()], sample, random);
            sensor.readingsPerDay = 1440 / options.intervalMinutes;
            writeSensor(db, sensor);
            const qint64 written = writeSensorReadings(db, sensor, options, start);
            file.readings += written;
            if (sensor.nodeCount > file.largestNodes) {
                file.largestNodes = sensor.nodeCount;
                file.largestSensor = sensor.instrumentId;
                file.largestReadings = written;
            }
        }
    });
    return file;
}
