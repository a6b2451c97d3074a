#pragma once

#include "checks/ReadingChecks.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <stdexcept>

class Connection;

// The site's thresholds as stored; the defaults for those not stored (or on a register without
// the table).
CheckSettings readCheckSettings(Connection& db);
// Stores every threshold, in one transaction, creating the check tables when missing.
void writeCheckSettings(Connection& db, const CheckSettings& settings);
// What is wrong with a setting the user gives, in the user's words; empty when it is usable.
// The counts are whole numbers (neighbours 1 to 20, a flat line 2 to 1000 readings), the
// thresholds and the rate above 0, the ranges' lower ends below their upper ends.
QString checkSettingsProblem(const CheckSettings& settings);

// Checks every reading of the sensor again and replaces its stored flags with what was found,
// in one transaction of its own (creating the check tables when missing); gives the number of
// flags. Run once the readings are committed: a failure here leaves them as they are.
int refreshReadingFlags(Connection& db, const QString& instrumentId, const QDateTime& now);

// Where readings of a sensor were added, edited, deleted, rejected or restored: the readings
// with FullDate from .. to ("yyyy-MM-dd HH:mm:ss"). deleted: readings may have gone from
// there, and their flags go with them.
struct ReadingSpan {
    QString from;
    QString to;
    bool deleted = false;
};
// The places of the sensor's readings with these keys (rowids), as they are stored now; a
// key of no reading gives none. Many readings give one span from the first to the last.
QList<ReadingSpan> spansOfKeys(Connection& db, const QString& instrumentId,
                               const QStringList& keys);
QList<ReadingSpan> spansOfRows(Connection& db, const QString& instrumentId,
                               const QList<qint64>& rowids);

// Checks again only the readings a change in the spans can alter (with the neighbours their
// checks take) and those dated after now or flagged so, and replaces their stored flags, in
// one transaction of its own; the flags of the readings of a deleted span that are gone go
// too. The flags come out as refreshReadingFlags() would give them. A sensor not checked
// in full under the site's present thresholds is checked in full. Gives the sensor's number
// of flags.
int refreshReadingFlagsNear(Connection& db, const QString& instrumentId,
                            const QList<ReadingSpan>& changed, const QDateTime& now);

// The sensor's stored flags in reading order and then as found; none without the table.
QList<ReadingFlag> readFlags(Connection& db, const QString& instrumentId);
// The same by reading key.
QHash<QString, QList<ReadingFlag>> flagsByKey(const QList<ReadingFlag>& flags);

// One entry of the rejection log.
struct Rejection {
    QString key;
    bool rejected = true; // false: the reading was restored
    QString reason;
    QString enteredBy;
    QString enteredAt; // "yyyy-MM-dd HH:mm:ss"
};

// The sensor's entries in the order entered.
QList<Rejection> readRejections(Connection& db, const QString& instrumentId);
// Keys of the sensor's readings whose latest entry rejects them.
QSet<QString> rejectedKeys(Connection& db, const QString& instrumentId);

// A rejection or restoration that cannot be stored; the reason in the user's words.
class RejectionRefused : public std::runtime_error {
public:
    explicit RejectionRefused(const QString& reason) : std::runtime_error(reason.toStdString()) {}
    QString reason() const { return QString::fromStdString(what()); }
};

// Rejects (or, with reject false, restores) the sensor's reading with this key, with the
// reason, in one transaction. Refused: no reason, no such reading, a reading already in that
// state. The readings' neighbours changed: the caller checks them again.
void rejectReading(Connection& db, const QString& instrumentId, const QString& key, bool reject,
                   const QString& reason, const QString& login, const QDateTime& now);
