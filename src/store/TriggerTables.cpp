#include "store/TriggerTables.h"

#include "store/Connection.h"

#include <QStringList>

void createTriggerTables(Connection& db) {
    const QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS TriggerLevels (InstrumentID TEXT PRIMARY KEY, "
                       "AmberDisp REAL, RedDisp REAL, AmberRate REAL, RedRate REAL, "
                       "RateWindow REAL, ReadingInterval REAL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS TriggerEvents (EventID INTEGER PRIMARY KEY "
                       "AUTOINCREMENT, InstrumentID TEXT NOT NULL, DateTimeKey TEXT NOT NULL, "
                       "State TEXT NOT NULL, Measure TEXT NOT NULL, Value REAL NOT NULL, "
                       "Level REAL NOT NULL, Node INTEGER, Anchor TEXT, DetectedAt TEXT NOT NULL, "
                       "DetectedBy TEXT NOT NULL, AckAt TEXT, AckBy TEXT, AckNote TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ix_TriggerEvents_InstrumentID ON "
                       "TriggerEvents (InstrumentID, DateTimeKey)"),
        // The log keeps what it recorded: no deletion, and no change but a first
        // acknowledgement.
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS TriggerEvents_NoDelete BEFORE DELETE ON "
                       "TriggerEvents BEGIN SELECT RAISE(ABORT, 'trigger events are never "
                       "deleted'); END"),
        QStringLiteral(
            "CREATE TRIGGER IF NOT EXISTS TriggerEvents_AckOnly BEFORE UPDATE ON TriggerEvents "
            "WHEN OLD.AckAt IS NOT NULL OR NEW.AckAt IS NULL OR NEW.EventID IS NOT OLD.EventID "
            "OR NEW.InstrumentID IS NOT OLD.InstrumentID OR NEW.DateTimeKey IS NOT "
            "OLD.DateTimeKey OR NEW.State IS NOT OLD.State OR NEW.Measure IS NOT OLD.Measure OR "
            "NEW.Value IS NOT OLD.Value OR NEW.Level IS NOT OLD.Level OR NEW.Node IS NOT OLD.Node "
            "OR NEW.Anchor IS NOT OLD.Anchor OR NEW.DetectedAt IS NOT OLD.DetectedAt OR "
            "NEW.DetectedBy IS NOT OLD.DetectedBy BEGIN SELECT RAISE(ABORT, 'a trigger event "
            "takes only its acknowledgement'); END")};
    db.beginTransaction();
    try {
        for (const QString& sql : statements) {
            db.execute(sql);
        }
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

bool hasTriggerTables(Connection& db) {
    // Looked up by name: a register of many sensors holds thousands of tables.
    return db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                    "name IN ('TriggerLevels', 'TriggerEvents')"))
               .toInt() == 2;
}
