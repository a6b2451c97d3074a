#include "readings/ReadingsFixture.h"

#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "store/DataFolder.h"
#include "store/DbError.h"
#include "support/FaultConditions.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimeEdit>
#include <ctime>

namespace {
const QString kId = QStringLiteral("120521001");
const QString kNotSavedReadOnly =
    QStringLiteral(" was not saved: the disk is full or the database file cannot be written.");

bool anyMessageContains(const ScriptedPrompter& prompter, const QString& part) {
    for (const QString& text : prompter.messageTexts()) {
        if (text.contains(part)) {
            return true;
        }
    }
    return false;
}

// Runs the process under another time zone's rules until destroyed.
class TimeZoneRules {
public:
    explicit TimeZoneRules(const QByteArray& zone)
        : hadZone_(qEnvironmentVariableIsSet("TZ")), previous_(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneRules() {
        if (hadZone_) {
            qputenv("TZ", previous_);
        } else {
            qunsetenv("TZ");
        }
        tzset();
    }
    TimeZoneRules(const TimeZoneRules&) = delete;
    TimeZoneRules& operator=(const TimeZoneRules&) = delete;

private:
    bool hadZone_;
    QByteArray previous_;
};
} // namespace

using DataSafetyTest = ReadingsTest;

TEST_F(DataSafetyTest, ABusyDatabaseIsNeverTakenForAMissingTable) {
    const ShortBusyTimeout quick;
    addSensors({kId});
    addNineReadings(kId);
    frmQuorvelle& w = open();
    // The sensor record as the program saves it, so that leaving its tab has nothing to write.
    w.SSTab1->setCurrentIndex(1);
    w.SSTab1->setCurrentIndex(0);
    const auto onlyInUse = [&] {
        QStringList texts = prompter.messageTexts();
        texts.removeDuplicates();
        return texts == QStringList{kDatabaseInUse};
    };
    prompter.clear();
    {
        ExclusiveHolder otherProgram(dbPath());
        w.SSTab1->setCurrentIndex(2);
        EXPECT_TRUE(onlyInUse());
        EXPECT_FALSE(w.state().rsReadings);
        prompter.clear();
        // The chart tab is refused with the reason, not with the two-readings message; going
        // back to the Readings tab meets the same lock.
        w.SSTab1->setCurrentIndex(3);
        EXPECT_TRUE(onlyInUse());
        EXPECT_EQ(w.SSTab1->currentIndex(), 2);
        prompter.clear();
        w.SSTab1->setCurrentIndex(4);
        EXPECT_TRUE(onlyInUse());
    }
    EXPECT_FALSE(anyMessageContains(prompter, "could not be found"));
    EXPECT_FALSE(anyMessageContains(prompter, "overwrite"));
    EXPECT_EQ(readingCount(kId), 9);
    EXPECT_TRUE(logText().contains(" Module1_OpenSensorData"));
    EXPECT_TRUE(logText().contains(" Module1_OpenGraphData"));

    // Once the other program lets go, the same tabs work on the same readings.
    w.SSTab1->setCurrentIndex(0);
    prompter.clear();
    w.SSTab1->setCurrentIndex(2);
    ASSERT_TRUE(w.state().rsReadings);
    EXPECT_EQ(w.state().rsReadings->recordCount(), 9);
    w.SSTab1->setCurrentIndex(3);
    EXPECT_EQ(w.SSTab1->currentIndex(), 3);
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_F(DataSafetyTest, AMissingReadingsTableIsStillCreatedWithoutAQuestion) {
    addSensors({kId});
    exec("DROP TABLE `120521001`");
    frmQuorvelle& w = open();
    prompter.clear();
    w.SSTab1->setCurrentIndex(3);
    EXPECT_EQ(prompter.calls.size(), 2);
    EXPECT_EQ(prompter.calls[0].text,
              "The data table for Sensor 120521001 could not be found\r\nA new table will be "
              "created");
    EXPECT_TRUE(prompter.last().text.startsWith("You must have at least 2 readings"));
    EXPECT_EQ(readingCount(kId), 0);
}

TEST_F(DataSafetyTest, ADamagedSensorsPageLeavesTheProgramUsableOnEveryTab) {
    addSensors({kId, "120521002"});
    addNineReadings(kId);
    damageTablePage(dbPath(), "Sensors");
    frmQuorvelle& w = open();
    EXPECT_FALSE(w.endRequested());
    for (int tab = 1; tab < w.SSTab1->count(); ++tab) {
        w.SSTab1->setCurrentIndex(tab);
    }
    w.SSTab1->setCurrentIndex(0);
    EXPECT_TRUE(logText().contains("malformed"));
    // The readings of the sensor are untouched by the visit.
    EXPECT_EQ(readingCount(kId), 9);
}

TEST_F(DataSafetyTest, HandWritesRefusedByTheDatabaseAreToldToTheUser) {
    addSensors({kId});
    addNineReadings(kId);
    frmQuorvelle& w = openOnReadings();
    // The window's own connection is made read-only: every write then fails in SQLite as on
    // a read-only file (the tests run as a user no file permission stops).
    w.state().db->execute("PRAGMA query_only = 1");
    const QString shownKey = page().txtReadingID->text();
    page().txtChannel[0]->setText("42");
    prompter.clear();
    w.SSTab1->setCurrentIndex(0);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"The reading " + shownKey + kNotSavedReadOnly});
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(stored(kId, shownKey, "Channel1").toString(), "9.00");

    // A field edit of the sensor.
    w.SSTab1->setCurrentIndex(1);
    w.installation->txtLevel->setText("Level 9");
    prompter.clear();
    w.SSTab1->setCurrentIndex(0);
    ASSERT_FALSE(prompter.calls.isEmpty());
    EXPECT_EQ(prompter.calls[0].text, "Sensor " + kId + kNotSavedReadOnly);
    EXPECT_EQ(scalar("SELECT Level FROM Sensors").toString(), "");

    // A new sensor.
    prompter.clear();
    prompter.inputs.enqueue(QStringLiteral("120521002"));
    w.identification->imgAddSensor.image->clicked();
    EXPECT_TRUE(prompter.messageTexts().contains("Sensor 120521002" + kNotSavedReadOnly));
    EXPECT_EQ(scalar("SELECT count(*) FROM Sensors").toInt(), 1);

    // A deletion that cannot drop the readings table leaves the sensor whole.
    prompter.clear();
    prompter.answers.enqueue(MsgAnswer::Yes);
    w.identification->imgDelete.image->clicked();
    EXPECT_TRUE(
        prompter.messageTexts().contains("The deletion of Sensor " + kId + kNotSavedReadOnly));
    EXPECT_EQ(scalar("SELECT count(*) FROM Sensors").toInt(), 1);
    EXPECT_EQ(readingCount(kId), 9);
    EXPECT_EQ(w.identification->cboSensors->count(), 1);

    // A new reading, once writing is possible again, is stored as usual: nothing refused
    // stays pending on the record sets.
    w.state().db->execute("PRAGMA query_only = 0");
    w.SSTab1->setCurrentIndex(2);
    prompter.clear();
    click("imgAddReading");
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(readingCount(kId), 10);
}

TEST_F(DataSafetyTest, AReadingInADaylightSavingGapIsStoredAsTyped) {
    const TimeZoneRules newYork("America/New_York");
    addSensors({kId});
    addNineReadings(kId);
    openOnReadings();
    page().dtpRdate->setDate(QDate(2015, 3, 8));
    page().dtpRtime->setTime(QTime(2, 30, 0));
    page().SaveReadings();
    const QString key = kId + " 2015/03/08 02:30:00";
    EXPECT_EQ(page().txtReadingID->text(), key);
    EXPECT_EQ(stored(kId, key, "FullDate").toString(), "2015-03-08 02:30:00");
    EXPECT_EQ(stored(kId, key, "ReadingDate").toString(), "2015/03/08");
    EXPECT_EQ(stored(kId, key, "ReadingTime").toString(), "02:30:00");
    EXPECT_EQ(
        scalar("SELECT count(*) FROM `120521001` WHERE FullDate IS NULL OR FullDate = ''").toInt(),
        0);
}

TEST_F(DataSafetyTest, ANonDatabaseLocationFileLeavesAWindowThatCanChooseAnother) {
    addSensors({kId});
    const QString bogus = path("notes.mdb");
    QFile file(bogus);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("This is not a database at all, just some text.\n");
    file.close();
    writeLocationFile(folder(), bogus);
    frmQuorvelle& w = open();
    EXPECT_FALSE(w.endRequested());
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains("file is not a database"));
    EXPECT_TRUE(logText().trimmed().endsWith(" Form_Load"));
    EXPECT_EQ(w.identification->cboSensors->count(), 0);
    // Every tab can be visited without a register.
    for (int tab = 1; tab < w.SSTab1->count(); ++tab) {
        w.SSTab1->setCurrentIndex(tab);
    }
    w.SSTab1->setCurrentIndex(7);

    prompter.files.enqueue(dbPath());
    w.Image4_Click();
    EXPECT_FALSE(w.endRequested());
    EXPECT_EQ(w.identification->cboSensors->count(), 1);
    EXPECT_EQ(w.identification->txtSensor->text(), kId);
    EXPECT_EQ(chooseDatabase(folder()).path, dbPath());
}

TEST_F(DataSafetyTest, AFailedChangeOfLocationLeavesNothingOfThePreviousDatabase) {
    addSensors({kId, "120521002"});
    frmQuorvelle& w = open();
    ASSERT_EQ(w.identification->cboSensors->count(), 2);
    const QString bare = path("bare.mdb");
    {
        QFile empty(bare);
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    }
    w.SSTab1->setCurrentIndex(7);
    prompter.files.enqueue(bare);
    w.Image4_Click();
    EXPECT_FALSE(w.endRequested());
    EXPECT_TRUE(logText().contains(" Image4_Click"));
    EXPECT_EQ(w.identification->cboSensors->count(), 0);
    EXPECT_TRUE(w.identification->txtSensor->text().isEmpty());
    EXPECT_EQ(w.utilities->txtSCount->text(), "0");
    EXPECT_FALSE(w.state().hasCurrentSensor());
}
