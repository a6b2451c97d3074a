#include "charts/GraphBatch.h"

#include "charts/BatchState.h"
#include "charts/Displacement.h"
#include "charts/Loads.h"
#include "charts/TemperatureCorrection.h"
#include "revisions/RevisionStore.h"
#include "store/ChangeMark.h"
#include "store/CheckTables.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EngineSql.h"
#include "store/Formats.h"
#include "store/Guard.h"
#include "store/MarkedValues.h"
#include "store/NativeStatement.h"
#include "store/PageCache.h"

#include <QSet>
#include <algorithm>
#include <array>
#include <optional>
#include <tuple>
#include <vector>

namespace {

const QString kBatchTag = QStringLiteral(" G_GetTemporalData");
const QString kZerosTag = QStringLiteral(" G_SetZeros");
const QString kOffsetsTag = QStringLiteral(" Module1_GetOffsets");

// Raised whenever the computation of the stored columns changes, so that the columns stored
// by an earlier one are computed again.
constexpr qint64 kComputationVersion = 1;

// zero1..10, NumTemp, Disp1..8, Load1..5 and Reference.
constexpr int kMaxOutputs = ChannelCount + 1 + MaxDispNodes + MaxLoads + 1;
using StoredColumns = std::array<std::optional<double>, kMaxOutputs>;

// The columns a batch stores, in the order of its UPDATE's values; Reference, which is set to
// 0 with the head at the toe, last.
QStringList outputColumns(int dispColumns, bool headAtCollar, int loadCount) {
    QStringList columns;
    for (int n = 1; n <= ChannelCount; ++n) {
        columns << QStringLiteral("zero%1").arg(n);
    }
    columns << col::NumTemp;
    for (int n = 1; n <= dispColumns; ++n) {
        columns << QStringLiteral("Disp%1").arg(n);
    }
    for (int i = 1; i <= loadCount; ++i) {
        columns << QStringLiteral("Load%1").arg(i);
    }
    if (!headAtCollar) {
        columns << col::Reference;
    }
    return columns;
}

// One selected reading as read: its channels and the columns a batch stores in it.
struct SelectedRow {
    qint64 rowid = 0;
    QString fullDate;
    QStringList channels; // Channel1..10, null as empty
    QString channelT;
    bool written = true; // false: beside a revision, outside the selection
    StoredColumns stored{};
    bool storedAsNumbers = true; // false: a stored column holds a text
};

QStringList rowColumns(const QStringList& outputs) {
    QStringList columns = {QStringLiteral("rowid")};
    for (int n = 1; n <= ChannelCount; ++n) {
        columns << QStringLiteral("Channel%1").arg(n);
    }
    return columns << col::ChannelT << col::FullDate << outputs;
}

SelectedRow rowOf(const NativeStatement& query, int outputCount) {
    SelectedRow row;
    row.rowid = query.int64At(0);
    row.channels.reserve(ChannelCount);
    for (int n = 0; n < ChannelCount; ++n) {
        row.channels.append(query.textAt(1 + n));
    }
    row.channelT = query.textAt(1 + ChannelCount);
    row.fullDate = query.textAt(2 + ChannelCount);
    for (int k = 0; k < outputCount; ++k) {
        const int column = 3 + ChannelCount + k;
        const NativeStatement::StoredNumber stored = query.storedNumberAt(column);
        row.stored[k] = stored.value;
        row.storedAsNumbers = row.storedAsNumbers && stored.asNumber;
    }
    return row;
}

std::vector<SelectedRow> readSelection(Connection& db, const QString& instrumentId,
                                       GraphVariant variant, const QStringList& outputs) {
    NativeStatement query(db, graphSelect(db, instrumentId, variant, rowColumns(outputs)));
    std::vector<SelectedRow> rows;
    while (query.step()) {
        rows.push_back(rowOf(query, static_cast<int>(outputs.size())));
    }
    return rows;
}

// A revision takes its offset or its re-zero from the readings beside it, the last before it
// and the first at or after it, as the trigger state does, whether the chart draws them or
// not: those the selection lacks are added to be computed with it, never written.
void addRevisionNeighbours(Connection& db, const QString& instrumentId,
                           const QList<SensorRevision>& revisions, const QStringList& outputs,
                           std::vector<SelectedRow>& rows) {
    if (revisions.isEmpty()) {
        return;
    }
    QSet<qint64> known;
    for (const SelectedRow& row : rows) {
        known.insert(row.rowid);
    }
    const QString select = "SELECT " + rowColumns(outputs).join(", ") + " FROM " +
                           quoteName(instrumentId) + " WHERE " + notRejectedSql(db);
    for (const SensorRevision& r : effectiveRevisions(revisions)) {
        const QByteArray from = r.fromDate.toUtf8();
        for (const char* side : {" AND FullDate < ? ORDER BY FullDate DESC, rowid DESC LIMIT 1",
                                 " AND FullDate >= ? ORDER BY FullDate, rowid LIMIT 1"}) {
            NativeStatement query(db, select + QLatin1String(side));
            query.bindText(1, std::string_view(from.constData(), from.size()));
            if (query.step()) {
                SelectedRow row = rowOf(query, static_cast<int>(outputs.size()));
                if (!known.contains(row.rowid)) {
                    known.insert(row.rowid);
                    row.written = false;
                    rows.push_back(std::move(row));
                }
            }
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const SelectedRow& a, const SelectedRow& b) {
        return a.fullDate != b.fullDate ? a.fullDate < b.fullDate : a.rowid < b.rowid;
    });
}

// Each channel's reference: the earliest reading of the selection that has the channel.
ChannelOffsets selectionOffsets(const std::vector<SelectedRow>& rows) {
    ChannelOffsets offsets{};
    for (const SelectedRow& row : rows) {
        if (!row.written) {
            continue;
        }
        takeOffsets(offsets, row.channels);
        if (std::all_of(offsets.begin(), offsets.end(),
                        [](const auto& o) { return o.has_value(); })) {
            break;
        }
    }
    return offsets;
}

// The UPDATE of one batch; a column without a value is written null, so that no value of an
// earlier batch stays behind to be drawn.
QString updateSql(const QString& instrumentId, int nodeCount, bool headAtCollar, int loadCount) {
    QStringList sets;
    for (int n = 1; n <= ChannelCount; ++n) {
        sets << QStringLiteral("zero%1 = ?").arg(n);
    }
    sets << QStringLiteral("NumTemp = ?");
    for (int n = 1; n <= nodeCount; ++n) {
        sets << QStringLiteral("Disp%1 = ?").arg(n);
    }
    if (!headAtCollar) {
        sets << QStringLiteral("Reference = 0");
    }
    for (int i = 1; i <= loadCount; ++i) {
        sets << QStringLiteral("Load%1 = ?").arg(i);
    }
    return "UPDATE " + quoteName(instrumentId) + " SET " + sets.join(", ") + " WHERE rowid = ?";
}

// Binds the values of one reading in the order of the UPDATE and runs it.
class BatchWriter {
public:
    BatchWriter(Connection& db, const QString& sql) : statement_(db, sql) {}

    void bind(const std::optional<double>& value) { statement_.bind(++position_, value); }

    void write(qint64 rowid) {
        statement_.bind(++position_, rowid);
        position_ = 0;
        statement_.runQueued();
    }

    // Waits for the writes sent so far; a failure among them raises.
    void flush() { statement_.flushQueued(); }

private:
    NativeStatement statement_;
    int position_ = 0;
};

// The loads of a batch. The anchors and the stiffness are the same for every reading, so the
// first reading reads their texts through SetLoads itself (which fails the batch on a bad text
// or two anchors at the same distance) and later readings reuse the numbers.
class LoadPlan {
public:
    LoadPlan(const BatchGeometry& geometry, int nodeCount, int loadCount)
        : geometry_(geometry), nodeCount_(nodeCount), loadCount_(loadCount) {}

    QList<double> loads(const QList<double>& disp) {
        if (!kval_) {
            const double kval = loadCount_ > 0 ? toNumber(geometry_.kvalText) : 0.0;
            const LoadResult first = SetLoads(geometry_.anchorTexts, disp, nodeCount_, kval);
            for (int i = 0; i < loadCount_; ++i) {
                spacing_[i] =
                    toNumber(geometry_.anchorTexts[i + 1]) - toNumber(geometry_.anchorTexts[i]);
            }
            locations_ = first.loadLocations;
            kval_ = kval;
            return first.loads;
        }
        QList<double> loads;
        for (int i = 0; i < loadCount_; ++i) {
            loads.append((disp[i] - disp[i + 1]) / spacing_[i] * *kval_);
        }
        return loads;
    }

    QStringList locations() const { return locations_; }

private:
    const BatchGeometry& geometry_;
    int nodeCount_;
    int loadCount_;
    std::optional<double> kval_;
    std::array<double, MaxLoads> spacing_{};
    QStringList locations_;
};

// The state of each chart kind's batch is kept apart.
int selectionOf(GraphVariant variant, bool withLoads) {
    return (variant == GraphVariant::Time ? 0 : 2) + (withLoads ? 1 : 0);
}

// The clean batches of the run, each with the mark of the database file it left: while the
// file stands at that mark, the stored columns are still what the batch left and the batch
// is told at once, without reading a row. A file written since, by anyone, is read again.
// Only the latest state of a sensor's selection in one opening of the file can match again.
using BatchKey = std::tuple<QString, int, QByteArray>; // sensor, selection, settings
using BatchSlot = std::tuple<qint64, int, QString>;    // opening, selection, sensor
using CleanBatches = MarkedValues<BatchKey, BatchSlot, BatchResult>;

CleanBatches& cleanBatches() {
    static CleanBatches batches(32);
    return batches;
}

struct BatchContext {
    const BatchGeometry& geometry;
    const QList<SensorRevision>& revisions;
    const ErrorLog& log;
    GraphVariant variant;
    bool withLoads;
    int nodeCount;
    int dispColumns;
    int loadCount;
    TemperatureCorrection correction;

    QStringList outputs() const {
        return outputColumns(dispColumns, geometry.headAtCollar, loadCount);
    }
    int selection() const { return selectionOf(variant, withLoads); }
};

// What a batch takes from outside the database: the form's geometry and the chart's kind.
void addSettings(BatchFingerprint& f, const BatchGeometry& g, int selection) {
    f.add(kComputationVersion);
    f.add(static_cast<qint64>(selection));
    f.add(static_cast<qint64>(g.headAtCollar));
    f.add(static_cast<qint64>(g.nodeCount));
    f.add(static_cast<qint64>(g.anchorTexts.size()));
    for (const QString& anchor : g.anchorTexts) {
        f.add(anchor);
    }
    f.add(g.kvalText);
    f.add(static_cast<qint64>(g.rezeroView));
}

QByteArray settingsDigest(const BatchGeometry& g, int selection) {
    BatchFingerprint f;
    addSettings(f, g, selection);
    return f.result();
}

// The digest of everything the batch reads and stores, rows as they stand.
QByteArray fingerprintOf(const BatchContext& context, const std::vector<SelectedRow>& rows) {
    BatchFingerprint f;
    addSettings(f, context.geometry, context.selection());
    f.add(static_cast<qint64>(context.correction.mode));
    f.add(static_cast<qint64>(context.correction.perNode.size()));
    for (const double v : context.correction.perNode) {
        f.add(std::optional<double>(v));
    }
    f.add(std::optional<double>(context.correction.expansion));
    f.add(static_cast<qint64>(context.revisions.size()));
    for (const SensorRevision& r : context.revisions) {
        f.add(r.id);
        f.add(r.fromKey);
        f.add(r.fromDate);
        f.add(static_cast<qint64>(r.kind));
        f.add(static_cast<qint64>(r.node));
        for (const std::optional<double>& offset : r.offsets) {
            f.add(offset);
        }
    }
    const int outputCount = static_cast<int>(context.outputs().size());
    f.add(static_cast<qint64>(rows.size()));
    for (const SelectedRow& row : rows) {
        f.add(row.rowid);
        f.add(static_cast<qint64>(row.written) | static_cast<qint64>(row.storedAsNumbers) << 1);
        for (const QString& channel : row.channels) {
            f.add(channel);
        }
        f.add(row.channelT);
        f.add(row.fullDate);
        for (int k = 0; k < outputCount; ++k) {
            f.add(row.stored[k]);
        }
    }
    return f.result();
}

bool sameColumns(const StoredColumns& a, const StoredColumns& b, int count) {
    for (int k = 0; k < count; ++k) {
        if (a[k].has_value() != b[k].has_value() || (a[k] && *a[k] != *b[k])) {
            return false;
        }
    }
    return true;
}

// With the head at the collar the time chart draws the head from the deepest channel's change
// (zero<nodeCount>): the revisions that reach the deepest node, as they apply to that one
// value, carried on across an offset as the nodes are.
QList<SensorRevision> headRevisions(const QList<SensorRevision>& revisions, int nodeCount) {
    QList<SensorRevision> head;
    for (SensorRevision r : revisions) {
        if (r.node != 0 && r.node != nodeCount) {
            continue;
        }
        r.node = 0;
        r.offsets = {};
        head << r;
    }
    return head;
}

// Computes every row in order and writes those whose stored columns differ from what is
// computed; a failure leaves the rows before it written. A batch that ends without a failure
// or a logged reading records its state.
void processRows(Connection& db, const QString& instrumentId, const BatchContext& context,
                 std::vector<SelectedRow>& rows, BatchResult& result, bool& recorded) {
    const BatchGeometry& geometry = context.geometry;
    const ChannelOffsets offsets = selectionOffsets(rows);
    // Every displacement first, as a revision carries on from the rows before it.
    std::vector<ZeroResult> zeros;
    std::vector<NodeDisplacements> computed;
    QStringList fullDates;
    zeros.reserve(rows.size());
    computed.reserve(rows.size());
    // The temperature is corrected before the revisions apply: a revision carries on from the
    // corrected displacement. Its reference is the first reading of the selection itself.
    const auto firstWritten =
        std::find_if(rows.begin(), rows.end(), [](const SelectedRow& row) { return row.written; });
    const std::optional<double> referenceTemperature =
        firstWritten == rows.end() ? std::nullopt : readingTemperature(firstWritten->channelT);
    result.temperatureCorrected = context.correction.isOn();
    bool logged = false;
    for (const SelectedRow& row : rows) {
        zeros.push_back(SetZeros(row.channels, row.channelT, offsets, context.nodeCount));
        if (zeros.back().error && row.written) {
            context.log.report(*zeros.back().error, kZerosTag);
            logged = true;
        }
        computed.push_back(
            displacementsOf(zeros.back().zero, context.nodeCount, geometry.headAtCollar));
        if (correctForTemperature(computed.back(), context.nodeCount, context.correction,
                                  readingTemperature(row.channelT),
                                  referenceTemperature) == Corrected::NoTemperature &&
            row.written) {
            ++result.uncorrectedRows;
        }
        fullDates << row.fullDate;
    }
    const std::vector<NodeDisplacements> revised =
        reviseDisplacements(fullDates, computed, context.revisions, context.nodeCount,
                            geometry.headAtCollar, geometry.rezeroView);
    const int deepest = context.nodeCount - 1;
    if (geometry.headAtCollar && !context.revisions.isEmpty() && deepest >= 0 &&
        deepest < ChannelCount) {
        std::vector<RevisionNodes> head;
        for (const ZeroResult& z : zeros) {
            head.push_back(RevisionNodes{z.zero[deepest]});
        }
        head = reviseDisplacements(fullDates, head,
                                   headRevisions(context.revisions, context.nodeCount), 1, false,
                                   geometry.rezeroView);
        for (std::size_t i = 0; i < zeros.size(); ++i) {
            zeros[i].zero[deepest] = head[i][0];
        }
    }
    BatchWriter writer(
        db, updateSql(instrumentId, context.dispColumns, geometry.headAtCollar, context.loadCount));
    LoadPlan loadPlan(geometry, context.nodeCount, context.loadCount);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!rows[r].written) {
            continue;
        }
        const NodeDisplacements& disp = revised[r];
        std::array<std::optional<double>, MaxLoads> loads{};
        if (context.withLoads) {
            QList<double> dispValues;
            for (int n = 0; n < context.nodeCount; ++n) {
                dispValues.append(disp[n].value_or(0.0));
            }
            const QList<double> computedLoads = loadPlan.loads(dispValues);
            result.loadLocations = loadPlan.locations();
            for (int i = 0; i < context.loadCount; ++i) {
                if (disp[i] && disp[i + 1]) {
                    loads[i] = computedLoads[i];
                }
            }
        }

        StoredColumns columns{};
        int k = 0;
        for (const std::optional<double>& zero : zeros[r].zero) {
            columns[k++] = zero;
        }
        columns[k++] = zeros[r].numTemp;
        for (int n = 0; n < context.dispColumns; ++n) {
            columns[k++] = disp[n];
        }
        for (int i = 0; i < context.loadCount; ++i) {
            columns[k++] = loads[i];
        }
        const int bound = k;
        if (!geometry.headAtCollar) {
            columns[k++] = 0.0;
        }
        if (!rows[r].storedAsNumbers || !sameColumns(columns, rows[r].stored, k)) {
            for (int b = 0; b < bound; ++b) {
                writer.bind(columns[b]);
            }
            writer.write(rows[r].rowid);
            rows[r].stored = columns;
            rows[r].storedAsNumbers = true;
            ++result.rowsChanged;
        }
        ++result.rowsWritten;
    }
    writer.flush();
    if (!logged) {
        writeBatchState(
            db, instrumentId, context.selection(),
            BatchState{fingerprintOf(context, rows), result.uncorrectedRows, result.loadLocations});
        recorded = true;
    }
}

// The page cache of a batch's writes: enough for every page a sensor of ten years of hourly
// readings rewrites, so that the writes never spill before the end.
constexpr int kBatchCacheKiB = 64 * 1024;

// Runs the rows as one batch of writes: when a failure ends it early, the rows processed
// before it stay written on a file; on a server none is.
void writeBatch(Connection& db, const QString& instrumentId, const BatchContext& context,
                std::vector<SelectedRow>& rows, BatchResult& result, bool& recorded) {
    const LargerPageCache cache(db, kBatchCacheKiB);
    BatchWrites batch(db);
    std::optional<DbError> failure;
    try {
        processRows(db, instrumentId, context, rows, result, recorded);
    } catch (const DbError& error) {
        failure = error;
    }
    try {
        if (!batch.finish(failure.has_value())) {
            result.rowsWritten = 0;
        }
    } catch (const DbError&) {
        result.rowsWritten = 0;
        throw;
    }
    if (failure) {
        throw *failure;
    }
}

} // namespace

BatchResult runGraphBatch(Connection& db, const QString& instrumentId, GraphVariant variant,
                          bool withLoads, const BatchGeometry& geometry, const ErrorLog& log) {
    const int selection = selectionOf(variant, withLoads);
    const QByteArray settings = settingsDigest(geometry, selection);
    if (const std::optional<ChangeMark> mark = changeMark(db)) {
        if (std::optional<BatchResult> clean =
                cleanBatches().find({instrumentId, selection, settings}, *mark)) {
            return *clean;
        }
    }
    // An out-of-range node count still runs, so that the displacement step fails and is
    // logged; only the columns that exist are read and written.
    const QList<SensorRevision> revisions = readRevisions(db, instrumentId);
    const BatchContext context{geometry,
                               revisions,
                               log,
                               variant,
                               withLoads,
                               geometry.nodeCount,
                               std::clamp(geometry.nodeCount, 0, MaxDispNodes),
                               withLoads ? std::clamp(geometry.nodeCount - 1, 0, MaxLoads) : 0,
                               readTemperatureCorrection(db, instrumentId)};
    const QStringList outputs = context.outputs();
    std::vector<SelectedRow> rows = readSelection(db, instrumentId, variant, outputs);

    BatchResult result;
    result.rowsSelected = static_cast<int>(rows.size());
    if (rows.empty()) {
        log.report(ErrorCode::NoCurrentRecord,
                   QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                  "deleted."),
                   kOffsetsTag);
        return result;
    }
    addRevisionNeighbours(db, instrumentId, revisions, outputs, rows);
    std::optional<DbError> lost;
    // Whether the stored columns are now what the state recorded says, nothing logged.
    bool clean = false;
    result.completed = guarded(log, kBatchTag, [&] {
        try {
            // The columns already hold what the last batch over the same readings stored.
            const std::optional<BatchState> state =
                readBatchState(db, instrumentId, context.selection());
            if (state && state->fingerprint == fingerprintOf(context, rows)) {
                result.upToDate = true;
                result.rowsWritten = static_cast<int>(std::count_if(
                    rows.begin(), rows.end(), [](const SelectedRow& row) { return row.written; }));
                result.temperatureCorrected = context.correction.isOn();
                result.uncorrectedRows = state->uncorrectedRows;
                result.loadLocations = state->loadLocations;
                clean = true;
                return;
            }
            writeBatch(db, instrumentId, context, rows, result, clean);
        } catch (const DbError& e) {
            // Without the server there is nothing to draw: that is the caller's to tell.
            if (e.kind() != DbErrorKind::Unreachable) {
                throw;
            }
            lost = e;
        }
    });
    if (lost) {
        throw *lost;
    }
    if (clean && result.completed) {
        if (const std::optional<ChangeMark> mark = changeMark(db)) {
            BatchResult again = result;
            again.upToDate = true;
            again.rowsChanged = 0;
            cleanBatches().remember({instrumentId, selection, settings},
                                    {mark->opening, selection, instrumentId}, *mark, again);
        }
    }
    return result;
}

BatchResult GetTemporalData(Connection& db, const QString& instrumentId,
                            const BatchGeometry& geometry, const ErrorLog& log) {
    return runGraphBatch(db, instrumentId, GraphVariant::Time, false, geometry, log);
}

BatchResult GetSpatialData(Connection& db, const QString& instrumentId,
                           const BatchGeometry& geometry, const ErrorLog& log) {
    return runGraphBatch(db, instrumentId, GraphVariant::Length, false, geometry, log);
}

BatchResult GetTemporalLoadData(Connection& db, const QString& instrumentId,
                                const BatchGeometry& geometry, const ErrorLog& log) {
    return runGraphBatch(db, instrumentId, GraphVariant::Time, true, geometry, log);
}

BatchResult GetSpatialLoadData(Connection& db, const QString& instrumentId,
                               const BatchGeometry& geometry, const ErrorLog& log) {
    return runGraphBatch(db, instrumentId, GraphVariant::Length, true, geometry, log);
}
