#pragma once

#include <QString>

class Connection;

// The table of the sensors' revisions beside the register's own:
//   SensorRevisions: one row per entry (RevisionID, InstrumentID, FromKey, FromDate, Kind,
//     Node, Value1..Value8, Note, EnteredBy, EnteredAt); rows are only ever added, which the
//     table's own rules enforce.
inline const QString kRevisionTable = QStringLiteral("SensorRevisions");
// Columns Value1..Value8: one per node.
constexpr int kRevisionValues = 8;

// Creates the table when missing, inside the caller's transaction; an existing table is left
// as it is.
void createRevisionTableWithin(Connection& db);
bool hasRevisionTable(Connection& db);
