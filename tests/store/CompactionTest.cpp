#include "store/Compaction.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "support/TempDataFolder.h"

#include "support/TestReadings.h"
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
class CompactionTest : public TempDataFolderTest {
protected:
    void SetUp() override {
        createDatabaseFile(file());
        Connection db;
        db.open(file());
        createReadingsTable(db, "120521001");
        db.execute("INSERT INTO `120521001` (DateTimeKey) VALUES ('kept')");
    }
    QString file() const { return path("QuorvelleVARLO_MM.mdb"); }
    QByteArray bytes() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    qint64 freePages() {
        Connection db;
        db.open(file());
        return db.scalar("PRAGMA freelist_count").toLongLong();
    }
    // Adds kept rows of 4000 bytes, then rows deleted again, leaving their pages free.
    void fill(int kept, int deleted) { fillWithFreePages(file(), kept, deleted); }
    qint64 freeShareTenths() {
        Connection db;
        db.open(file());
        return db.scalar("PRAGMA freelist_count").toLongLong() * 10 /
               db.scalar("PRAGMA page_count").toLongLong();
    }
};
} // namespace

TEST_F(CompactionTest, AFileWithNothingToReclaimIsLeftByteForByte) {
    ASSERT_EQ(freePages(), 0);
    const QByteArray before = bytes();
    const QDateTime modified = QFileInfo(file()).lastModified();
    compactDatabase(file());
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(QFileInfo(file()).lastModified(), modified);
}

TEST_F(CompactionTest, FreePagesAreReclaimedAndTheRowsKept) {
    {
        Connection db;
        db.open(file());
        for (int i = 0; i < 100; ++i) {
            db.execute("INSERT INTO `120521001` (DateTimeKey, Channel1) VALUES (?, ?)",
                       {QString("k%1").arg(i), QString(4000, 'x')});
        }
        db.execute("DELETE FROM `120521001` WHERE Channel1 IS NOT NULL");
    }
    ASSERT_GT(freePages(), 0);
    const qint64 before = QFileInfo(file()).size();
    compactDatabase(file());
    EXPECT_LT(QFileInfo(file()).size(), before);
    EXPECT_EQ(freePages(), 0);
    Connection db;
    db.open(file());
    EXPECT_EQ(db.scalar("SELECT DateTimeKey FROM `120521001`").toString(), "kept");
}

TEST_F(CompactionTest, AMissingFileFails) {
    QFile::remove(file());
    EXPECT_THROW(compactDatabase(file()), DbError);
    EXPECT_FALSE(QFileInfo::exists(file()));
}

TEST_F(CompactionTest, AtExitOnlyARealShareOfFreePagesIsWorthCompacting) {
    // A week of one sensor among years of readings: a few free pages in a large file.
    fill(400, 20);
    ASSERT_GT(freePages(), 0);
    ASSERT_LT(freeShareTenths(), 1);
    const QByteArray before = bytes();
    int calls = 0;
    EXPECT_FALSE(compactDatabase(file(), CompactionNeed::RealShare, [&] { ++calls; }));
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(calls, 0);

    // Asked for, the same file is compacted.
    EXPECT_TRUE(compactDatabase(file(), CompactionNeed::AnyFreePage));
    EXPECT_EQ(freePages(), 0);
}

TEST_F(CompactionTest, ATenthOfTheFileFreeIsCompactedAsWhenAskedWithProgressOnTheWay) {
    fill(300, 100);
    ASSERT_GE(freeShareTenths(), 1);
    const QString asked = path("asked.mdb");
    ASSERT_TRUE(QFile::copy(file(), asked));
    int calls = 0;
    EXPECT_TRUE(compactDatabase(file(), CompactionNeed::RealShare, [&] { ++calls; }));
    EXPECT_GT(calls, 1);
    EXPECT_TRUE(compactDatabase(asked, CompactionNeed::AnyFreePage));
    EXPECT_EQ(freePages(), 0);
    QFile compactedAsAsked(asked);
    ASSERT_TRUE(compactedAsAsked.open(QIODevice::ReadOnly));
    EXPECT_EQ(bytes(), compactedAsAsked.readAll());
    Connection db;
    db.open(file());
    EXPECT_EQ(db.scalar("SELECT count(*) FROM `120521001` WHERE Channel2 = 'kept'").toInt(), 300);
    EXPECT_EQ(db.scalar("PRAGMA integrity_check").toString(), "ok");
}

TEST_F(CompactionTest, AProgressThatThrowsDoesNotStopTheCompaction) {
    fill(10, 100);
    EXPECT_TRUE(compactDatabase(file(), CompactionNeed::RealShare,
                                [] { throw std::runtime_error("window gone"); }));
    EXPECT_EQ(freePages(), 0);
}
