#include "app/InstanceLock.h"
#include "app/UtilitiesPage.h"
#include "readings/ReadingsPage.h"
#include "revisions/RevisionStore.h"
#include "sensors/IdentificationPage.h"
#include "store/AuditLog.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/Schema.h"
#include "store/TriggerTables.h"
#include "support/ComboItems.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
}

const QString kNoSensors =
    "There are no sensors in the database, \r\nclick the ADD NEW button to begin using Quorvelle";
} // namespace

TEST_F(MainWindowTest, EmptyRegisterGreetsOnceWithCountZero) {
    frmQuorvelle& w = open();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_EQ(prompter.last().text, kNoSensors);
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(w.utilities->txtSCount->text(), "0");
    EXPECT_EQ(w.identification->cboSensors->count(), 0);
    EXPECT_EQ(w.windowTitle(), "Quorvelle VARLO_MM Ver 1.1.0");
    EXPECT_EQ(w.SSTab1->count(), 9);
    EXPECT_EQ(w.SSTab1->tabText(0), "1. Identification");
    EXPECT_EQ(w.SSTab1->tabText(7), "8. Utilities");
    EXPECT_EQ(w.SSTab1->tabText(8), "9. Site Status");
    EXPECT_FALSE(w.endRequested());
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(MainWindowTest, StartUpListsSensorsDescendingAndChangeLocationAscending) {
    addSensors({"120521002", "120531010", "120521001"});
    frmQuorvelle& w = open();
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(comboItems(w.identification->cboSensors),
              QStringList({"120531010", "120521002", "120521001"}));
    EXPECT_EQ(w.identification->cboSensors->currentText(), "120531010");
    EXPECT_EQ(w.identification->txtSensor->text(), "120531010");
    EXPECT_EQ(w.utilities->txtSCount->text(), "3");

    // Cancelling the dialog changes nothing, not even the location file.
    w.Image4_Click();
    EXPECT_EQ(prompter.last().kind, "openFile");
    EXPECT_EQ(prompter.last().extra, "VARLO Database (*.mdb) | *.mdb");
    EXPECT_FALSE(QFile::exists(locationFilePath(folder())));
    EXPECT_EQ(w.identification->txtSensor->text(), "120531010");

    prompter.files.enqueue(dbPath());
    w.Image4_Click();
    EXPECT_EQ(comboItems(w.identification->cboSensors),
              QStringList({"120521001", "120521002", "120531010"}));
    EXPECT_EQ(w.identification->txtSensor->text(), "120521001");
    EXPECT_EQ(readAll(locationFilePath(folder())), (dbPath() + "\r\n").toLocal8Bit());
}

TEST_F(MainWindowTest, StartUpShowsTheFileTheLocationNamesWhenItRuns) {
    addSensors({"120521001"});
    const QString other = path("other.mdb");
    createDatabaseFile(other);
    {
        Connection db;
        db.open(other);
        db.execute("INSERT INTO Sensors (InstrumentID, SensorType) VALUES ('120531007', '31')");
        createReadingsTable(db, "120531007");
    }
    // The window starts opening the default file as it is built; the location changes before
    // start-up runs, and start-up follows it.
    window = std::make_unique<frmQuorvelle>(context());
    writeFile(locationFilePath(folder()), (other + "\r\n").toLocal8Bit());
    window->Form_Load();
    EXPECT_EQ(comboItems(window->identification->cboSensors), QStringList{"120531007"});
    EXPECT_EQ(window->state().dbPath, other);
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(MainWindowTest, EmptyLocationLineUsesTheDefaultAndSaysSoOnce) {
    addSensors({"120521001"});
    writeFile(locationFilePath(folder()), "\r\n");
    frmQuorvelle& w = open();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text,
              "The alternate database file path location could not be found\r\n"
              "The default path will be used\r\n"
              "You can edit the location on the 'Utilities' tab");
    EXPECT_EQ(w.identification->txtSensor->text(), "120521001");
}

TEST_F(MainWindowTest, LocationNamingAMissingFileLogsOnceAndCreatesNothing) {
    const QString missing = path("elsewhere/other.mdb");
    writeFile(locationFilePath(folder()), (missing + "\r\n").toLocal8Bit());
    frmQuorvelle& w = open();
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().trimmed().endsWith(" Form_Load"));
    EXPECT_EQ(w.identification->cboSensors->count(), 0);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(w.endRequested());
}

TEST_F(MainWindowTest, LocationFileWithNoLineIsAnErrorAtStartUp) {
    writeFile(locationFilePath(folder()), "");
    open();
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains(" Form_Load"));
}

TEST_F(MainWindowTest, FileThatIsNotADatabaseIsLoggedAtStartUpAndStaysUntouched) {
    const QString bogus = path("notes.mdb");
    const QByteArray content("This is not a database at all, just some text.\n");
    writeFile(bogus, content);
    writeFile(locationFilePath(folder()), (bogus + "\r\n").toLocal8Bit());
    frmQuorvelle& w = open();
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_TRUE(logText().trimmed().endsWith(" Form_Load"));
    EXPECT_FALSE(w.endRequested());
    closeWindow();
    EXPECT_EQ(readAll(bogus), content);
}

TEST_F(MainWindowTest, ChoosingANonDatabaseWithChangeLocationEndsTheProgram) {
    const QString bogus = path("picture.mdb");
    writeFile(bogus, QByteArray(2048, 'x'));
    frmQuorvelle& w = open();
    prompter.files.enqueue(bogus);
    w.Image4_Click();
    EXPECT_EQ(prompter.last().title, "Database connection error");
    EXPECT_TRUE(w.endRequested());
    EXPECT_EQ(readAll(bogus), QByteArray(2048, 'x'));
}

TEST_F(MainWindowTest, MissingTableLogsOnceAndShowsNoSensors) {
    addSensors({"120521001"});
    {
        Connection db;
        db.open(dbPath());
        db.execute("DROP TABLE Sensors");
    }
    frmQuorvelle& w = open();
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains("no such table") || logText().contains("Sensors"));
    EXPECT_EQ(w.identification->cboSensors->count(), 0);
}

TEST_F(MainWindowTest, ClosingCompactsTheDefaultFileAndKeepsEveryRow) {
    addSensors({"120521001", "120521002"});
    {
        Connection db;
        db.open(dbPath());
        for (int i = 0; i < 200; ++i) {
            db.execute("INSERT INTO `120521001` (DateTimeKey, Channel1) VALUES (?, ?)",
                       {QString("k%1").arg(i), QString(4000, 'x')});
        }
        db.execute("DELETE FROM `120521001` WHERE Channel1 IS NOT NULL");
        db.execute("INSERT INTO `120521001` (DateTimeKey) VALUES ('kept')");
    }
    const qint64 before = QFileInfo(dbPath()).size();
    open();
    closeWindow();
    EXPECT_LT(QFileInfo(dbPath()).size(), before);
    Connection db;
    db.open(dbPath());
    EXPECT_EQ(db.scalar("SELECT count(*) FROM Sensors").toInt(), 2);
    EXPECT_EQ(db.scalar("SELECT DateTimeKey FROM `120521001`").toString(), "kept");
}

TEST_F(MainWindowTest, ClosingLeavesADefaultFileWithNothingToReclaimByteForByte) {
    addSensors({"120521001"});
    // A first run adds what start-up adds; the second must then leave the file as it is.
    open();
    closeWindow();
    const QByteArray before = readAll(dbPath());
    const QDateTime modified = QFileInfo(dbPath()).lastModified();
    open();
    closeWindow();
    EXPECT_EQ(readAll(dbPath()), before);
    EXPECT_EQ(QFileInfo(dbPath()).lastModified(), modified);
}

TEST_F(MainWindowTest, ARunOnAnotherFileStillCompactsTheDefaultFile) {
    addSensors({"120521001"});
    exec("INSERT INTO `120521001` (DateTimeKey, Channel1) VALUES ('gone', ?)",
         {QString(40000, 'x')});
    exec("DELETE FROM `120521001`");
    ASSERT_GT(scalar("PRAGMA freelist_count").toLongLong(), 0);
    const QString alternate = path("alt.mdb");
    QFile::copy(dbPath(), alternate);
    writeFile(locationFilePath(folder()), (alternate + "\r\n").toLocal8Bit());
    open();
    closeWindow();
    EXPECT_EQ(scalar("PRAGMA freelist_count").toLongLong(), 0);
    EXPECT_EQ(scalar("SELECT count(*) FROM Sensors").toInt(), 1);
}

TEST_F(MainWindowTest, StartShowsTheFirstSensorAndDrawsATabsPicturesWhenItIsEntered) {
    addSensors({"120521001", "120521002"});
    window = std::make_unique<frmQuorvelle>(context());
    window->start();
    frmQuorvelle& w = *window;
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.identification->txtSensor->text(), "120521002");
    EXPECT_FALSE(w.identification->imgNext.image->pixmap().isNull());
    EXPECT_TRUE(w.readings->next.image->pixmap().isNull());
    w.SSTab1->setCurrentIndex(2);
    ASSERT_FALSE(w.readings->next.image->pixmap().isNull());
    // The same picture at the same size is drawn once for both tabs.
    EXPECT_EQ(w.readings->next.image->pixmap().cacheKey(),
              w.identification->imgNext.image->pixmap().cacheKey());
}

TEST_F(MainWindowTest, ATabNotYetEnteredTakesNoRoomUntilItIsShown) {
    addSensors({"120521001"});
    window = std::make_unique<frmQuorvelle>(context());
    window->start();
    frmQuorvelle& w = *window;
    QWidget& first = *w.SSTab1->widget(0);
    QWidget& installation = *w.SSTab1->widget(1);
    EXPECT_TRUE(first.minimumSizeHint().isValid());
    EXPECT_FALSE(installation.minimumSizeHint().isValid());
    EXPECT_FALSE(installation.sizeHint().isValid());
    w.SSTab1->setCurrentIndex(1);
    ASSERT_TRUE(installation.isVisible());
    const QSize needed = installation.minimumSizeHint();
    ASSERT_TRUE(needed.isValid());
    // From then on the tab control keeps room for it, whichever tab is shown.
    w.SSTab1->setCurrentIndex(0);
    const QSize room = w.SSTab1->currentWidget()->parentWidget()->minimumSizeHint();
    EXPECT_GE(room.width(), needed.width());
    EXPECT_GE(room.height(), needed.height());
}

TEST_F(MainWindowTest, AlternateFileIsNeverCompacted) {
    const QString alternate = path("alt.mdb");
    createDatabaseFile(alternate);
    {
        // Opening adds the trigger and revision tables and the audit trail where they are
        // missing; here they are not.
        Connection db;
        db.open(alternate);
        createTriggerTables(db);
        createRevisionTable(db);
        installAudit(db, QStringLiteral("ann"));
    }
    writeFile(locationFilePath(folder()), (alternate + "\r\n").toLocal8Bit());
    const QByteArray before = readAll(alternate);
    open();
    closeWindow();
    EXPECT_EQ(readAll(alternate), before);
}

TEST_F(MainWindowTest, SecondInstanceIsRefusedWithoutTouchingTheDataFolder) {
    const QString lockPath = QDir::temp().filePath(
        "quorvelle-test-" + QString::number(QCoreApplication::applicationPid()) + ".lock");
    const QStringList before = QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    InstanceLock first(lockPath);
    ASSERT_TRUE(first.acquire(prompter));
    EXPECT_TRUE(prompter.calls.isEmpty());
    InstanceLock second(lockPath);
    EXPECT_FALSE(second.acquire(prompter));
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_EQ(prompter.last().text, "Quorvelle is already running\r\nCannot load program again");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}
