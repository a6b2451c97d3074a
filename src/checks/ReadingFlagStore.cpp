#include "checks/ReadingFlagStore.h"

#include "store/BulkInsert.h"
#include "store/CheckTables.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/NativeStatement.h"
#include "store/SensorTypes.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <limits>
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

// The thresholds the sensor's flags were last judged under in full, kept as a row of its own
// (no reading key) beside its flags: new thresholds call for a check of every reading.
const QString kJudgedUnder = QStringLiteral("thresholds");

QString thresholdsText(const CheckSettings& s) {
    QStringList parts;
    for (const auto& [stored, member] : kNumbers) {
        parts << QString::number(s.*member, 'g', 17);
    }
    for (const auto& [stored, member] : kCounts) {
        parts << QString::number(s.*member);
    }
    return parts.join(' ');
}

void bindText(NativeStatement& statement, int position, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    statement.bindText(position, std::string_view(utf8.constData(), utf8.size()));
}

void insertFlags(Connection& db, const QString& instrumentId, const QList<ReadingFlag>& flags) {
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

void writeAllFlags(Connection& db, const QString& instrumentId, const QList<ReadingFlag>& flags,
                   const CheckSettings& settings) {
    db.execute("DELETE FROM " + kFlagTable + " WHERE InstrumentID = ?", {instrumentId});
    db.execute(
        "INSERT INTO " + kFlagTable +
            " (InstrumentID, ReadingKey, CheckName, Channel, Detail) VALUES (?, '', ?, 0, ?)",
        {instrumentId, kJudgedUnder, thresholdsText(settings)});
    insertFlags(db, instrumentId, flags);
}

bool judgedUnder(Connection& db, const QString& instrumentId, const CheckSettings& settings) {
    QSqlQuery query = runQuery(db,
                               "SELECT Detail FROM " + kFlagTable +
                                   " WHERE InstrumentID = ? AND ReadingKey = '' AND CheckName = ?",
                               {instrumentId, kJudgedUnder});
    return query.next() && query.value(0).toString() == thresholdsText(settings);
}

QStringList readingColumns(int nodes) {
    QStringList columns{col::DateTimeKey, col::FullDate, col::ReadingDate, col::ReadingTime,
                        col::ChannelT};
    for (int n = 1; n <= nodes; ++n) {
        columns << QStringLiteral("Channel%1").arg(n);
    }
    return columns;
}

CheckedReading readingAt(const NativeStatement& query, int nodes, const QSet<QString>& rejected) {
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
    return r;
}

QList<ReadingFlag> judgeAll(Connection& db, const QString& instrumentId, int nodes,
                            const CheckSettings& settings, const QDateTime& now) {
    const QSet<QString> rejected = rejectedKeys(db, instrumentId);
    NativeStatement query(db, "SELECT " + readingColumns(nodes).join(", ") + " FROM " +
                                  quoteName(instrumentId) + " ORDER BY FullDate, rowid");
    QList<CheckedReading> readings;
    while (query.step()) {
        readings << readingAt(query, nodes, rejected);
    }
    const QList<ReadingFlag> flags = checkReadings(readings, settings, now);
    writeAllFlags(db, instrumentId, flags, settings);
    return flags;
}

// Reads the readings about a span, block by block outwards, until they hold all that a change
// there can alter and all those need.
class StretchReader {
public:
    StretchReader(Connection& db, const QString& instrumentId, int nodes,
                  const QSet<QString>& rejected)
        : nodes_(nodes), rejected_(rejected),
          within_(db, select(instrumentId) + " WHERE FullDate >= ? AND FullDate <= ? ORDER BY "
                                             "FullDate, rowid"),
          // The index on FullDate holds them in (FullDate, rowid) order either way.
          earlier_(db, select(instrumentId) +
                           " WHERE FullDate <= ? AND NOT (FullDate = ? AND rowid >= ?) ORDER BY "
                           "FullDate DESC, rowid DESC LIMIT ?"),
          later_(db, select(instrumentId) +
                         " WHERE FullDate >= ? AND NOT (FullDate = ? AND rowid <= ?) ORDER BY "
                         "FullDate, rowid LIMIT ?") {}

    // The readings of the span and about it, and which of them are to be judged.
    struct Stretch {
        QList<CheckedReading> readings;
        CheckReach reach;
    };

    Stretch around(const ReadingSpan& span, const CheckSettings& settings) {
        Stretch stretch;
        bindText(within_, 1, span.from);
        bindText(within_, 2, span.to);
        while (within_.step()) {
            stretch.readings << readingAt(within_, nodes_, rejected_);
        }
        within_.reset();
        qsizetype changedFrom = 0;
        qsizetype changedTo = stretch.readings.size();
        std::pair<QString, qint64> first{span.from, std::numeric_limits<qint64>::min()};
        std::pair<QString, qint64> last{span.to, std::numeric_limits<qint64>::max()};
        bool fromStart = false;
        bool toEnd = false;
        qint64 block = 64;
        for (;;) {
            stretch.reach =
                checkReach(stretch.readings, changedFrom, changedTo, fromStart, toEnd, settings);
            if (!stretch.reach.wantsEarlier && !stretch.reach.wantsLater) {
                return stretch;
            }
            if (stretch.reach.wantsEarlier) {
                QList<CheckedReading> before;
                std::vector<qint64> ids;
                step(earlier_, first, block, before, ids);
                std::reverse(before.begin(), before.end());
                std::reverse(ids.begin(), ids.end());
                fromStart = before.size() < block;
                if (!before.isEmpty()) {
                    first = {before.first().fullDate, ids.front()};
                }
                changedFrom += before.size();
                changedTo += before.size();
                stretch.readings = before + stretch.readings;
            }
            if (stretch.reach.wantsLater) {
                QList<CheckedReading> after;
                std::vector<qint64> ids;
                step(later_, last, block, after, ids);
                toEnd = after.size() < block;
                if (!after.isEmpty()) {
                    last = {after.last().fullDate, ids.back()};
                }
                stretch.readings += after;
            }
            block = std::min<qint64>(block * 2, 8192);
        }
    }

private:
    QString select(const QString& instrumentId) const {
        return "SELECT " + readingColumns(nodes_).join(", ") + ", rowid FROM " +
               quoteName(instrumentId);
    }

    void step(NativeStatement& query, const std::pair<QString, qint64>& from, qint64 count,
              QList<CheckedReading>& readings, std::vector<qint64>& rowids) {
        bindText(query, 1, from.first);
        bindText(query, 2, from.first);
        query.bind(3, from.second);
        query.bind(4, count);
        while (query.step()) {
            readings << readingAt(query, nodes_, rejected_);
            rowids.push_back(query.int64At(5 + nodes_));
        }
        query.reset();
    }

    int nodes_;
    const QSet<QString>& rejected_;
    NativeStatement within_;
    NativeStatement earlier_;
    NativeStatement later_;
};

// One span for each place, or one from the first to the last of many.
QList<ReadingSpan> spansOfDates(QStringList dates) {
    constexpr qsizetype kSeparateSpans = 16;
    dates.sort();
    dates.removeDuplicates();
    QList<ReadingSpan> spans;
    if (dates.size() > kSeparateSpans) {
        spans.append({dates.first(), dates.last()});
    } else {
        for (const QString& date : dates) {
            spans.append({date, date});
        }
    }
    return spans;
}

QList<ReadingSpan> spansOf(Connection& db, const QString& instrumentId, const QString& column,
                           const QVariantList& values) {
    QStringList dates;
    NativeStatement query(db, "SELECT FullDate FROM " + quoteName(instrumentId) + " WHERE " +
                                  column + " = ?");
    for (const QVariant& value : values) {
        if (value.typeId() == QMetaType::LongLong) {
            query.bind(1, value.toLongLong());
        } else {
            bindText(query, 1, value.toString());
        }
        while (query.step()) {
            dates << query.textAt(0);
        }
        query.reset();
    }
    return spansOfDates(dates);
}

// Readings whose "future" flag (or its lack) may have changed with the clock alone.
QList<ReadingSpan> datedOnwards(Connection& db, const QString& instrumentId, const QDateTime& now) {
    QStringList dates;
    QSqlQuery future =
        runQuery(db, "SELECT FullDate FROM " + quoteName(instrumentId) + " WHERE FullDate > ?",
                 {now.toString(kStamp)});
    while (future.next()) {
        dates << future.value(0).toString();
    }
    QSqlQuery flagged =
        runQuery(db,
                 "SELECT r.FullDate FROM " + kFlagTable + " f JOIN " + quoteName(instrumentId) +
                     " r ON r.DateTimeKey = f.ReadingKey WHERE f.InstrumentID = ? "
                     "AND f.CheckName = ?",
                 {instrumentId, checkName(CheckKind::FutureDate)});
    while (flagged.next()) {
        dates << flagged.value(0).toString();
    }
    return spansOfDates(dates);
}

void replaceFlagsOf(Connection& db, const QString& instrumentId, const QSet<QString>& keys,
                    const QList<ReadingFlag>& flags) {
    NativeStatement remove(db, "DELETE FROM " + kFlagTable +
                                   " WHERE InstrumentID = ? AND ReadingKey = ?");
    bindText(remove, 1, instrumentId);
    for (const QString& key : keys) {
        bindText(remove, 2, key);
        remove.run();
    }
    insertFlags(db, instrumentId, flags);
}

int flagCount(Connection& db, const QString& instrumentId) {
    return db
        .scalar("SELECT count(*) FROM " + kFlagTable +
                    " WHERE InstrumentID = ? AND ReadingKey <> ''",
                {instrumentId})
        .toInt();
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
    db.inTransaction(
        [&] { count = static_cast<int>(judgeAll(db, instrumentId, nodes, settings, now).size()); });
    return count;
}

QList<ReadingSpan> spansOfKeys(Connection& db, const QString& instrumentId,
                               const QStringList& keys) {
    QVariantList values;
    for (const QString& key : keys) {
        values << key;
    }
    return spansOf(db, instrumentId, QStringLiteral("DateTimeKey"), values);
}

QList<ReadingSpan> spansOfRows(Connection& db, const QString& instrumentId,
                               const QList<qint64>& rowids) {
    QVariantList values;
    for (qint64 rowid : rowids) {
        values << QVariant::fromValue(rowid);
    }
    return spansOf(db, instrumentId, QStringLiteral("rowid"), values);
}

int refreshReadingFlagsNear(Connection& db, const QString& instrumentId,
                            const QList<ReadingSpan>& changed, const QDateTime& now) {
    createCheckTables(db);
    const int nodes = nodeCountOf(db, instrumentId);
    const CheckSettings settings = readCheckSettings(db);
    int count = 0;
    db.inTransaction([&] {
        if (!judgedUnder(db, instrumentId, settings)) {
            count = static_cast<int>(judgeAll(db, instrumentId, nodes, settings, now).size());
            return;
        }
        const QSet<QString> rejected = rejectedKeys(db, instrumentId);
        StretchReader reader(db, instrumentId, nodes, rejected);
        QSet<QString> judged;
        QList<ReadingFlag> flags;
        bool deleted = false;
        for (const ReadingSpan& span : changed + datedOnwards(db, instrumentId, now)) {
            deleted = deleted || span.deleted;
            const StretchReader::Stretch stretch = reader.around(span, settings);
            QSet<QString> keys;
            for (qsizetype i = stretch.reach.judgedFrom; i < stretch.reach.judgedTo; ++i) {
                if (!judged.contains(stretch.readings[i].key)) {
                    keys.insert(stretch.readings[i].key);
                }
            }
            for (const ReadingFlag& flag : checkReadings(stretch.readings, settings, now)) {
                if (keys.contains(flag.key)) {
                    flags << flag;
                }
            }
            judged += keys;
        }
        replaceFlagsOf(db, instrumentId, judged, flags);
        if (deleted) {
            db.execute("DELETE FROM " + kFlagTable +
                           " WHERE InstrumentID = ? AND ReadingKey <> '' AND NOT EXISTS (SELECT 1 "
                           "FROM " +
                           quoteName(instrumentId) + " r WHERE r.DateTimeKey = " + kFlagTable +
                           ".ReadingKey)",
                       {instrumentId});
        }
        count = flagCount(db, instrumentId);
    });
    return count;
}

QList<ReadingFlag> readFlags(Connection& db, const QString& instrumentId) {
    QList<ReadingFlag> flags;
    if (!db.hasTable(kFlagTable)) {
        return flags;
    }
    QSqlQuery query =
        runQuery(db,
                 "SELECT ReadingKey, CheckName, Channel, Detail FROM " + kFlagTable +
                     " WHERE InstrumentID = ? AND ReadingKey <> '' ORDER BY ReadingKey, rowid",
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
