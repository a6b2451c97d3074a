#include "store/AddedReadings.h"

#include <QDate>
#include <QTime>
#include <algorithm>
#include <optional>

namespace {
// " yyyy/MM/dd HH:mm:ss" closes every key of a reading.
constexpr qsizetype kMomentLength = 19;
constexpr qint64 kSecondsPerDay = 86400;

template <typename Char> int digits(const Char* text, int count, bool& ok) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const Char c = text[i];
        if (c < '0' || c > '9') {
            ok = false;
            return 0;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// The seconds of the moment that closes the key of the given length, and the length of the
// text before it (the instrument id and its blank).
template <typename Char>
std::optional<qint64> momentOf(const Char* key, qsizetype size, qsizetype& prefixLength) {
    if (size < kMomentLength + 1) {
        return std::nullopt;
    }
    prefixLength = size - kMomentLength;
    const Char* m = key + prefixLength;
    if (key[prefixLength - 1] != ' ' || m[4] != '/' || m[7] != '/' || m[10] != ' ' ||
        m[13] != ':' || m[16] != ':') {
        return std::nullopt;
    }
    bool ok = true;
    const int year = digits(m, 4, ok);
    const int month = digits(m + 5, 2, ok);
    const int day = digits(m + 8, 2, ok);
    const int hour = digits(m + 11, 2, ok);
    const int minute = digits(m + 14, 2, ok);
    const int second = digits(m + 17, 2, ok);
    if (!ok || !QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    return QDate(year, month, day).toJulianDay() * kSecondsPerDay + hour * 3600 + minute * 60 +
           second;
}
std::optional<qint64> momentOf(const QString& key, qsizetype& prefixLength) {
    return momentOf(reinterpret_cast<const char16_t*>(key.constData()), key.size(), prefixLength);
}
} // namespace

AddedReadings AddedReadings::of(const QStringList& keys) {
    AddedReadings added;
    for (const QString& key : keys) {
        added.add(key);
    }
    return added;
}

void AddedReadings::add(std::string_view key) {
    const auto size = static_cast<qsizetype>(key.size());
    // A key of plain ASCII is read as it is; any other is read as the text it encodes.
    if (std::any_of(key.begin(), key.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        add(QString::fromUtf8(key.data(), size));
        return;
    }
    qsizetype prefixLength = 0;
    const std::optional<qint64> seconds = momentOf(key.data(), size, prefixLength);
    if (seconds && runs_.empty() && prefix_.isNull()) {
        prefix_ = QString::fromLatin1(key.data(), prefixLength);
    }
    if (!seconds || QLatin1StringView(key.data(), prefixLength) != prefix_) {
        others_.insert(QString::fromLatin1(key.data(), size));
        return;
    }
    addMoment(*seconds);
}

void AddedReadings::add(const QString& key) {
    qsizetype prefixLength = 0;
    const std::optional<qint64> seconds = momentOf(key, prefixLength);
    if (seconds && runs_.empty() && prefix_.isNull()) {
        prefix_ = key.left(prefixLength);
    }
    if (!seconds || QStringView(key).left(prefixLength) != prefix_) {
        others_.insert(key);
        return;
    }
    addMoment(*seconds);
}

void AddedReadings::addMoment(qint64 seconds) {
    sorted_ = false;
    if (!runs_.empty()) {
        Run& run = runs_.back();
        if (run.count == 1 && seconds > run.first) {
            run.step = seconds - run.first;
            run.count = 2;
            return;
        }
        if (run.count > 1 && seconds == run.last() + run.step) {
            ++run.count;
            return;
        }
    }
    runs_.push_back({seconds, 0, 1});
}

QStringList AddedReadings::keys() const {
    sortRuns();
    QStringList all;
    for (const Run& run : runs_) {
        for (qint64 k = 0; k < run.count; ++k) {
            const qint64 seconds = run.first + run.step * k;
            // Date and time on their own: no time-zone rule may move them.
            const QDate date = QDate::fromJulianDay(seconds / kSecondsPerDay);
            const QTime time =
                QTime::fromMSecsSinceStartOfDay(static_cast<int>(seconds % kSecondsPerDay) * 1000);
            all << prefix_ + date.toString(QStringLiteral("yyyy/MM/dd")) + ' ' +
                       time.toString(QStringLiteral("HH:mm:ss"));
        }
    }
    for (const QString& key : others_) {
        all << key;
    }
    return all;
}

bool AddedReadings::contains(const QString& key) const {
    if (isEmpty()) {
        return false;
    }
    qsizetype prefixLength = 0;
    const std::optional<qint64> seconds = momentOf(key, prefixLength);
    if (seconds && QStringView(key).left(prefixLength) == prefix_) {
        return containsMoment(*seconds);
    }
    return others_.contains(key);
}

void AddedReadings::sortRuns() const {
    if (!sorted_) {
        std::sort(runs_.begin(), runs_.end(),
                  [](const Run& a, const Run& b) { return a.first < b.first; });
        reach_.resize(runs_.size());
        qint64 reach = 0;
        for (size_t i = 0; i < runs_.size(); ++i) {
            reach = i == 0 ? runs_[i].last() : std::max(reach, runs_[i].last());
            reach_[i] = reach;
        }
        sorted_ = true;
    }
}

bool AddedReadings::containsMoment(qint64 seconds) const {
    sortRuns();
    // The runs that start at or before the moment, latest first, while one of them may still
    // reach it.
    auto after = std::upper_bound(runs_.begin(), runs_.end(), seconds,
                                  [](qint64 s, const Run& run) { return s < run.first; });
    for (auto i = static_cast<size_t>(after - runs_.begin()); i-- > 0 && reach_[i] >= seconds;) {
        const Run& run = runs_[i];
        if (seconds <= run.last() &&
            (run.step == 0 ? seconds == run.first : (seconds - run.first) % run.step == 0)) {
            return true;
        }
    }
    return false;
}
