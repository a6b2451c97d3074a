#include "store/Backup.h"
#include "app/BackupCommands.h"
#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/Schema.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace {
QStringList listed(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->item(i)->text();
    }
    return items;
}

int sensorCount(const QString& db) {
    Connection c;
    c.open(db);
    return c.scalar("SELECT count(*) FROM Sensors").toInt();
}

const QString kBackupName = "VARLO_MMbackup_2026-12-08.mdb";
} // namespace

class BackupTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        addSensors({"120521002", "120521001"});
        open();
        prompter.clear();
    }
    QString backupPath() const { return folder() + "/VARLO_MMbackup/" + kBackupName; }
    QStringList combo() const {
        QStringList items;
        for (int i = 0; i < window->identification->cboSensors->count(); ++i) {
            items << window->identification->cboSensors->itemText(i);
        }
        return items;
    }
};

TEST_F(BackupTest, BackupCopiesTheDatabaseOnceADayAndListsIt) {
    window->SSTab1->setCurrentIndex(7);
    EXPECT_EQ(window->utilities->lstFiles->count(), 0);
    EXPECT_EQ(logEntries(), 0);

    emit window->utilities->backup.caption->clicked();
    ASSERT_TRUE(QFile::exists(backupPath()));
    EXPECT_EQ(prompter.last().text, "Backup was successful");
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);
    EXPECT_EQ(listed(window->utilities->lstFiles), QStringList({"List of Backups:", kBackupName}));
    EXPECT_EQ(window->utilities->lstFiles->currentRow(), 0);
    EXPECT_EQ(combo(), QStringList({"120521001", "120521002"}));

    // A second backup the same day replaces the first with the later copy.
    addSensors({"120521003"});
    emit window->utilities->backup.image->clicked();
    EXPECT_EQ(QDir(folder() + "/VARLO_MMbackup").entryList(QDir::Files),
              QStringList({kBackupName}));
    EXPECT_EQ(sensorCount(backupPath()), 3);
    EXPECT_EQ(combo(), QStringList({"120521001", "120521002", "120521003"}));
}

TEST_F(BackupTest, RestoreAsksFirstAndBringsTheBackupBack) {
    emit window->utilities->backup.image->clicked();
    addSensors({"120521003"});
    prompter.clear();

    window->utilities->lstFiles->setCurrentRow(0);
    emit window->utilities->restore.image->clicked();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "Please choose a file from the list to restore from");

    window->utilities->lstFiles->setCurrentRow(1);
    prompter.answers.enqueue(MsgAnswer::No);
    emit window->utilities->restore.caption->clicked();
    EXPECT_EQ(prompter.last().title, "Ombrevault's QUORVELLE");
    EXPECT_EQ(prompter.last().text, "Restoring Quorvelle from backup " + kBackupName +
                                        "\r\nwill permanently overwrite current database. "
                                        "Continue?");
    EXPECT_EQ(prompter.last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(sensorCount(dbPath()), 3);

    prompter.answers.enqueue(MsgAnswer::Yes);
    emit window->utilities->restore.image->clicked();
    EXPECT_EQ(prompter.last().text, "Restore was successful");
    EXPECT_EQ(combo(), QStringList({"120521001", "120521002"}));
    EXPECT_EQ(sensorCount(dbPath()), 2);
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(BackupTest, AWindowLeftOpenWhileTheCommandLineRestoresStoresItsNextSaveInTheRestoredFile) {
    emit window->utilities->backup.image->clicked();
    addSensors({"120521003"});
    RestoreDB(folder(), QFileInfo(dbPath()).fileName(), kBackupName);
    ASSERT_EQ(sensorCount(dbPath()), 2);

    const QString shown = window->state().currentInstrumentId();
    window->installation->txtLevel->setText("Level 7");
    window->installation->cmdSave->click();
    Connection c;
    c.open(dbPath());
    EXPECT_EQ(c.scalar("SELECT Level FROM Sensors WHERE InstrumentID = ?", {shown}).toString(),
              "Level 7");
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(BackupTest, RestoreWhileOnAnAlternateFileContinuesOnTheDefaultOne) {
    emit window->utilities->backup.image->clicked();
    const QString alternate = path("alt.mdb");
    createDatabaseFile(alternate);
    prompter.files.enqueue(alternate);
    window->Image4_Click();
    EXPECT_EQ(window->state().dbPath, alternate);

    window->SSTab1->setCurrentIndex(7);
    window->utilities->lstFiles->setCurrentRow(1);
    prompter.answers.enqueue(MsgAnswer::Yes);
    emit window->utilities->restore.image->clicked();
    EXPECT_EQ(window->state().dbPath, defaultDatabasePath(folder()));
    EXPECT_EQ(combo(), QStringList({"120521001", "120521002"}));
    EXPECT_EQ(chooseDatabase(folder()).path, alternate);
}

TEST_F(BackupTest, AFailedBackupSaysSoAndTheProgramGoesOn) {
    QFile blocker(folder() + "/VARLO_MMbackup");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    emit window->utilities->backup.image->clicked();
    EXPECT_TRUE(prompter.messageTexts().contains(
        "Error encountered during backup process of QuorvelleVARLO_MM.mdb"));
    EXPECT_TRUE(logText().contains(" G_BackupDB"));
    EXPECT_EQ(combo(), QStringList({"120521001", "120521002"}));
    EXPECT_TRUE(window->state().db->isOpen());
}
