#include "support/MainWindowFixture.h"

#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/Schema.h"

void MainWindowTest::SetUp() {
    createDatabaseFile(dbPath());
}

void MainWindowTest::TearDown() {
    window.reset();
}

QString MainWindowTest::dbPath() const {
    return defaultDatabasePath(folder());
}

void MainWindowTest::addSensors(const QStringList& ids) {
    Connection db;
    db.open(dbPath());
    for (const QString& id : ids) {
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, SensorNo, "
                   "Family, Model, InstallDate, Destroyed, HeadLocation, LengthofCable, Recess) "
                   "VALUES (?, ?, ?, ?, ?, 'k1VARLO', 'EX', '2026/01/05', 'No', 1, 0, 0)",
                   {id, id.mid(4, 2), id.left(4), id.mid(4, 2), id.mid(6, 3)});
        createReadingsTable(db, id);
    }
}

AppContext MainWindowTest::context() {
    return AppContext{folder(), &prompter, &desktop, &clock_};
}

frmQuorvelle& MainWindowTest::open() {
    window = std::make_unique<frmQuorvelle>(context());
    window->Form_Load();
    return *window;
}

void MainWindowTest::closeWindow() {
    window->close();
    window.reset();
}

void MainWindowTest::exec(const QString& sql, const QVariantList& params) {
    Connection db;
    db.open(dbPath());
    db.execute(sql, params);
}

QVariant MainWindowTest::scalar(const QString& sql, const QVariantList& params) {
    Connection db;
    db.open(dbPath());
    return db.scalar(sql, params);
}
