#pragma once

#include "revisions/Revisions.h"
#include "store/RevisionTable.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVector>
#include <stdexcept>

class Connection;

// Creates the revision table (store/RevisionTable.h) when missing, in one transaction.
void createRevisionTable(Connection& db);

// The sensor's entries, in the order entered; none on a register without the table.
QList<SensorRevision> readRevisions(Connection& db, const QString& instrumentId);
// Every sensor's entries, by sensor, in the order entered.
QHash<QString, QList<SensorRevision>> readAllRevisions(Connection& db);

// An entry as the user asks for it.
struct RevisionRequest {
    QString instrumentId;
    QDateTime from; // the reading's date and time as wall-clock time
    RevisionKind kind = RevisionKind::Offset;
    int node = 0;               // 0: every node (not for nodelost)
    QList<double> typedOffsets; // offset entries: one (with node) or one per node, node 1 first
    QString note;
};

// A request that cannot be stored; what() says why, in the user's words.
class RevisionRefused : public std::runtime_error {
public:
    explicit RevisionRefused(const QString& reason) : std::runtime_error(reason.toStdString()) {}
    QString reason() const { return QString::fromStdString(what()); }
};

// Checks the request against the register and adds it (creating the table when missing);
// returns the entry as stored. Refused: an unknown sensor, a node out of the sensor's range, a
// lost node without its number, offsets on another kind or not one per node, and a date before
// the sensor's first reading. A date after the last reading is kept for the readings to come.
SensorRevision addRevision(Connection& db, const RevisionRequest& request, const QDateTime& now,
                           const QString& login);

// "yyyy/MM/dd HH:mm:ss" of a stored "yyyy-MM-dd HH:mm:ss".
QString shownRevisionDate(const QString& stored);
// "offset 1.20, -0.40 mm", "computed", "node 3" ...: what an entry does, in one phrase.
QString revisionEffectText(const SensorRevision& revision);

// The columns of a revision list, as the window, the command line, the report and the workbook
// show it, and one entry's cells (the last says which later entry superseded it, if any).
QStringList revisionListHeadings();
QStringList revisionListCells(const SensorRevision& revision,
                              const QHash<qint64, qint64>& superseded);
// The whole list as a table, heading row first; empty when there are no entries.
QVector<QStringList> revisionTable(const QList<SensorRevision>& revisions);
// One line per entry for the report: "No. 1 from 2026/03/11 10:29:00: offset, all nodes,
// computed to carry on. Readout replaced (sample data, 2026/03/11 11:29:00)", with
// "; superseded by No. 2" where a later entry replaced it.
QStringList revisionReportLines(const QList<SensorRevision>& revisions);
