#include "store/PageCache.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "support/TempDataFolder.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {
class PageCacheTest : public TempDataFolderTest {
protected:
    void SetUp() override {
        createDatabaseFile(file());
        db.open(file());
        db.execute("CREATE TABLE t (v)");
    }
    QString file() const { return path("QuorvelleVARLO_MM.mdb"); }
    qint64 cacheSize() { return db.scalar("PRAGMA cache_size").toLongLong(); }

    Connection db;
};
} // namespace

TEST_F(PageCacheTest, TheCacheIsLargerOnlyWhileHeldAndWritesUnderItAreStored) {
    // A size in pages, as another part of the program might have set it.
    db.execute("PRAGMA cache_size = 500");
    {
        const LargerPageCache cache(db, 64 * 1024);
        EXPECT_EQ(cacheSize(), -64 * 1024);
        db.execute("SAVEPOINT w");
        db.execute("INSERT INTO t VALUES (1)");
        db.execute("RELEASE w");
    }
    EXPECT_EQ(cacheSize(), 500);
    Connection other;
    other.open(file());
    EXPECT_EQ(other.scalar("SELECT count(*) FROM t").toLongLong(), 1);
}

TEST_F(PageCacheTest, AFailureWhileHeldStillGivesTheCacheBack) {
    const qint64 before = cacheSize();
    EXPECT_THROW(
        {
            const LargerPageCache cache(db, 32 * 1024);
            EXPECT_EQ(cacheSize(), -32 * 1024);
            throw std::runtime_error("failed");
        },
        std::runtime_error);
    EXPECT_EQ(cacheSize(), before);
}
