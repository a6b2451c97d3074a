#include "revisions/RevisionStore.h"

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/EngineSql.h"
#include "store/SensorTypes.h"
#include "store/SqlFailure.h"

#include <QSqlQuery>

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString selectColumns() {
    QStringList columns{"RevisionID", "InstrumentID", "FromKey", "FromDate", "Kind", "Node"};
    for (int n = 1; n <= kRevisionNodes; ++n) {
        columns << QStringLiteral("Value%1").arg(n);
    }
    columns << "Note"
            << "EnteredBy"
            << "EnteredAt";
    return columns.join(QStringLiteral(", "));
}

QList<SensorRevision> revisionsOf(QSqlQuery& query) {
    QList<SensorRevision> revisions;
    while (query.next()) {
        SensorRevision r;
        r.id = query.value(0).toLongLong();
        r.instrumentId = query.value(1).toString();
        r.fromKey = query.value(2).toString();
        r.fromDate = query.value(3).toString();
        r.kind = revisionKindOf(query.value(4).toString()).value_or(RevisionKind::Offset);
        r.node = query.value(5).toInt();
        for (int n = 0; n < kRevisionNodes; ++n) {
            const QVariant value = query.value(6 + n);
            if (!value.isNull()) {
                r.offsets[n] = value.toDouble();
            }
        }
        r.note = query.value(6 + kRevisionNodes).toString();
        r.enteredBy = query.value(7 + kRevisionNodes).toString();
        r.enteredAt = query.value(8 + kRevisionNodes).toString();
        revisions << r;
    }
    return revisions;
}

// The sensor's node count; refused when the register does not hold the sensor.
int nodeCountOf(Connection& db, const QString& instrumentId) {
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT SensorType FROM Sensors WHERE "
                                              "InstrumentID = ?"),
                               {instrumentId});
    if (!query.next()) {
        throw RevisionRefused(
            QStringLiteral("Sensor %1 is not in the register.").arg(instrumentId));
    }
    const std::optional<SensorTypeInfo> type = lookupSensorType(query.value(0).toString());
    return type ? type->nodeCount : 0;
}

void checkNodes(const RevisionRequest& request, int nodeCount) {
    if (request.node < 0 || request.node > nodeCount) {
        throw RevisionRefused(QStringLiteral("Sensor %1 has nodes 1 to %2; there is no node %3.")
                                  .arg(request.instrumentId)
                                  .arg(nodeCount)
                                  .arg(request.node));
    }
    if (request.kind == RevisionKind::NodeLost && request.node == 0) {
        throw RevisionRefused(QStringLiteral("A lost node needs its number."));
    }
    if (request.typedOffsets.isEmpty()) {
        return;
    }
    if (request.kind != RevisionKind::Offset) {
        throw RevisionRefused(QStringLiteral("Only an offset revision takes offsets."));
    }
    const qsizetype wanted = request.node != 0 ? 1 : nodeCount;
    if (request.typedOffsets.size() != wanted) {
        throw RevisionRefused(
            request.node != 0
                ? QStringLiteral("An offset of one node takes one value, not %1.")
                      .arg(request.typedOffsets.size())
                : QStringLiteral("Sensor %1 has %2 nodes: type one offset for each, not %3.")
                      .arg(request.instrumentId)
                      .arg(nodeCount)
                      .arg(request.typedOffsets.size()));
    }
}

} // namespace

void createRevisionTable(Connection& db) {
    db.inTransaction([&] { createRevisionTableWithin(db); });
}

QList<SensorRevision> readRevisions(Connection& db, const QString& instrumentId) {
    if (!hasRevisionTable(db)) {
        return {};
    }
    QSqlQuery query = runQuery(db,
                               "SELECT " + selectColumns() +
                                   " FROM SensorRevisions WHERE InstrumentID = ? ORDER BY "
                                   "RevisionID",
                               {instrumentId});
    return revisionsOf(query);
}

QHash<QString, QList<SensorRevision>> readAllRevisions(Connection& db) {
    QHash<QString, QList<SensorRevision>> all;
    if (!hasRevisionTable(db)) {
        return all;
    }
    QSqlQuery query =
        runQuery(db, "SELECT " + selectColumns() + " FROM SensorRevisions ORDER BY RevisionID", {});
    for (const SensorRevision& r : revisionsOf(query)) {
        all[r.instrumentId] << r;
    }
    return all;
}

SensorRevision addRevision(Connection& db, const RevisionRequest& request, const QDateTime& now,
                           const QString& login) {
    const int nodeCount = nodeCountOf(db, request.instrumentId);
    checkNodes(request, nodeCount);
    if (!request.from.isValid()) {
        throw RevisionRefused(QStringLiteral("The revision needs the date and time it starts at."));
    }
    const QString from = request.from.toString(kStamp);
    const QString table = quoteName(request.instrumentId);
    const QVariant first = db.hasTable(request.instrumentId)
                               ? db.scalar("SELECT min(FullDate) FROM " + table)
                               : QVariant();
    if (first.isNull()) {
        throw RevisionRefused(
            QStringLiteral("Sensor %1 has no readings: a revision starts at one of its readings.")
                .arg(request.instrumentId));
    }
    if (from < first.toString()) {
        throw RevisionRefused(QStringLiteral("The revision is dated before the first reading of "
                                             "sensor %1 (%2): there is nothing to revise before "
                                             "it.")
                                  .arg(request.instrumentId, shownRevisionDate(first.toString())));
    }

    SensorRevision r;
    r.instrumentId = request.instrumentId;
    r.fromDate = from;
    r.fromKey = db.scalar("SELECT min(DateTimeKey) FROM " + table + " WHERE FullDate = ?", {from})
                    .toString();
    r.kind = request.kind;
    r.node = request.node;
    for (qsizetype i = 0; i < request.typedOffsets.size(); ++i) {
        r.offsets[request.node != 0 ? request.node - 1 : i] = request.typedOffsets[i];
    }
    r.note = request.note;
    r.enteredBy = login;
    r.enteredAt = now.toString(kStamp);

    QVariantList params{r.instrumentId, r.fromKey, r.fromDate, revisionKindWord(r.kind),
                        r.node > 0 ? QVariant(r.node) : QVariant(QMetaType::fromType<int>())};
    QStringList marks;
    for (int n = 0; n < kRevisionNodes; ++n) {
        params << (r.offsets[n] ? QVariant(*r.offsets[n])
                                : QVariant(QMetaType::fromType<double>()));
        marks << QStringLiteral("?");
    }
    params << r.note << r.enteredBy << r.enteredAt;
    QStringList values;
    for (int n = 1; n <= kRevisionNodes; ++n) {
        values << QStringLiteral("Value%1").arg(n);
    }
    if (!hasRevisionTable(db)) {
        createRevisionTable(db);
    }
    r.id = insertReturningRowId(db,
                                "INSERT INTO SensorRevisions (InstrumentID, FromKey, FromDate, "
                                "Kind, Node, " +
                                    values.join(", ") +
                                    ", Note, EnteredBy, EnteredAt) VALUES (?, ?, ?, ?, ?, " +
                                    marks.join(", ") + ", ?, ?, ?)",
                                params);
    return r;
}

QString shownRevisionDate(const QString& stored) {
    QString shown = stored;
    if (shown.size() >= 10 && shown[4] == '-' && shown[7] == '-') {
        shown[4] = '/';
        shown[7] = '/';
    }
    return shown;
}

QString revisionEffectText(const SensorRevision& revision) {
    const QString where = revision.node > 0 ? QStringLiteral("node %1").arg(revision.node)
                                            : QStringLiteral("all nodes");
    if (revision.kind != RevisionKind::Offset) {
        return where;
    }
    QStringList typed;
    for (int n = 0; n < kRevisionNodes; ++n) {
        if (revision.offsets[n]) {
            typed << QString::number(*revision.offsets[n], 'f', 2);
        }
    }
    return typed.isEmpty() ? where + QStringLiteral(", computed to carry on")
                           : where + QStringLiteral(", ") + typed.join(QStringLiteral(", ")) +
                                 QStringLiteral(" mm");
}

QStringList revisionListHeadings() {
    return {"No.", "From", "Kind", "Applies to", "Note", "Entered by", "Entered", "Superseded"};
}

QStringList revisionListCells(const SensorRevision& revision,
                              const QHash<qint64, qint64>& superseded) {
    const qint64 by = superseded.value(revision.id, 0);
    return {QString::number(revision.id),
            shownRevisionDate(revision.fromDate),
            revisionKindShown(revision.kind),
            revisionEffectText(revision),
            revision.note,
            revision.enteredBy,
            shownRevisionDate(revision.enteredAt),
            by > 0 ? QStringLiteral("by No. %1").arg(by) : QString()};
}

QVector<QStringList> revisionTable(const QList<SensorRevision>& revisions) {
    if (revisions.isEmpty()) {
        return {};
    }
    const QHash<qint64, qint64> superseded = supersededBy(revisions);
    QVector<QStringList> table{revisionListHeadings()};
    for (const SensorRevision& r : revisions) {
        table << revisionListCells(r, superseded);
    }
    return table;
}

QStringList revisionReportLines(const QList<SensorRevision>& revisions) {
    const QHash<qint64, qint64> superseded = supersededBy(revisions);
    QStringList lines;
    for (const SensorRevision& r : revisions) {
        QString line = QStringLiteral("No. %1 from %2: %3, %4.")
                           .arg(r.id)
                           .arg(shownRevisionDate(r.fromDate), revisionKindShown(r.kind),
                                revisionEffectText(r));
        if (!r.note.isEmpty()) {
            line += ' ' + r.note;
        }
        line += QStringLiteral(" (%1, %2)").arg(r.enteredBy, shownRevisionDate(r.enteredAt));
        if (const qint64 by = superseded.value(r.id, 0); by > 0) {
            line += QStringLiteral("; superseded by No. %1").arg(by);
        }
        lines << line;
    }
    return lines;
}
