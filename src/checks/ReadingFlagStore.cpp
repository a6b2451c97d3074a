#include "checks/ReadingFlagStore.h"

#include "store/BulkInsert.h"
#include "store/CheckTables.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/NativeStatement.h"
#include "store/SensorTypes.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>
#include <cmath>
#include <utility>

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// Each setting by its stored name.
std::pair<const char*, double CheckSettings::*> kNumbers[] = {
    {"ChannelMin", &CheckSettings::channelMin},
    {"ChannelMax", &CheckSettings::channelMax},
    {"TemperatureMin", &CheckSettings::temperatureMin},
    {"TemperatureMax", &CheckSettings::temperatureMax},
    {"SpikeThreshold", &CheckSettings::spikeThreshold},
    {"MaxRate", &CheckSettings::maxRate},
};
std::pair<const char*, int CheckSettings::*> kCounts[] = {
    {"SpikeNeighbours", &CheckSettings::spikeNeighbours},
    {"FlatCount", &CheckSettings::flatCount},
};

int nodeCountOf(Connection& db, const QString& instrumentId) {
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT SensorType FROM Sensors WHERE "
                                              "InstrumentID = ?"),
                               {instrumentId});
    const std::optional<SensorTypeInfo> type =
        query.next() ? lookupSensorType(query.value(0).toString()) : std::nullopt;
    return type ? type->nodeCount : 0;
}

void writeFlags(Connection& db, const QString& instrumentId, const QList<ReadingFlag>& flags) {
    db.execute("DELETE FROM " + kFlagTable + " WHERE InstrumentID = ?", {instrumentId});
    if (flags.isEmpty()) {
        return;
    }
    BulkInsert insert(db, kFlagTable,
                      {"InstrumentID", "ReadingKey", "CheckName", "Channel", "Detail"});
    const QByteArray id = instrumentId.toUtf8();
    for (const ReadingFlag& flag : flags) {
        const QByteArray key = flag.key.toUtf8();
        const QByteArray check = checkName(flag.check).toUtf8();
        const QByteArray detail = flag.detail.toUtf8();
        insert.text(std::string_view(id.constData(), id.size()));
        insert.text(std::string_view(key.constData(), key.size()));
        insert.text(std::string_view(check.constData(), check.size()));
        insert.integer(flag.channel);
        insert.text(std::string_view(detail.constData(), detail.size()));
        insert.endRow();
    }
    insert.finish();
}

} // namespace

CheckSettings readCheckSettings(Connection& db) {
    CheckSettings settings;
    if (!db.hasTable(kCheckSettingsTable)) {
        return settings;
    }
    QSqlQuery query =
        runQuery(db, "SELECT Name, Value FROM " + kCheckSettingsTable + " ORDER BY rowid", {});
    while (query.next()) {
        const QString name = query.value(0).toString();
        const double value = query.value(1).toDouble();
        for (const auto& [stored, member] : kNumbers) {
            if (name == QLatin1String(stored)) {
                settings.*member = value;
            }
        }
        for (const auto& [stored, member] : kCounts) {
            if (name == QLatin1String(stored)) {
                settings.*member = static_cast<int>(std::lround(value));
            }
        }
    }
    return settings;
}

QString checkSettingsProblem(const CheckSettings& s) {
    if (s.channelMin >= s.channelMax) {
        return QStringLiteral("The lowest channel value must be below the highest.");
    }
    if (s.temperatureMin >= s.temperatureMax) {
        return QStringLiteral("The lowest temperature must be below the highest.");
    }
    if (s.spikeNeighbours < 1 || s.spikeNeighbours > 20) {
        return QStringLiteral("The neighbours of a spike must be 1 to 20 readings each side.");
    }
    if (!(s.spikeThreshold > 0.0)) {
        return QStringLiteral("The spike threshold must be above 0 mm.");
    }
    if (!(s.maxRate > 0.0)) {
        return QStringLiteral("The highest rate must be above 0 mm/day.");
    }
    if (s.flatCount < 2 || s.flatCount > 1000) {
        return QStringLiteral("A flat line must be 2 to 1000 readings.");
    }
    return QString();
}

void writeCheckSettings(Connection& db, const CheckSettings& settings) {
    db.inTransaction([&] {
        createCheckTablesWithin(db);
        db.execute("DELETE FROM " + kCheckSettingsTable);
        for (const auto& [stored, member] : kNumbers) {
            db.execute("INSERT INTO " + kCheckSettingsTable + " (Name, Value) VALUES (?, ?)",
                       {QString::fromLatin1(stored), settings.*member});
        }
        for (const auto& [stored, member] : kCounts) {
            db.execute("INSERT INTO " + kCheckSettingsTable + " (Name, Value) VALUES (?, ?)",
                       {QString::fromLatin1(stored), double(settings.*member)});
        }
    });
}

int refreshReadingFlags(Connection& db, const QString& instrumentId, const QDateTime& now) {
    createCheckTables(db);
    const int nodes = nodeCountOf(db, instrumentId);
    const CheckSettings settings = readCheckSettings(db);
    int count = 0;
    db.inTransaction([&] {
        const QSet<QString> rejected = rejectedKeys(db, instrumentId);
        QStringList columns{col::DateTimeKey, col::FullDate, col::ReadingDate, col::ReadingTime,
                            col::ChannelT};
        for (int n = 1; n <= nodes; ++n) {
            columns << QStringLiteral("Channel%1").arg(n);
        }
        NativeStatement query(db, "SELECT " + columns.join(", ") + " FROM " +
                                      quoteName(instrumentId) + " ORDER BY FullDate, rowid");
        QList<CheckedReading> readings;
        while (query.step()) {
            CheckedReading r;
            r.key = query.textAt(0);
            r.fullDate = query.textAt(1);
            r.readingDate = query.textAt(2);
            r.readingTime = query.textAt(3);
            r.channelT = query.textAt(4);
            for (int n = 0; n < nodes; ++n) {
                r.channels << query.textAt(5 + n);
            }
            r.rejected = rejected.contains(r.key);
            readings << r;
        }
        const QList<ReadingFlag> flags = checkReadings(readings, settings, now);
        writeFlags(db, instrumentId, flags);
        count = static_cast<int>(flags.size());
    });
    return count;
}

QList<ReadingFlag> readFlags(Connection& db, const QString& instrumentId) {
    QList<ReadingFlag> flags;
    if (!db.hasTable(kFlagTable)) {
        return flags;
    }
    QSqlQuery query = runQuery(db,
                               "SELECT ReadingKey, CheckName, Channel, Detail FROM " + kFlagTable +
                                   " WHERE InstrumentID = ? ORDER BY ReadingKey, rowid",
                               {instrumentId});
    while (query.next()) {
        flags.append({query.value(0).toString(),
                      checkKindOf(query.value(1).toString()).value_or(CheckKind::Range),
                      query.value(2).toInt(), query.value(3).toString()});
    }
    return flags;
}

QHash<QString, QList<ReadingFlag>> flagsByKey(const QList<ReadingFlag>& flags) {
    QHash<QString, QList<ReadingFlag>> byKey;
    for (const ReadingFlag& flag : flags) {
        byKey[flag.key].append(flag);
    }
    return byKey;
}

QList<Rejection> readRejections(Connection& db, const QString& instrumentId) {
    QList<Rejection> entries;
    if (!db.hasTable(kRejectionTable)) {
        return entries;
    }
    QSqlQuery query = runQuery(db,
                               "SELECT ReadingKey, Rejected, Reason, EnteredBy, EnteredAt FROM " +
                                   kRejectionTable + " WHERE InstrumentID = ? ORDER BY rowid",
                               {instrumentId});
    while (query.next()) {
        entries.append({query.value(0).toString(), query.value(1).toInt() == 1,
                        query.value(2).toString(), query.value(3).toString(),
                        query.value(4).toString()});
    }
    return entries;
}

QSet<QString> rejectedKeys(Connection& db, const QString& instrumentId) {
    QHash<QString, bool> latest;
    for (const Rejection& entry : readRejections(db, instrumentId)) {
        latest[entry.key] = entry.rejected;
    }
    QSet<QString> keys;
    for (auto it = latest.cbegin(); it != latest.cend(); ++it) {
        if (it.value()) {
            keys.insert(it.key());
        }
    }
    return keys;
}

void rejectReading(Connection& db, const QString& instrumentId, const QString& key, bool reject,
                   const QString& reason, const QString& login, const QDateTime& now) {
    if (reason.trimmed().isEmpty()) {
        throw RejectionRefused(reject ? QStringLiteral("A reading is rejected with a reason.")
                                      : QStringLiteral("A reading is restored with a reason."));
    }
    createCheckTables(db);
    db.inTransaction([&] {
        if (db.scalar("SELECT count(*) FROM " + quoteName(instrumentId) + " WHERE DateTimeKey = ?",
                      {key})
                .toInt() == 0) {
            throw RejectionRefused("Sensor " + instrumentId + " has no reading " + key + ".");
        }
        if (rejectedKeys(db, instrumentId).contains(key) == reject) {
            throw RejectionRefused(reject ? "The reading " + key + " is rejected already."
                                          : "The reading " + key + " is not rejected.");
        }
        db.execute(
            "INSERT INTO " + kRejectionTable +
                " (InstrumentID, ReadingKey, Rejected, Reason, EnteredBy, EnteredAt) "
                "VALUES (?, ?, ?, ?, ?, ?)",
            {instrumentId, key, reject ? 1 : 0, reason.trimmed(), login, now.toString(kStamp)});
    });
}
