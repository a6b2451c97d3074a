#include "store/ConnectionOpener.h"
#include "store/DbError.h"
#include "store/Schema.h"
#include "support/FaultConditions.h"
#include "support/TempDataFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDriver>
#include <QThread>
#include <optional>

namespace {
std::optional<DbError> failureOf(const QString& path) {
    ConnectionOpener opener(path);
    try {
        opener.take();
    } catch (const DbError& e) {
        return e;
    }
    return std::nullopt;
}

std::optional<DbErrorKind> kindOf(const std::optional<DbError>& failure) {
    return failure ? std::optional(failure->kind()) : std::nullopt;
}
} // namespace

using ConnectionOpenerTest = TempDataFolderTest;

TEST_F(ConnectionOpenerTest, TheConnectionOpenedElsewhereServesTheTakingThread) {
    const QString file = path("register.mdb");
    createDatabaseFile(file);
    ConnectionOpener opener(file);
    EXPECT_EQ(opener.path(), file);
    const std::unique_ptr<Connection> db = opener.take();
    ASSERT_TRUE(db->isOpen());
    EXPECT_EQ(db->db().driver()->thread(), QThread::currentThread());
    db->beginTransaction();
    db->execute("INSERT INTO Sensors (InstrumentID) VALUES ('120521001')");
    createReadingsTable(*db, "120521001");
    db->commit();
    db->close();

    Connection check;
    check.open(file);
    EXPECT_EQ(check.scalar("SELECT count(*) FROM Sensors").toInt(), 1);
    EXPECT_TRUE(check.tables().contains("120521001"));
    // An opener whose connection is never taken waits for it and lets the file go.
    { ConnectionOpener unused(file); }
    check.execute("DELETE FROM Sensors");
}

TEST_F(ConnectionOpenerTest, FinishedTellsThatTakingWillNotWaitWhetherTheOpenWorkedOrNot) {
    const QString file = path("register.mdb");
    createDatabaseFile(file);
    for (const QString& target : {file, path("missing.mdb")}) {
        ConnectionOpener opener(target);
        QElapsedTimer waited;
        waited.start();
        while (!opener.finished() && waited.elapsed() < 10000) {
            QThread::msleep(1);
        }
        ASSERT_TRUE(opener.finished()) << target.toStdString();
        if (target == file) {
            EXPECT_TRUE(opener.take()->isOpen());
        } else {
            EXPECT_THROW(opener.take(), DbError);
        }
        EXPECT_TRUE(opener.finished());
    }
}

TEST_F(ConnectionOpenerTest, FailuresOfTheOpenReachTheTakerWithTheirKind) {
    const ShortBusyTimeout quick;
    const std::optional<DbError> missing = failureOf(path("missing.mdb"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->number(), ErrorCode::FileNotFound);
    EXPECT_FALSE(QFile::exists(path("missing.mdb")));

    QFile text(path("notes.mdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    EXPECT_EQ(kindOf(failureOf(path("notes.mdb"))), DbErrorKind::Damaged);

    createDatabaseFile(path("held.mdb"));
    {
        ExclusiveHolder otherProgram(path("held.mdb"));
        EXPECT_EQ(kindOf(failureOf(path("held.mdb"))), DbErrorKind::Busy);
    }
    EXPECT_FALSE(failureOf(path("held.mdb")));
}
