#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

// offset: a repair or a new readout; each node's displacement goes on from where the last
//   reading before it left off (or by the offsets typed).
// rezero: the displacement starts again at 0 from the reading.
// nodelost: the node's values from the reading on are neither drawn nor judged.
enum class RevisionKind { Offset, Rezero, NodeLost };

// "offset", "rezero", "nodelost": the word stored and typed on the command line.
QString revisionKindWord(RevisionKind kind);
// "offset", "re-zero", "node lost": the word shown.
QString revisionKindShown(RevisionKind kind);
std::optional<RevisionKind> revisionKindOf(const QString& word);

constexpr int kRevisionNodes = 8;
using RevisionNodes = std::array<std::optional<double>, kRevisionNodes>;

// One entry of a sensor's revision list. Entries are never changed: a correction is a later
// entry on the same reading.
struct SensorRevision {
    qint64 id = 0;
    QString instrumentId;
    QString fromKey;  // DateTimeKey of the reading it starts at; empty for a date between readings
    QString fromDate; // "yyyy-MM-dd HH:mm:ss": applies to the readings at or after it
    RevisionKind kind = RevisionKind::Offset;
    int node = 0;          // 1-based; 0 is every node
    RevisionNodes offsets; // offset entries: the typed mm of each node; none is computed
    QString note;
    QString enteredBy;
    QString enteredAt; // "yyyy-MM-dd HH:mm:ss"
};

// Which entry a later one on the same reading replaced, by id: a later entry supersedes an
// earlier one when both name the same node, or either names every node.
QHash<qint64, qint64> supersededBy(const QList<SensorRevision>& revisions);

// The entries in force, in the order they apply (by date, then as entered).
QList<SensorRevision> effectiveRevisions(const QList<SensorRevision>& revisions);

// What the charts show after a re-zero: the displacement since it, or since installation (as
// if it had not been entered).
enum class RezeroView { SinceRezero, SinceInstallation };

// The displacements of a sensor's rows after its revisions. fullDates are the rows' FullDate
// texts in time order, disp their nodes' displacements as computed from the channels. An
// offset that is not typed is the revised displacement of the last row before the revision
// that has the node, less the displacement of the first row at or after it; a revision with no
// row on one side changes nothing until rows come. With the head at the collar every node is
// measured against the deepest one, so losing the deepest loses all. Without revisions the
// rows come back unchanged.
std::vector<RevisionNodes> reviseDisplacements(const QStringList& fullDates,
                                               const std::vector<RevisionNodes>& disp,
                                               const QList<SensorRevision>& revisions,
                                               int nodeCount, bool headAtCollar,
                                               RezeroView view = RezeroView::SinceRezero);
