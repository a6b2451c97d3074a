#include "revisions/Revisions.h"

#include <algorithm>

QString revisionKindWord(RevisionKind kind) {
    switch (kind) {
    case RevisionKind::Offset:
        return QStringLiteral("offset");
    case RevisionKind::Rezero:
        return QStringLiteral("rezero");
    case RevisionKind::NodeLost:
        break;
    }
    return QStringLiteral("nodelost");
}

QString revisionKindShown(RevisionKind kind) {
    switch (kind) {
    case RevisionKind::Offset:
        return QStringLiteral("offset");
    case RevisionKind::Rezero:
        return QStringLiteral("re-zero");
    case RevisionKind::NodeLost:
        break;
    }
    return QStringLiteral("node lost");
}

std::optional<RevisionKind> revisionKindOf(const QString& word) {
    for (const RevisionKind kind :
         {RevisionKind::Offset, RevisionKind::Rezero, RevisionKind::NodeLost}) {
        if (word == revisionKindWord(kind) || word == revisionKindShown(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

QHash<qint64, qint64> supersededBy(const QList<SensorRevision>& revisions) {
    QHash<qint64, qint64> replaced;
    for (const SensorRevision& earlier : revisions) {
        for (const SensorRevision& later : revisions) {
            const bool sameNode =
                earlier.node == later.node || earlier.node == 0 || later.node == 0;
            if (later.id > earlier.id && later.fromDate == earlier.fromDate && sameNode) {
                // The first later one is named: a chain of corrections reads in order.
                const qint64 known = replaced.value(earlier.id, 0);
                if (known == 0 || later.id < known) {
                    replaced.insert(earlier.id, later.id);
                }
            }
        }
    }
    return replaced;
}

QList<SensorRevision> effectiveRevisions(const QList<SensorRevision>& revisions) {
    const QHash<qint64, qint64> replaced = supersededBy(revisions);
    QList<SensorRevision> effective;
    for (const SensorRevision& r : revisions) {
        if (!replaced.contains(r.id)) {
            effective << r;
        }
    }
    std::stable_sort(effective.begin(), effective.end(),
                     [](const SensorRevision& a, const SensorRevision& b) {
                         return a.fromDate != b.fromDate ? a.fromDate < b.fromDate : a.id < b.id;
                     });
    return effective;
}

namespace {

// The running state of the walk over the rows: what is added to each node, and which are lost.
struct NodeState {
    std::array<double, kRevisionNodes> add{};
    std::array<bool, kRevisionNodes> lost{};

    RevisionNodes applied(const RevisionNodes& raw, int nodeCount) const {
        RevisionNodes out{};
        for (int n = 0; n < nodeCount; ++n) {
            if (raw[n] && !lost[n]) {
                out[n] = *raw[n] + add[n];
            }
        }
        return out;
    }
};

} // namespace

std::vector<RevisionNodes> reviseDisplacements(const QStringList& fullDates,
                                               const std::vector<RevisionNodes>& disp,
                                               const QList<SensorRevision>& revisions,
                                               int nodeCount, bool headAtCollar, RezeroView view) {
    const int nodes = std::clamp(nodeCount, 0, kRevisionNodes);
    const std::size_t rows = std::min(disp.size(), static_cast<std::size_t>(fullDates.size()));
    std::vector<RevisionNodes> out(disp.begin(), disp.end());
    if (revisions.isEmpty()) {
        return out;
    }
    NodeState state;
    std::size_t next = 0; // the first row not yet revised
    const auto firstAtOrAfter = [&](int n) -> std::optional<double> {
        for (std::size_t j = next; j < rows; ++j) {
            if (disp[j][n]) {
                return *disp[j][n];
            }
        }
        return std::nullopt;
    };
    const auto lastBefore = [&](int n) -> std::optional<double> {
        for (std::size_t j = next; j-- > 0;) {
            if (out[j][n]) {
                return *out[j][n];
            }
        }
        return std::nullopt;
    };
    for (const SensorRevision& r : effectiveRevisions(revisions)) {
        for (; next < rows && fullDates[static_cast<qsizetype>(next)] < r.fromDate; ++next) {
            out[next] = state.applied(disp[next], nodes);
        }
        for (int n = 0; n < nodes; ++n) {
            if (r.node != 0 && r.node != n + 1) {
                continue;
            }
            switch (r.kind) {
            case RevisionKind::Offset:
                if (r.offsets[n]) {
                    state.add[n] += *r.offsets[n];
                } else if (const auto before = lastBefore(n), at = firstAtOrAfter(n);
                           before && at) {
                    state.add[n] = *before - *at;
                }
                break;
            case RevisionKind::Rezero:
                if (const auto at = firstAtOrAfter(n); at && view == RezeroView::SinceRezero) {
                    state.add[n] = -*at;
                }
                break;
            case RevisionKind::NodeLost:
                state.lost[n] = true;
                if (headAtCollar && n == nodes - 1) {
                    state.lost.fill(true);
                }
                break;
            }
        }
    }
    for (; next < rows; ++next) {
        out[next] = state.applied(disp[next], nodes);
    }
    return out;
}
