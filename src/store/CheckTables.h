#pragma once

#include <QString>
#include <QStringList>

class Connection;

// The tables of the reading checks, beside the register's own (the readings tables keep their
// columns):
//   ReadingFlags: what the checks found, one row per finding (InstrumentID, ReadingKey, CheckName,
//     Channel, Detail); a sensor's rows are replaced whenever its readings are checked again.
//   ReadingRejections: the engineers' rejections and restorations (InstrumentID, ReadingKey,
//     Rejected 1 or 0, Reason, EnteredBy, EnteredAt); rows are only ever added, which the
//     table's own rules enforce, and a reading's latest row says whether it is rejected.
//   ReadingCheckSettings: the site's thresholds, one row per setting (Name, Value).
inline const QString kFlagTable = QStringLiteral("ReadingFlags");
inline const QString kRejectionTable = QStringLiteral("ReadingRejections");
inline const QString kCheckSettingsTable = QStringLiteral("ReadingCheckSettings");
inline const QStringList kCheckTables = {kFlagTable, kRejectionTable, kCheckSettingsTable};

// Creates whichever table is missing, inside the caller's transaction.
void createCheckTablesWithin(Connection& db);
// The same in a transaction of its own, only when one is missing.
void createCheckTables(Connection& db);

// The condition that leaves rejected readings out of a statement over a readings table, for
// an AND: the same for the charts, the trigger states and the report. On a register without
// the rejection table no reading is rejected and the condition holds for every row.
QString notRejectedSql(Connection& db);
