#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <QStringList>
#include <cstring>
#include <optional>
#include <vector>

class Connection;

// A digest of what a chart batch computes from and stores: the settings, then every reading of
// the selection with its channels and the derived columns it holds. The same digest before a
// batch as after the last one over the same selection means the stored columns are already
// what the batch would store, whoever wrote the table since.
class BatchFingerprint {
public:
    BatchFingerprint();

    void add(qint64 value);
    void add(const std::optional<double>& value);
    void add(const QString& text);
    QByteArray result();

private:
    // Inline, so that each value's few bytes are copied in place.
    void take(const void* data, std::size_t size) {
        if (used_ + size > pending_.size()) {
            takeBeyondChunk(data, size);
            return;
        }
        std::memcpy(pending_.data() + used_, data, size);
        used_ += size;
    }
    void takeBeyondChunk(const void* data, std::size_t size);
    void flush();

    QCryptographicHash hash_;
    // The bytes not yet hashed: hashing them a chunk at a time, rather than value by value,
    // keeps a selection of many thousand readings quick to digest.
    std::vector<char> pending_;
    std::size_t used_ = 0;
};

// What the last clean batch over a selection left: the digest of its result, and what it
// told besides the stored columns.
struct BatchState {
    QByteArray fingerprint;
    int uncorrectedRows = 0;
    QStringList loadLocations;
};

// The state of the sensor's selection (a number per chart kind); none when no batch recorded
// one. A table that cannot be read raises.
std::optional<BatchState> readBatchState(Connection& db, const QString& instrumentId,
                                         int selection);

// The table of the batches' fingerprints, made when missing.
void createBatchStateTable(Connection& db);
// Records the state in the transaction of the batch's writes; the table is made by the first
// state recorded, so that opening a register changes nothing in it.
void writeBatchState(Connection& db, const QString& instrumentId, int selection,
                     const BatchState& state);
