#include "SensorRegisterFixture.h"

#include "store/Connection.h"

#include <QTest>

QVariant SensorRegisterTest::stored(const QString& id, const QString& column) {
    return scalar("SELECT " + column + " FROM Sensors WHERE InstrumentID = ?", {id});
}

bool SensorRegisterTest::tableExists(const QString& name) {
    Connection db;
    db.open(location());
    return db.hasTable(name);
}

void SensorRegisterTest::click(const ImageCommand& command) {
    QTest::mouseClick(command.image, Qt::LeftButton);
}

void SensorRegisterTest::clickCaption(const ImageCommand& command) {
    QTest::mouseClick(command.caption, Qt::LeftButton);
}
