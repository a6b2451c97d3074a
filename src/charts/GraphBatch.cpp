#include "charts/GraphBatch.h"

#include "charts/Displacement.h"
#include "charts/Loads.h"
#include "charts/TemperatureCorrection.h"
#include "revisions/RevisionStore.h"
#include "store/CheckTables.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EngineSql.h"
#include "store/Formats.h"
#include "store/Guard.h"
#include "store/NativeStatement.h"

#include <QSet>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

const QString kBatchTag = QStringLiteral(" G_GetTemporalData");
const QString kZerosTag = QStringLiteral(" G_SetZeros");
const QString kOffsetsTag = QStringLiteral(" Module1_GetOffsets");

// One selected reading as read: its channels.
struct SelectedRow {
    qint64 rowid = 0;
    QString fullDate;
    QStringList channels; // Channel1..10, null as empty
    QString channelT;
    bool written = true; // false: beside a revision, outside the selection
};

QStringList rowColumns() {
    QStringList columns = {QStringLiteral("rowid")};
    for (int n = 1; n <= ChannelCount; ++n) {
        columns << QStringLiteral("Channel%1").arg(n);
    }
    return columns << QStringLiteral("ChannelT") << QStringLiteral("FullDate");
}

SelectedRow rowOf(const NativeStatement& query) {
    SelectedRow row;
    row.rowid = query.int64At(0);
    for (int n = 0; n < ChannelCount; ++n) {
        row.channels.append(query.textAt(1 + n));
    }
    row.channelT = query.textAt(1 + ChannelCount);
    row.fullDate = query.textAt(2 + ChannelCount);
    return row;
}

std::vector<SelectedRow> readSelection(Connection& db, const QString& instrumentId,
                                       GraphVariant variant) {
    NativeStatement query(db, graphSelect(db, instrumentId, variant, rowColumns()));
    std::vector<SelectedRow> rows;
    while (query.step()) {
        rows.push_back(rowOf(query));
    }
    return rows;
}

// A revision takes its offset or its re-zero from the readings beside it, the last before it
// and the first at or after it, as the trigger state does, whether the chart draws them or
// not: those the selection lacks are added to be computed with it, never written.
void addRevisionNeighbours(Connection& db, const QString& instrumentId,
                           const QList<SensorRevision>& revisions, std::vector<SelectedRow>& rows) {
    if (revisions.isEmpty()) {
        return;
    }
    QSet<qint64> known;
    for (const SelectedRow& row : rows) {
        known.insert(row.rowid);
    }
    const QString select = "SELECT " + rowColumns().join(", ") + " FROM " +
                           quoteName(instrumentId) + " WHERE " + notRejectedSql(db);
    for (const SensorRevision& r : effectiveRevisions(revisions)) {
        const QByteArray from = r.fromDate.toUtf8();
        for (const char* side : {" AND FullDate < ? ORDER BY FullDate DESC, rowid DESC LIMIT 1",
                                 " AND FullDate >= ? ORDER BY FullDate, rowid LIMIT 1"}) {
            NativeStatement query(db, select + QLatin1String(side));
            query.bindText(1, std::string_view(from.constData(), from.size()));
            if (query.step()) {
                SelectedRow row = rowOf(query);
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

struct BatchContext {
    const BatchGeometry& geometry;
    const QList<SensorRevision>& revisions;
    const ErrorLog& log;
    bool withLoads;
    int nodeCount;
    int dispColumns;
    int loadCount;
    TemperatureCorrection correction;
};

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

// Computes and writes every row in order; a failure leaves the rows before it written.
void processRows(Connection& db, const QString& instrumentId, const BatchContext& context,
                 const std::vector<SelectedRow>& rows, BatchResult& result) {
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
    for (const SelectedRow& row : rows) {
        zeros.push_back(SetZeros(row.channels, row.channelT, offsets, context.nodeCount));
        if (zeros.back().error && row.written) {
            context.log.report(*zeros.back().error, kZerosTag);
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

        for (const std::optional<double>& zero : zeros[r].zero) {
            writer.bind(zero);
        }
        writer.bind(zeros[r].numTemp);
        for (int n = 0; n < context.dispColumns; ++n) {
            writer.bind(disp[n]);
        }
        for (int i = 0; i < context.loadCount; ++i) {
            writer.bind(loads[i]);
        }
        writer.write(rows[r].rowid);
        ++result.rowsWritten;
    }
    writer.flush();
}

// Runs the rows as one batch of writes: when a failure ends it early, the rows processed
// before it stay written on a file; on a server none is.
void writeBatch(Connection& db, const QString& instrumentId, const BatchContext& context,
                const std::vector<SelectedRow>& rows, BatchResult& result) {
    BatchWrites batch(db);
    std::optional<DbError> failure;
    try {
        processRows(db, instrumentId, context, rows, result);
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
    // An out-of-range node count still runs, so that the displacement step fails and is
    // logged; only the columns that exist are read and written.
    const QList<SensorRevision> revisions = readRevisions(db, instrumentId);
    const BatchContext context{geometry,
                               revisions,
                               log,
                               withLoads,
                               geometry.nodeCount,
                               std::clamp(geometry.nodeCount, 0, MaxDispNodes),
                               withLoads ? std::clamp(geometry.nodeCount - 1, 0, MaxLoads) : 0,
                               readTemperatureCorrection(db, instrumentId)};
    std::vector<SelectedRow> rows = readSelection(db, instrumentId, variant);

    BatchResult result;
    result.rowsSelected = static_cast<int>(rows.size());
    if (rows.empty()) {
        log.report(ErrorCode::NoCurrentRecord,
                   QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                  "deleted."),
                   kOffsetsTag);
        return result;
    }
    addRevisionNeighbours(db, instrumentId, revisions, rows);
    std::optional<DbError> lost;
    result.completed = guarded(log, kBatchTag, [&] {
        try {
            writeBatch(db, instrumentId, context, rows, result);
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
