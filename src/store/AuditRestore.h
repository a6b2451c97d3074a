#pragma once

#include <QList>
#include <QString>
#include <stdexcept>

class Connection;

// A restore the register's present state does not allow; nothing was restored.
class RestoreRefused : public std::runtime_error {
public:
    explicit RestoreRefused(const QString& reason)
        : std::runtime_error(reason.toStdString()), reason_(reason) {}
    QString reason() const { return reason_; }

private:
    QString reason_;
};

// Puts deleted readings back, from the rows the audit entries with these ids kept, in one
// transaction; each is marked for the chart batch as a typed reading is. Refused as a whole when
// an entry is not a deleted reading, its sensor's readings table is gone, or a reading with its
// key exists now. Gives the number of readings restored.
int restoreReadings(Connection& db, const QList<qint64>& auditIds);

// Puts a deleted sensor back from the entry of its deletion: its row, its readings table with
// the readings deleted with it, and its trigger levels when they went in the same change. One
// transaction; refused when the entry is not a sensor's deletion, or the sensor or its readings
// table exists now. Gives the number of readings restored.
int restoreSensor(Connection& db, qint64 auditId);

// Whether the login may restore a sensor: on a server prepared with the site's roles, a member
// of quorvelle_admin; everywhere else, anyone who may write.
bool mayRestoreSensors(Connection& db);
