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
