#include "checks/ReadingChecks.h"

#include "store/Formats.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString mm(double value) {
    return QString::number(value, 'f', 2) + QStringLiteral(" mm");
}

QString channelLabel(int channel) {
    return QStringLiteral("Channel %1").arg(channel);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    return values.size() % 2 == 1 ? values[half] : (values[half - 1] + values[half]) / 2.0;
}

std::optional<double> numberOf(const QString& text) {
    return text.trimmed().isEmpty() ? std::nullopt : strictNumber(text);
}

QDateTime momentOf(const QString& fullDate) {
    return QDateTime::fromString(fullDate, kStamp);
}

void addRange(QList<ReadingFlag>& flags, const CheckedReading& r, const CheckSettings& s) {
    for (int c = 0; c < r.channels.size(); ++c) {
        const QString& text = r.channels[c];
        if (text.trimmed().isEmpty()) {
            continue;
        }
        const std::optional<double> value = strictNumber(text);
        if (!value) {
            flags.append({r.key, CheckKind::Range, c + 1,
                          channelLabel(c + 1) + ": \"" + text + "\" is not a number"});
        } else if (*value < s.channelMin || *value > s.channelMax) {
            flags.append({r.key, CheckKind::Range, c + 1,
                          channelLabel(c + 1) + ": " + mm(*value) + " is outside " +
                              mm(s.channelMin) + " to " + mm(s.channelMax)});
        }
    }
    const std::optional<double> temperature = numberOf(r.channelT);
    if (!temperature) {
        flags.append({r.key, CheckKind::NoTemperature, 0,
                      r.channelT.trimmed().isEmpty()
                          ? QStringLiteral("No temperature: the reading is not corrected for it")
                          : "Temperature \"" + r.channelT +
                                "\" is not a number: the reading is not corrected for it"});
    } else if (*temperature < s.temperatureMin || *temperature > s.temperatureMax) {
        flags.append({r.key, CheckKind::Range, 0,
                      QStringLiteral("Temperature %1 °C is outside %2 to %3 °C")
                          .arg(*temperature, 0, 'f', 1)
                          .arg(s.temperatureMin, 0, 'f', 1)
                          .arg(s.temperatureMax, 0, 'f', 1)});
    }
}

void addDates(QList<ReadingFlag>& flags, const CheckedReading& r, const QDateTime& now) {
    if (!isPossibleMoment(r.readingDate, r.readingTime)) {
        flags.append({r.key, CheckKind::ImpossibleDate, 0,
                      "No such date or time: " + r.readingDate + ' ' + r.readingTime});
        return;
    }
    if (r.fullDate > now.toString(kStamp)) {
        flags.append(
            {r.key, CheckKind::FutureDate, 0,
             "Dated after now (" + now.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) + ")"});
    }
}

// The values of one channel over the readings, none where a reading has no number in it.
std::vector<std::optional<double>> channelValues(const QList<CheckedReading>& readings,
                                                 int channel) {
    std::vector<std::optional<double>> values;
    values.reserve(readings.size());
    for (const CheckedReading& r : readings) {
        values.push_back(channel < r.channels.size() ? numberOf(r.channels[channel])
                                                     : std::nullopt);
    }
    return values;
}

// Up to count values of the channel from readings that are not rejected, walking from i
// (excluded) by step.
std::vector<double> neighbours(const QList<CheckedReading>& readings,
                               const std::vector<std::optional<double>>& values, qsizetype i,
                               int step, int count) {
    std::vector<double> found;
    for (qsizetype j = i + step; j >= 0 && j < readings.size() && std::ssize(found) < count;
         j += step) {
        if (!readings[j].rejected && values[j]) {
            found.push_back(*values[j]);
        }
    }
    return found;
}

// A spike stands apart from the readings before it and from those after it, on the same side
// of both: a step, where the ground or the readout really moved, stands apart from one side only.
void addSpikes(QList<ReadingFlag>& flags, const QList<CheckedReading>& readings,
               const std::vector<std::optional<double>>& values, int channel,
               const CheckSettings& s) {
    if (s.spikeNeighbours < 1) {
        return;
    }
    for (qsizetype i = 0; i < readings.size(); ++i) {
        if (!values[i]) {
            continue;
        }
        const std::vector<double> before = neighbours(readings, values, i, -1, s.spikeNeighbours);
        const std::vector<double> after = neighbours(readings, values, i, 1, s.spikeNeighbours);
        if (before.empty() || after.empty()) {
            continue;
        }
        const double fromBefore = *values[i] - median(before);
        const double fromAfter = *values[i] - median(after);
        if (std::abs(fromBefore) > s.spikeThreshold && std::abs(fromAfter) > s.spikeThreshold &&
            (fromBefore > 0) == (fromAfter > 0)) {
            const double nearer =
                std::abs(fromBefore) < std::abs(fromAfter) ? fromBefore : fromAfter;
            flags.append({readings[i].key, CheckKind::Spike, channel + 1,
                          channelLabel(channel + 1) + ": " + mm(*values[i]) + " is " +
                              mm(std::abs(nearer)) + " from its neighbours' median " +
                              mm(*values[i] - nearer) + " (threshold " + mm(s.spikeThreshold) +
                              ")"});
        }
    }
}

void addRatesAndFlatLines(QList<ReadingFlag>& flags, const QList<CheckedReading>& readings,
                          const std::vector<std::optional<double>>& values, int channel,
                          const CheckSettings& s) {
    std::optional<qsizetype> last;
    int run = 0;
    for (qsizetype i = 0; i < readings.size(); ++i) {
        if (!values[i]) {
            continue;
        }
        if (last) {
            const QDateTime from = momentOf(readings[*last].fullDate);
            const QDateTime to = momentOf(readings[i].fullDate);
            if (from.isValid() && to.isValid()) {
                const double days = std::max(from.secsTo(to) / 86400.0, kShortestRateDays);
                const double rate = std::abs(*values[i] - *values[*last]) / days;
                if (rate > s.maxRate) {
                    flags.append({readings[i].key, CheckKind::RateJump, channel + 1,
                                  channelLabel(channel + 1) +
                                      QStringLiteral(": moved %1 mm/day since the reading before "
                                                     "(at most %2 mm/day)")
                                          .arg(rate, 0, 'f', 1)
                                          .arg(s.maxRate, 0, 'f', 1)});
                }
            }
            // A rejected reading is judged against the one before it, but is neither the
            // reading before the next one nor part of a flat line.
            if (readings[i].rejected) {
                continue;
            }
            run = *values[i] == *values[*last] ? run + 1 : 1;
        } else if (readings[i].rejected) {
            continue;
        } else {
            run = 1;
        }
        if (s.flatCount > 1 && run >= s.flatCount) {
            flags.append({readings[i].key, CheckKind::FlatLine, channel + 1,
                          channelLabel(channel + 1) + ": " + mm(*values[i]) +
                              QStringLiteral(" for %1 readings in a row").arg(run)});
        }
        last = i;
    }
}

} // namespace

QString checkName(CheckKind kind) {
    switch (kind) {
    case CheckKind::Range:
        return QStringLiteral("range");
    case CheckKind::Spike:
        return QStringLiteral("spike");
    case CheckKind::RateJump:
        return QStringLiteral("rate");
    case CheckKind::FlatLine:
        return QStringLiteral("flat");
    case CheckKind::FutureDate:
        return QStringLiteral("future");
    case CheckKind::ImpossibleDate:
        return QStringLiteral("date");
    case CheckKind::NoTemperature:
        return QStringLiteral("temperature");
    }
    return QString();
}

std::optional<CheckKind> checkKindOf(const QString& name) {
    for (CheckKind kind :
         {CheckKind::Range, CheckKind::Spike, CheckKind::RateJump, CheckKind::FlatLine,
          CheckKind::FutureDate, CheckKind::ImpossibleDate, CheckKind::NoTemperature}) {
        if (checkName(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}

bool isPossibleMoment(const QString& readingDate, const QString& readingTime) {
    static const QRegularExpression date(QStringLiteral("^(\\d{4})/(\\d{2})/(\\d{2})$"));
    static const QRegularExpression time(QStringLiteral("^(\\d{2}):(\\d{2}):(\\d{2})$"));
    const QRegularExpressionMatch d = date.match(readingDate.trimmed());
    const QRegularExpressionMatch t = time.match(readingTime.trimmed());
    return d.hasMatch() && t.hasMatch() &&
           QDate(d.captured(1).toInt(), d.captured(2).toInt(), d.captured(3).toInt()).isValid() &&
           QTime(t.captured(1).toInt(), t.captured(2).toInt(), t.captured(3).toInt()).isValid();
}

QList<ReadingFlag> checkLone(const CheckedReading& reading, const CheckSettings& settings,
                             const QDateTime& now) {
    QList<ReadingFlag> flags;
    addDates(flags, reading, now);
    addRange(flags, reading, settings);
    return flags;
}

QList<ReadingFlag> checkReadings(const QList<CheckedReading>& readings,
                                 const CheckSettings& settings, const QDateTime& now) {
    QList<ReadingFlag> flags;
    qsizetype channels = 0;
    for (const CheckedReading& r : readings) {
        flags += checkLone(r, settings, now);
        channels = std::max(channels, r.channels.size());
    }
    for (int c = 0; c < channels; ++c) {
        const std::vector<std::optional<double>> values = channelValues(readings, c);
        addSpikes(flags, readings, values, c, settings);
        addRatesAndFlatLines(flags, readings, values, c, settings);
    }
    return flags;
}

CheckReach checkReach(const QList<CheckedReading>& stretch, qsizetype changedFrom,
                      qsizetype changedTo, bool fromStart, bool toEnd, const CheckSettings& s) {
    CheckReach reach{changedFrom, changedTo, false, false};
    const qsizetype n = stretch.size();
    if (n == 0) {
        reach.wantsEarlier = !fromStart;
        reach.wantsLater = !toEnd;
        return reach;
    }
    const int wanted = std::max(1, s.spikeNeighbours);
    const bool flat = s.flatCount > 1;
    qsizetype channels = 0;
    for (const CheckedReading& r : stretch) {
        channels = std::max(channels, r.channels.size());
    }
    // Per channel, the values of the readings that are someone's neighbour.
    std::vector<std::vector<std::optional<double>>> usable;
    for (int c = 0; c < channels; ++c) {
        usable.push_back(channelValues(stretch, c));
        for (qsizetype i = 0; i < n; ++i) {
            if (stretch[i].rejected) {
                usable.back()[i].reset();
            }
        }
    }
    const auto usableFrom = [&](const std::vector<std::optional<double>>& v, qsizetype from,
                                int step) {
        int seen = 0;
        for (qsizetype j = from; j >= 0 && j < n; j += step) {
            if (v[j] && ++seen == wanted) {
                return true;
            }
        }
        return false;
    };

    // Later readings: those with the change among their spike neighbours before them (which
    // takes in the next reading's rate), and a flat line running on from the change.
    for (const auto& v : usable) {
        int seen = 0;
        std::optional<qsizetype> spikeEnd;
        std::optional<qsizetype> flatEnd;
        if (!flat) {
            flatEnd = changedTo;
        }
        std::optional<double> previous;
        for (qsizetype j = changedTo; j < n && (!spikeEnd || !flatEnd); ++j) {
            if (!v[j]) {
                continue;
            }
            if (++seen == wanted) {
                spikeEnd = j;
            }
            // From here on the run is counted afresh whatever the change was.
            if (!flatEnd && previous && *previous != *v[j]) {
                flatEnd = j;
            }
            previous = v[j];
        }
        if (spikeEnd && flatEnd) {
            reach.judgedTo = std::max(reach.judgedTo, std::max(*spikeEnd, *flatEnd) + 1);
        } else if (toEnd) {
            reach.judgedTo = n;
        } else {
            reach.wantsLater = true;
        }
    }
    // Earlier readings: those with the change among their spike neighbours after them.
    for (const auto& v : usable) {
        int seen = 0;
        std::optional<qsizetype> start;
        for (qsizetype j = changedFrom - 1; j >= 0 && !start; --j) {
            if (v[j] && ++seen == wanted) {
                start = j;
            }
        }
        if (start) {
            reach.judgedFrom = std::min(reach.judgedFrom, *start);
        } else if (fromStart) {
            reach.judgedFrom = 0;
        } else {
            reach.wantsEarlier = true;
        }
    }
    if (reach.wantsEarlier || reach.wantsLater) {
        return reach;
    }

    // What the judged readings are judged against: their spike neighbours either side, the
    // reading before the first, and the start of the flat line the first is in.
    for (const auto& v : usable) {
        if (!toEnd && !usableFrom(v, reach.judgedTo, 1)) {
            reach.wantsLater = true;
        }
        if (fromStart) {
            continue;
        }
        if (!usableFrom(v, reach.judgedFrom - 1, -1)) {
            reach.wantsEarlier = true;
            continue;
        }
        if (!flat) {
            continue;
        }
        std::optional<double> next;
        for (qsizetype j = reach.judgedFrom; j < n && !next; ++j) {
            next = v[j];
        }
        bool started = !next;
        for (qsizetype j = reach.judgedFrom - 1; j >= 0 && !started; --j) {
            if (v[j]) {
                started = *v[j] != *next;
                next = v[j];
            }
        }
        reach.wantsEarlier = reach.wantsEarlier || !started;
    }
    return reach;
}

QString flagsText(const QList<ReadingFlag>& flags) {
    QStringList lines;
    for (const ReadingFlag& flag : flags) {
        lines << flag.detail;
    }
    return lines.join('\n');
}
