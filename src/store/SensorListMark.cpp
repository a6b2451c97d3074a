#include "store/SensorListMark.h"

#include "store/Connection.h"
#include "store/SqlFailure.h"

SensorListMark readSensorListMark(Connection& db) {
    QSqlQuery query = runQuery(
        db, QStringLiteral("SELECT COUNT(*), COALESCE(MAX(rowid), 0) FROM ") + quoteName("Sensors"),
        {});
    SensorListMark mark;
    if (query.next()) {
        mark.count = query.value(0).toLongLong();
        mark.lastRowId = query.value(1).toLongLong();
    }
    return mark;
}

bool sensorRowExists(Connection& db, qint64 rowId) {
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + quoteName("Sensors") +
                         QStringLiteral(" WHERE rowid = ?"),
                     {rowId})
               .toLongLong() > 0;
}
