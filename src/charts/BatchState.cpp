#include "charts/BatchState.h"

#include "store/Connection.h"
#include "store/SqlFailure.h"

#include <cstring>

namespace {
const QString kTable = QStringLiteral("ChartBatchState");
constexpr std::size_t kChunk = 1 << 16;
// A text's bytes are preceded by its length, a null text's by this mark, so that no two
// rows of texts run together into the same bytes.
constexpr qint64 kNullText = -1;
constexpr unsigned char kNoNumber = 0;
constexpr unsigned char kNumber = 1;
} // namespace

BatchFingerprint::BatchFingerprint() : hash_(QCryptographicHash::Blake2b_256), pending_(kChunk) {}

void BatchFingerprint::takeBeyondChunk(const void* data, std::size_t size) {
    flush();
    if (size > kChunk) {
        hash_.addData(QByteArrayView(static_cast<const char*>(data), static_cast<qsizetype>(size)));
        return;
    }
    std::memcpy(pending_.data(), data, size);
    used_ = size;
}

void BatchFingerprint::flush() {
    hash_.addData(QByteArrayView(pending_.data(), static_cast<qsizetype>(used_)));
    used_ = 0;
}

void BatchFingerprint::add(qint64 value) {
    take(&value, sizeof value);
}

void BatchFingerprint::add(const std::optional<double>& value) {
    if (!value) {
        take(&kNoNumber, 1);
        return;
    }
    take(&kNumber, 1);
    // Adding zero makes -0 the 0 that a stored column gives back.
    const double number = *value + 0.0;
    take(&number, sizeof number);
}

void BatchFingerprint::add(const QString& text) {
    if (text.isNull()) {
        add(kNullText);
        return;
    }
    add(static_cast<qint64>(text.size()));
    take(text.utf16(), static_cast<std::size_t>(text.size()) * sizeof(char16_t));
}

QByteArray BatchFingerprint::result() {
    flush();
    return hash_.result().toHex();
}

std::optional<BatchState> readBatchState(Connection& db, const QString& instrumentId,
                                         int selection) {
    if (!db.hasTable(kTable)) {
        return std::nullopt;
    }
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT Fingerprint, Uncorrected, LoadLocations "
                                              "FROM ChartBatchState WHERE InstrumentID = ? AND "
                                              "Selection = ?"),
                               {instrumentId, selection});
    if (!query.next()) {
        return std::nullopt;
    }
    BatchState state;
    state.fingerprint = query.value(0).toString().toLatin1();
    state.uncorrectedRows = query.value(1).toInt();
    const QString locations = query.value(2).toString();
    state.loadLocations = locations.isEmpty() ? QStringList() : locations.split(QLatin1Char('|'));
    return state;
}

void createBatchStateTable(Connection& db) {
    db.execute(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS ChartBatchState (InstrumentID TEXT NOT NULL, Selection "
        "INTEGER NOT NULL, Fingerprint TEXT NOT NULL, Uncorrected INTEGER NOT NULL, "
        "LoadLocations TEXT, PRIMARY KEY (InstrumentID, Selection))"));
}

void writeBatchState(Connection& db, const QString& instrumentId, int selection,
                     const BatchState& state) {
    if (!db.hasTable(kTable)) {
        createBatchStateTable(db);
    }
    db.execute(QStringLiteral("DELETE FROM ChartBatchState WHERE InstrumentID = ? AND "
                              "Selection = ?"),
               {instrumentId, selection});
    db.execute(QStringLiteral("INSERT INTO ChartBatchState (InstrumentID, Selection, "
                              "Fingerprint, Uncorrected, LoadLocations) VALUES (?, ?, ?, ?, ?)"),
               {instrumentId, selection, QString::fromLatin1(state.fingerprint),
                state.uncorrectedRows, state.loadLocations.join(QLatin1Char('|'))});
}
