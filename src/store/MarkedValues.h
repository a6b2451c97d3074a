#pragma once

#include "store/ChangeMark.h"

#include <QMutex>
#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

// Values worked out from a database file while it stood at a change mark: a value is found
// again only while the file stands at the same mark, so nothing read or computed from an
// older state is ever handed out. Remembering a value replaces the one held in its slot (the
// states that can no longer match); at most `kept` are held, the oldest going first. Safe to
// use from more than one thread.
template <typename Key, typename Slot, typename Value> class MarkedValues {
public:
    explicit MarkedValues(std::size_t kept) : kept_(kept) {}

    std::optional<Value> find(const Key& key, const ChangeMark& mark) {
        const QMutexLocker lock(&mutex_);
        for (const Entry& e : entries_) {
            if (e.mark == mark && e.key == key) {
                return e.value;
            }
        }
        return std::nullopt;
    }

    void remember(const Key& key, const Slot& slot, const ChangeMark& mark, const Value& value) {
        const QMutexLocker lock(&mutex_);
        entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                      [&](const Entry& e) { return e.slot == slot; }),
                       entries_.end());
        if (entries_.size() >= kept_) {
            entries_.erase(entries_.begin());
        }
        entries_.push_back(Entry{key, slot, mark, value});
    }

private:
    struct Entry {
        Key key;
        Slot slot;
        ChangeMark mark;
        Value value;
    };
    const std::size_t kept_;
    QMutex mutex_;
    std::vector<Entry> entries_;
};
