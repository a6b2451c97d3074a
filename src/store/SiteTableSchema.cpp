#include "store/SiteTableSchema.h"

#include "store/Connection.h"
#include "store/Schema.h"

void createSiteTablesWithin(Connection& db) {
    if (db.isServer()) {
        db.execute("CREATE TABLE IF NOT EXISTS SensorPositions (" + kServerRowId +
                   ", InstrumentID text UNIQUE NOT NULL, Easting double precision NOT NULL, "
                   "Northing double precision NOT NULL, Elevation double precision)");
        db.execute("CREATE TABLE IF NOT EXISTS LevelPlans (" + kServerRowId +
                   ", Level text UNIQUE NOT NULL, Kind text NOT NULL, FileName text NOT NULL, "
                   "Content bytea NOT NULL, Placement text, StoredAt text NOT NULL)");
    } else {
        db.execute(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS SensorPositions (InstrumentID TEXT PRIMARY KEY, Easting "
            "REAL NOT NULL, Northing REAL NOT NULL, Elevation REAL)"));
        db.execute(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS LevelPlans (Level TEXT PRIMARY KEY, Kind TEXT NOT NULL, "
            "FileName TEXT NOT NULL, Content BLOB NOT NULL, Placement TEXT, StoredAt TEXT NOT "
            "NULL)"));
    }
}
