#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

// The readings a write added to a sensor's table, told by their keys
// ("<instrumentId> yyyy/MM/dd HH:mm:ss"), in compact form: the moments of the keys as runs of
// equally spaced moments, so that a logger file of regular readings takes a few runs whatever
// its length. Keys of another form are kept as they are.
class AddedReadings {
public:
    static AddedReadings of(const QStringList& keys);

    void add(std::string_view key);
    void add(const QString& key);
    bool contains(const QString& key) const;
    bool isEmpty() const { return runs_.empty() && others_.isEmpty(); }
    // Every key, the runs' in time order first.
    QStringList keys() const;

private:
    struct Run {
        qint64 first = 0; // seconds of the first moment
        qint64 step = 0;  // seconds between moments; 0 while the run holds one
        qint64 count = 0;
        qint64 last() const { return first + step * (count - 1); }
    };

    // Adds the moment of a key whose prefix is prefix_.
    void addMoment(qint64 seconds);
    bool containsMoment(qint64 seconds) const;
    void sortRuns() const;

    QString prefix_; // "<instrumentId> " of the first key read as a moment
    mutable std::vector<Run> runs_;
    mutable std::vector<qint64> reach_; // the latest last() of runs_[0..i], once sorted
    mutable bool sorted_ = true;        // runs_ in order of first and reach_ up to date
    QSet<QString> others_;
};
