#include "store/Prefs.h"

#include "store/RecordSet.h"

void GetPrefs(Connection& db, Prefs& prefs) {
    RecordSet rs(db, QStringLiteral("Prefs"));
    rs.moveFirst();
    prefs.maxY = rs.text(QStringLiteral("MaxY"));
    prefs.minY = rs.text(QStringLiteral("MinY"));
    prefs.minX = rs.text(QStringLiteral("MinX"));
    prefs.maxX = rs.text(QStringLiteral("MaxX"));
}
