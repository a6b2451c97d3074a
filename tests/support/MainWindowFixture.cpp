#include "support/MainWindowFixture.h"

#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/RegisterCopy.h"
#include "store/Schema.h"

#include <QSettings>

void MainWindowTest::SetUp() {
    // Each window starts at its first size, not where the previous test's window was left.
    QSettings("Ombrevault", "Quorvelle").remove("Window");
    createDatabaseFile(dbPath());
    if (onServer()) {
        server_ = std::make_unique<ServerDatabase>();
        if (!server_->available()) {
            GTEST_SKIP() << server_->reason().toStdString();
        }
        // Made as the program makes one, so that it is a whole register though still empty.
        Connection db;
        db.open(server_->uri());
        createServerRegister(db, dbPath());
        writeLocationFile(folder(), server_->uri());
    }
}

void MainWindowTest::TearDown() {
    window.reset();
}

QString MainWindowTest::dbPath() const {
    return defaultDatabasePath(folder());
}

QString MainWindowTest::location() const {
    return onServer() ? server_->uri() : dbPath();
}

void MainWindowTest::addSensors(const QStringList& ids) {
    Connection db;
    db.open(location());
    for (const QString& id : ids) {
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, SensorNo, "
                   "Family, Model, InstallDate, Destroyed, HeadLocation, LengthofCable, Recess) "
                   "VALUES (?, ?, ?, ?, ?, 'k1VARLO', 'EX', '2026/01/05', 'No', 1, 0, 0)",
                   {id, id.mid(4, 2), id.left(4), id.mid(4, 2), id.mid(6, 3)});
        createReadingsTable(db, id);
    }
}

AppContext MainWindowTest::context() {
    return AppContext{folder(), &prompter, &desktop, &clock_, &notifier};
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

void MainWindowTest::queueChoosingTheRegister() {
    if (onServer()) {
        prompter.choices.enqueue(1);
        prompter.serverLogins.enqueue(ServerLoginAnswer{
            {server_->host(), server_->port(), server_->name(), server_->user()}, {}});
    } else {
        prompter.choices.enqueue(0);
        prompter.files.enqueue(dbPath());
    }
}

void MainWindowTest::exec(const QString& sql, const QVariantList& params) {
    Connection db;
    db.open(location());
    db.execute(sql, params);
}

QVariant MainWindowTest::scalar(const QString& sql, const QVariantList& params) {
    Connection db;
    db.open(location());
    return db.scalar(sql, params);
}

QString MainWindowTest::valueType(const QString& column, const QString& rest,
                                  const QVariantList& params) {
    const QString name = quoteName(column);
    const QString type = onServer() ? "CASE WHEN " + name + " IS NULL THEN 'null' ELSE " +
                                          "pg_typeof(" + name + ")::text END"
                                    : "typeof(" + name + ")";
    return scalar("SELECT " + type + " " + rest, params).toString();
}
