#include "support/TestReadings.h"

#include "store/Connection.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "triggers/TriggerLevels.h"

#include <QVariant>

StatusReading statusReading(const QDateTime& start, double day, const QStringList& channels,
                            bool ticked) {
    StatusReading r;
    r.at = start.addSecs(static_cast<qint64>(day * 86400));
    r.key = QStringLiteral("120531001 ") + r.at.toString("yyyy/MM/dd HH:mm:ss");
    r.channels = channels;
    r.channelT = QStringLiteral("18.5");
    r.plotTemporal = ticked;
    return r;
}

void fillWithFreePages(const QString& path, int kept, int deleted) {
    Connection db;
    db.open(path);
    db.inTransaction([&] {
        for (int i = 0; i < kept + deleted; ++i) {
            db.execute("INSERT INTO `120521001` (DateTimeKey, Channel1, Channel2) "
                       "VALUES (?, ?, ?)",
                       {QString("k%1").arg(i), QString(4000, 'x'),
                        i < kept ? QVariant("kept") : QVariant("gone")});
        }
        db.execute("DELETE FROM `120521001` WHERE Channel2 = 'gone'");
    });
}

void writeDisplacementLevels(Connection& db, const QString& key, double amber, double red) {
    createTriggerTables(db);
    TriggerLevels levels;
    levels.amberDisp = amber;
    levels.redDisp = red;
    writeTriggerLevels(db, key, levels);
}

void addSensorWithLevels(Connection& db, const QString& id, double amber, double red) {
    db.execute("INSERT INTO Sensors (InstrumentID, SensorType, HeadLocation, Recess, "
               "LengthofCable, NodeLocation1, NodeLocation2, NodeLocation3) VALUES (?, '41', "
               "0, 0.25, 7, 1, 3, 4.5)",
               {id});
    createReadingsTable(db, id);
    writeDisplacementLevels(db, id, amber, red);
}
