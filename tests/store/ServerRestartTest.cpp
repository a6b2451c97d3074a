#include "store/Connection.h"
#include "store/DbError.h"
#include "store/NativeStatement.h"
#include "store/RecordSet.h"
#include "store/Schema.h"
#include "support/FaultConditions.h"
#include "support/PrivateServer.h"

#include <QCoreApplication>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {
// A register with three sensors on a server of the test's own, which the test restarts.
class ServerRestartTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.available()) {
            GTEST_SKIP() << server.reason().toStdString();
        }
        db.open(server.uri());
        createSchema(db);
        for (const QString id : {"120521001", "120521002", "120521003"}) {
            db.execute("INSERT INTO Sensors (InstrumentID, Level) VALUES (?, 'L1')", {id});
        }
        db.setReachabilityListener([this](const DbError* failure) {
            told << (failure == nullptr ? QStringLiteral("back") : failure->description());
        });
    }
    void restart() {
        ASSERT_TRUE(server.stop()) << server.reason().toStdString();
        ASSERT_TRUE(server.start()) << server.reason().toStdString();
    }
    // What the server holds, read on a connection of its own.
    QVariant stored(const QString& sql) {
        Connection other;
        other.open(server.uri());
        return other.scalar(sql);
    }

    PrivateServer server;
    Connection db;
    QStringList told;
};
} // namespace

TEST_F(ServerRestartTest, RecordSetsAndPreparedStatementsGoOnOnTheNewConnection) {
    RecordSet sensors(db, "Sensors", {}, {}, "InstrumentID");
    EXPECT_EQ(sensors.text("InstrumentID"), "120521001");
    NativeStatement levels(db, "SELECT Level FROM Sensors WHERE InstrumentID = ?");
    levels.bindText(1, "120521002");
    ASSERT_TRUE(levels.step());
    levels.reset();

    restart();
    sensors.moveNext();
    EXPECT_EQ(sensors.text("InstrumentID"), "120521002");
    EXPECT_EQ(sensors.absolutePosition(), 2);
    ASSERT_TRUE(levels.step());
    EXPECT_EQ(levels.textAt(0), "L1");
    EXPECT_EQ(db.generation(), 1);
    // The loss was found before anything was sent: nothing was refused.
    EXPECT_TRUE(told.isEmpty()) << told.join('|').toStdString();

    sensors.setValue("Level", "L2");
    sensors.update();
    EXPECT_EQ(stored("SELECT Level FROM Sensors WHERE InstrumentID = '120521002'"), "L2");
}

TEST_F(ServerRestartTest, AChangeAfterARestartIsStoredOnce) {
    restart();
    db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521004')");
    EXPECT_EQ(stored("SELECT count(*) FROM Sensors").toInt(), 4);
}

TEST_F(ServerRestartTest, ATransactionCutByARestartStoresNothingAndIsNotRunAgain) {
    db.beginTransaction();
    db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521004')");
    restart();
    // Running the rest on the new connection would store half the transaction.
    const auto cut =
        failureOf([&] { db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521005')"); });
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->kind(), DbErrorKind::Unreachable);
    const auto commit = failureOf([&] { db.commit(); });
    ASSERT_TRUE(commit);
    EXPECT_EQ(commit->kind(), DbErrorKind::Unreachable);
    EXPECT_TRUE(commit->description().contains("none of the changes")) << commit->what();
    EXPECT_EQ(stored("SELECT count(*) FROM Sensors").toInt(), 3);

    // The next transaction runs on a new connection; its rollback after a cut succeeds.
    db.inTransaction([&] { db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('1205210A')"); });
    const auto body = failureOf([&] {
        db.inTransaction([&] {
            db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('1205210B')");
            restart();
            db.execute("INSERT INTO Sensors (InstrumentID) VALUES ('1205210C')");
        });
    });
    ASSERT_TRUE(body);
    EXPECT_EQ(body->kind(), DbErrorKind::Unreachable);
    EXPECT_EQ(db.scalar("SELECT string_agg(InstrumentID, ',' ORDER BY InstrumentID) FROM "
                        "Sensors WHERE InstrumentID LIKE '1205210_'")
                  .toString(),
              "1205210A");
}

TEST_F(ServerRestartTest, WhileTheServerIsDownStatementsAreRefusedAndTheListenerIsTold) {
    ASSERT_TRUE(server.stop());
    const auto down = failureOf([&] { db.scalar("SELECT count(*) FROM Sensors"); });
    ASSERT_TRUE(down);
    EXPECT_EQ(down->kind(), DbErrorKind::Unreachable);
    EXPECT_TRUE(db.isOpen());
    // Until the event loop turns, the next statement does not wait for the server again.
    const auto held = failureOf([&] { RecordSet sensors(db, "Sensors"); });
    ASSERT_TRUE(held);
    EXPECT_EQ(held->description(), down->description());
    EXPECT_EQ(told.size(), 2);

    ASSERT_TRUE(server.start());
    QCoreApplication::processEvents();
    EXPECT_EQ(db.scalar("SELECT count(*) FROM Sensors").toInt(), 3);
    EXPECT_EQ(told.last(), "back");
}

TEST(StatementKindTest, OnlyWhatStoresNothingCountsAsARead) {
    using S = Connection::Statement;
    EXPECT_EQ(Connection::statementOf("  select 1"), S::Read);
    EXPECT_EQ(Connection::statementOf("SET lock_timeout = 5"), S::Read);
    EXPECT_EQ(Connection::statementOf("SELECTED"), S::Write);
    EXPECT_EQ(Connection::statementOf("INSERT INTO t SELECT 1"), S::Write);
    EXPECT_EQ(Connection::statementOf("WITH x AS (DELETE FROM t) SELECT 1"), S::Write);
    EXPECT_EQ(Connection::statementOf("BEGIN"), S::Begin);
    EXPECT_EQ(Connection::statementOf("COMMIT"), S::Commit);
    EXPECT_EQ(Connection::statementOf("ROLLBACK"), S::Rollback);
}
