#include "store/Compaction.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "support/TempDataFolder.h"

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
