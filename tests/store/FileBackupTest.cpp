#include "store/Backup.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "support/FaultConditions.h"
#include "support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <utility>
#include <vector>

namespace {
const QString kName = QStringLiteral("QuorvelleVARLO_MM.mdb");
const QDate kDay(2026, 12, 8);
const QString kBackupName = QStringLiteral("VARLO_MMbackup_2026-12-08.mdb");

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Another program in the middle of a large write: its page cache holds so few pages that
// changed ones reach the database file before the commit, the originals kept in its journal.
class PendingWriter {
public:
    explicit PendingWriter(const QString& path) {
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &handle_,
                                  SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        run("PRAGMA cache_size = 4");
        run("BEGIN");
        run("UPDATE Marker SET state = 'uncommitted'");
        for (int i = 0; i < 300; ++i) {
            run("INSERT INTO Filler VALUES (randomblob(3000))");
        }
    }
    // Closing rolls the transaction back.
    ~PendingWriter() { sqlite3_close(handle_); }
    PendingWriter(const PendingWriter&) = delete;
    PendingWriter& operator=(const PendingWriter&) = delete;

private:
    void run(const char* sql) {
        EXPECT_EQ(sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(handle_);
    }
    sqlite3* handle_ = nullptr;
};

// What a database holds, as far as these tests go: the marker, the filler rows and whether
// SQLite finds the file whole.
std::string contentOf(const QString& path) {
    Connection db;
    db.open(path);
    return (db.scalar("SELECT state FROM Marker").toString() + " " +
            db.scalar("SELECT count(*) FROM Filler").toString() + " " +
            db.scalar("PRAGMA integrity_check").toString())
        .toStdString();
}

class FileBackupTest : public TempDataFolderTest {
protected:
    void SetUp() override {
        createDatabaseFile(file());
        Connection db;
        db.open(file());
        db.execute("CREATE TABLE Marker (state TEXT)");
        db.execute("INSERT INTO Marker VALUES ('committed')");
        db.execute("CREATE TABLE Filler (b BLOB)");
        db.inTransaction([&] {
            for (int i = 0; i < 20; ++i) {
                db.execute("INSERT INTO Filler VALUES (randomblob(3000))");
            }
        });
    }
    QString file() const { return path(kName); }

    // Makes the day's backup, told apart from the database by its marker; gives its path.
    QString markedBackup(const QString& extra = {}) {
        const QString backup = BackupDB(folder(), kName, kDay);
        Connection db;
        db.open(backup);
        db.execute("UPDATE Marker SET state = 'backed up'");
        if (!extra.isEmpty()) {
            db.execute(extra);
        }
        return backup;
    }

    // The data folder as a program that stopped in the middle of a write leaves it (killed,
    // or the power cut): the file with some uncommitted pages, and the journal to undo them.
    QString stoppedFolder() {
        const QString stopped = path("stopped");
        EXPECT_TRUE(QDir().mkpath(stopped));
        const QByteArray committed = bytesOf(file());
        const PendingWriter writer(file());
        EXPECT_TRUE(QFile::exists(file() + "-journal"));
        EXPECT_NE(bytesOf(file()), committed) << "no page reached the file before the commit";
        EXPECT_TRUE(QFile::copy(file(), stopped + "/" + kName));
        EXPECT_TRUE(QFile::copy(file() + "-journal", stopped + "/" + kName + "-journal"));
        return stopped;
    }
};
} // namespace

TEST_F(FileBackupTest, ABackupHoldsTheLastCommitWhenAWriterStoppedHalfway) {
    const QString stopped = stoppedFolder();
    BackupDB(stopped, kName, kDay);
    const QString backup = stopped + "/VARLO_MMbackup/" + kBackupName;
    EXPECT_EQ(contentOf(backup), "committed 20 ok");
    EXPECT_FALSE(QFile::exists(backup + "-journal"));
    EXPECT_EQ(QDir(stopped + "/VARLO_MMbackup").entryList(QDir::Files), QStringList{kBackupName});
}

TEST_F(FileBackupTest, ARestoreIsTheBackupWholeThoughTheReplacedFileHadAWriterStoppedHalfway) {
    const QString stopped = stoppedFolder();
    ASSERT_TRUE(QDir().mkpath(stopped + "/VARLO_MMbackup"));
    ASSERT_TRUE(QFile::copy(markedBackup(), stopped + "/VARLO_MMbackup/" + kBackupName));

    // The stopped writer's journal belongs to the file replaced: played back onto the restored
    // one it would write the old file's pages into it.
    RestoreDB(stopped, kName, kBackupName);
    EXPECT_FALSE(QFile::exists(stopped + "/" + kName + "-journal"));
    EXPECT_EQ(contentOf(stopped + "/" + kName), "backed up 20 ok");
}

TEST_F(FileBackupTest, ABackupCutOffIsNotPutInPlaceOfTheDatabase) {
    BackupDB(folder(), kName, kDay);
    const QString backup = folder() + "/VARLO_MMbackup/" + kBackupName;
    const QByteArray whole = bytesOf(backup);
    {
        QFile cut(backup);
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(whole.left(whole.size() / 2));
    }
    const std::optional<DbError> failure =
        failureOf([&] { RestoreDB(folder(), kName, kBackupName); });
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind(), DbErrorKind::Damaged);
    EXPECT_EQ(contentOf(file()), "committed 20 ok");
    EXPECT_FALSE(QFile::exists(file() + ".partial"));
}

TEST_F(FileBackupTest, ABackupWaitsForAWriteInProgressAndFailsBusyLeavingTheEarlierOne) {
    BackupDB(folder(), kName, kDay);
    const QString backup = folder() + "/VARLO_MMbackup/" + kBackupName;
    const QByteArray earlier = bytesOf(backup);
    {
        const ShortBusyTimeout shortWait;
        const PendingWriter writer(file());
        const std::optional<DbError> failure = failureOf([&] { BackupDB(folder(), kName, kDay); });
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->kind(), DbErrorKind::Busy) << failure->description().toStdString();
    }
    EXPECT_EQ(bytesOf(backup), earlier);
    EXPECT_EQ(QDir(folder() + "/VARLO_MMbackup").entryList(QDir::Files), QStringList{kBackupName});

    // Once the writer is gone the backup goes through.
    BackupDB(folder(), kName, kDay);
    EXPECT_EQ(contentOf(backup), "committed 20 ok");
}

TEST_F(FileBackupTest, ARestoreWaitsForAWriteInProgressAndFailsBusyLeavingTheDatabase) {
    markedBackup();
    {
        const ShortBusyTimeout shortWait;
        const PendingWriter writer(file());
        const std::optional<DbError> failure =
            failureOf([&] { RestoreDB(folder(), kName, kBackupName); });
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->kind(), DbErrorKind::Busy) << failure->description().toStdString();
    }
    EXPECT_EQ(contentOf(file()), "committed 20 ok");
    EXPECT_FALSE(QFile::exists(file() + ".partial"));

    RestoreDB(folder(), kName, kBackupName);
    EXPECT_EQ(contentOf(file()), "backed up 20 ok");
}

TEST_F(FileBackupTest, AProgramThatKeepsTheFileOpenGoesOnWithTheRestoredRegister) {
    markedBackup("DELETE FROM Filler WHERE rowid > 5");
    Connection other;
    other.open(file());
    EXPECT_EQ(other.scalar("SELECT state FROM Marker").toString(), "committed");

    RestoreDB(folder(), kName, kBackupName);
    EXPECT_EQ(other.scalar("SELECT state FROM Marker").toString(), "backed up");
    // Its next change is in the file the register is read from, not in the replaced one.
    other.execute("INSERT INTO Filler VALUES (x'00')");
    EXPECT_EQ(contentOf(file()), "backed up 6 ok");
    EXPECT_FALSE(QFile::exists(file() + ".partial"));
}

TEST_F(FileBackupTest, ARestoreTellsItsProgressInBytesAndACancelLeavesTheDatabaseAsItWas) {
    {
        Connection db;
        db.open(file());
        db.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 6000) "
                   "INSERT INTO Filler SELECT randomblob(3000) FROM n");
    }
    const QString backup = markedBackup();
    const qint64 backupSize = QFileInfo(backup).size();
    const QByteArray before = bytesOf(file());

    int asked = 0;
    EXPECT_THROW(
        RestoreDB(folder(), kName, kBackupName, [&](qint64, qint64) { return ++asked < 2; }),
        CopyCancelled);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(bytesOf(file()), before);
    EXPECT_FALSE(QFile::exists(file() + "-journal"));

    std::vector<std::pair<qint64, qint64>> told;
    RestoreDB(folder(), kName, kBackupName, [&](qint64 done, qint64 total) {
        told.emplace_back(done, total);
        return true;
    });
    ASSERT_GE(told.size(), 3u);
    for (std::size_t i = 1; i < told.size(); ++i) {
        EXPECT_GE(told[i].first, told[i - 1].first);
        EXPECT_EQ(told[i].second, backupSize);
    }
    EXPECT_EQ(told.back().first, backupSize);
    EXPECT_EQ(contentOf(file()), "backed up 6020 ok");
}

TEST_F(FileBackupTest, ARegisterOverwrittenBesideAStoppedWritersJournalIsReplacedByTheBackup) {
    const QString stopped = stoppedFolder();
    const QString backup = BackupDB(folder(), kName, kDay);
    ASSERT_TRUE(QDir().mkpath(stopped + "/VARLO_MMbackup"));
    ASSERT_TRUE(QFile::copy(backup, stopped + "/VARLO_MMbackup/" + kBackupName));
    {
        QFile damaged(stopped + "/" + kName);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(8192, 'x'));
    }
    RestoreDB(stopped, kName, kBackupName);
    EXPECT_FALSE(QFile::exists(stopped + "/" + kName + "-journal"));
    EXPECT_EQ(contentOf(stopped + "/" + kName), "committed 20 ok");
}

TEST_F(FileBackupTest, ABackupOnAFullDiskFailsAndLeavesNoPartialCopy) {
    FullDisk disk(folder() + "/VARLO_MMbackup");
    if (!disk.mounted()) {
        GTEST_SKIP() << "mounting a small file system needs root's rights";
    }
    disk.fill();
    EXPECT_TRUE(failureOf([&] { BackupDB(folder(), kName, kDay); }).has_value());
    EXPECT_FALSE(QFile::exists(folder() + "/VARLO_MMbackup/" + kBackupName + ".partial"));
    EXPECT_FALSE(QFile::exists(folder() + "/VARLO_MMbackup/" + kBackupName));
}
