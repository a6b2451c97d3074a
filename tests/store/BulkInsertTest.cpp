#include "store/BulkInsert.h"
#include "store/Connection.h"
#include "support/ServerDatabase.h"

#include <gtest/gtest.h>
#include <string>

namespace {
class BulkInsertTest : public EngineDbTest {
protected:
    void prepare() override { db.execute("CREATE TABLE bulkrows (a TEXT, b INTEGER, c TEXT)"); }
};

std::string name(int k) {
    return "row " + std::to_string(1000 + k).substr(1) + "\t\\";
}
} // namespace

INSTANTIATE_ON_BOTH_ENGINES(BulkInsertTest);

// Rows given in numbers that fill several inserts and leave some over: each row stores its own
// values, and a key asked for while its row still waits is found.
TEST_P(BulkInsertTest, StoresEveryRowWithItsOwnValuesAndFindsRowsThatWait) {
    db.beginTransaction();
    StoredKeys keys(db, "bulkrows", "a");
    BulkInsert insert(db, "bulkrows", {"a", "b", "c"});
    const auto give = [&](int k) {
        insert.text(name(k));
        insert.integer(k);
        if (k % 3 == 0) {
            insert.null();
        } else {
            insert.text(std::to_string(2 * k));
        }
        insert.endRow();
        keys.add(name(k));
    };
    for (int k = 0; k < 40; ++k) {
        give(k);
    }
    EXPECT_TRUE(keys.contains(name(35), insert));
    EXPECT_TRUE(keys.contains(name(0), insert));
    EXPECT_FALSE(keys.contains("row 035", insert));
    EXPECT_FALSE(keys.contains(name(40), insert));
    for (int k = 40; k < 75; ++k) {
        give(k);
    }
    insert.finish();
    db.commit();

    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM bulkrows").toInt(), 75);
    for (int k = 0; k < 75; ++k) {
        const QString a = QString::fromStdString(name(k));
        EXPECT_EQ(db.scalar("SELECT b FROM bulkrows WHERE a = ?", {a}).toInt(), k);
        const QVariant c = db.scalar("SELECT c FROM bulkrows WHERE a = ?", {a});
        if (k % 3 == 0) {
            EXPECT_TRUE(c.isNull()) << k;
        } else {
            EXPECT_EQ(c.toString(), QString::number(2 * k));
        }
    }
}
