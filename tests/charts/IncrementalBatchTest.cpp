#include "charts/GraphBatch.h"
#include "charts/GraphData.h"
#include "charts/TemperatureCorrection.h"
#include "revisions/RevisionStore.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "support/ServerDatabase.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

// The sensor the tests change, and its twin that gets the same changes but whose batch always
// starts from nothing stored, as the batch did before it kept its state.
const QString kId = QStringLiteral("120541001");
const QString kTwin = QStringLiteral("120541002");

struct Kind {
    GraphVariant variant;
    bool loads;
};
const Kind kKinds[] = {{GraphVariant::Time, false},
                       {GraphVariant::Length, false},
                       {GraphVariant::Time, true},
                       {GraphVariant::Length, true}};

class IncrementalBatchTest : public EngineDbTest {
protected:
    void prepare() override {
        createRevisionTable(db);
        for (const QString& id : {kId, kTwin}) {
            db.execute("INSERT INTO Sensors (InstrumentID, SensorType, HeadLocation, Recess, "
                       "LengthofCable, NodeLocation1, NodeLocation2, NodeLocation3, "
                       "NodeLocation4) VALUES (?, '51', 1, 0.25, 9, 1, 3, 5, 7)",
                       {id});
            createReadingsTable(db, id);
        }
        // Forty daily readings, every third not on the time chart, every fifth not on the
        // length chart, one with a channel that is not a number.
        for (int d = 0; d < 40; ++d) {
            add(d,
                QStringList{QString::number(10 + d * 0.25, 'f', 2),
                            QString::number(20 + d * 0.5, 'f', 2),
                            d == 17 ? QStringLiteral("n/a") : QString::number(30 + d, 'f', 2),
                            QString::number(40 + d * 0.125, 'f', 3)},
                QString::number(15 + d % 7), d % 3 != 2, d % 5 != 4);
        }
    }

    static QString date(int d) {
        return QDateTime(QDate(2026, 1, 1).addDays(d), QTime(8, 0), Qt::UTC)
            .toString("yyyy-MM-dd HH:mm:ss");
    }

    void add(int d, const QStringList& channels, const QString& temperature, bool time,
             bool length) {
        for (const QString& id : {kId, kTwin}) {
            db.execute(
                "INSERT INTO " + quoteName(id) +
                    " (DateTimeKey, FullDate, Channel1, Channel2, Channel3, Channel4, "
                    "ChannelT, Plottemporal, PlotSpatial) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {id + " " + date(d), date(d), channels[0], channels[1], channels[2], channels[3],
                 temperature, time ? 1 : 0, length ? 1 : 0});
        }
    }

    // A change made to both sensors: %1 stands for the readings table.
    void change(const QString& sql, const QVariantList& params = {}) {
        for (const QString& id : {kId, kTwin}) {
            db.execute(sql.arg(quoteName(id)), params);
        }
    }

    void revise(int d, RevisionKind kind, QList<double> typed = {}) {
        for (const QString& id : {kId, kTwin}) {
            RevisionRequest request;
            request.instrumentId = id;
            request.from = QDateTime(QDate(2026, 1, 1).addDays(d), QTime(8, 0), Qt::UTC);
            request.kind = kind;
            request.typedOffsets = typed;
            addRevision(db, request, clock_.now(), "surveyor");
        }
    }

    void correct(const TemperatureCorrection& correction) {
        writeTemperatureCorrection(db, kId, correction);
        writeTemperatureCorrection(db, kTwin, correction);
    }

    static QStringList outputs(const BatchGeometry& g, bool loads) {
        QStringList columns;
        for (int n = 1; n <= 10; ++n) {
            columns << QStringLiteral("zero%1").arg(n);
        }
        columns << "NumTemp";
        for (int n = 1; n <= g.nodeCount; ++n) {
            columns << QStringLiteral("Disp%1").arg(n);
        }
        for (int i = 1; loads && i < g.nodeCount && i <= 5; ++i) {
            columns << QStringLiteral("Load%1").arg(i);
        }
        if (!g.headAtCollar) {
            columns << "Reference";
        }
        return columns;
    }

    QList<QVariantList> stored(const QString& id, const Kind& kind, const BatchGeometry& g) {
        const QStringList columns = outputs(g, kind.loads);
        QSqlQuery query(db.db());
        EXPECT_TRUE(query.exec(graphSelect(db, id, kind.variant, columns)));
        QList<QVariantList> rows;
        while (query.next()) {
            QVariantList row;
            for (int c = 0; c < columns.size(); ++c) {
                row << (query.isNull(c) ? QVariant() : QVariant(query.value(c).toDouble()));
            }
            rows << row;
        }
        return rows;
    }

    // The twin's batch from nothing: no state, every column it stores emptied first.
    void fullBatch(const Kind& kind, const BatchGeometry& g) {
        if (db.hasTable("ChartBatchState")) {
            db.execute("DELETE FROM ChartBatchState WHERE InstrumentID = ?", {kTwin});
        }
        QStringList empty;
        for (const QString& c : outputs(g, kind.loads)) {
            empty << c + " = NULL";
        }
        db.execute("UPDATE " + quoteName(kTwin) + " SET " + empty.join(", "));
        runGraphBatch(db, kTwin, kind.variant, kind.loads, g, errorLog());
    }

    // Every kind of chart, entered in turn, stores what the twin's full batch stores; entered
    // again at once, each finds its columns up to date and computes nothing.
    void expectEveryKindAsTheFullBatch(const BatchGeometry& g, const char* what) {
        for (const Kind& kind : kKinds) {
            SCOPED_TRACE(std::string(what) +
                         (kind.variant == GraphVariant::Time ? " time" : " length") +
                         (kind.loads ? " loads" : ""));
            const int logged = logEntries();
            const BatchResult first =
                runGraphBatch(db, kId, kind.variant, kind.loads, g, errorLog());
            const bool clean = first.completed && logEntries() == logged;
            EXPECT_FALSE(first.upToDate);
            fullBatch(kind, g);
            EXPECT_EQ(stored(kId, kind, g), stored(kTwin, kind, g));
            const BatchResult again =
                runGraphBatch(db, kId, kind.variant, kind.loads, g, errorLog());
            EXPECT_EQ(again.upToDate, clean);
            EXPECT_EQ(again.rowsChanged, 0);
            EXPECT_EQ(again.rowsWritten, first.rowsWritten);
            EXPECT_EQ(again.loadLocations, first.loadLocations);
            EXPECT_EQ(again.uncorrectedRows, first.uncorrectedRows);
        }
    }

    BatchGeometry collar{true, 4, {"1.00", "3.00", "5.00", "7.00"}, "50"};
};

TEST_P(IncrementalBatchTest, EveryKindOfChangeStoresWhatTheFullBatchStores) {
    expectEveryKindAsTheFullBatch(collar, "first entry");

    change("UPDATE %1 SET Plottemporal = 0, PlotSpatial = 0 WHERE FullDate = ?", {date(0)});
    expectEveryKindAsTheFullBatch(collar, "the zero reference unticked");
    change("UPDATE %1 SET Plottemporal = 1 WHERE FullDate = ? OR FullDate = ?", {date(0), date(2)});
    expectEveryKindAsTheFullBatch(collar, "ticks");

    change("UPDATE %1 SET Channel2 = '19.75' WHERE FullDate = ?", {date(0)});
    expectEveryKindAsTheFullBatch(collar, "the zero reference edited");
    change("UPDATE %1 SET Channel1 = '12.5', ChannelT = '30' WHERE FullDate = ?", {date(20)});
    expectEveryKindAsTheFullBatch(collar, "a reading edited");
    add(60, {"30", "40", "70", "50"}, "12", true, true);
    expectEveryKindAsTheFullBatch(collar, "a reading added");
    add(-5, {"9", "19", "29", "39"}, "14", true, true);
    expectEveryKindAsTheFullBatch(collar, "a reading before the first");
    change("DELETE FROM %1 WHERE FullDate > ? AND FullDate < ?", {date(24), date(31)});
    expectEveryKindAsTheFullBatch(collar, "a week deleted");

    BatchGeometry toe = collar;
    toe.headAtCollar = false;
    expectEveryKindAsTheFullBatch(toe, "head at the toe");
    BatchGeometry three{true, 3, {"1.00", "2.50", "5.00"}, "75"};
    expectEveryKindAsTheFullBatch(three, "three nodes, other anchors and stiffness");
    collar.kvalText = "60";
    expectEveryKindAsTheFullBatch(collar, "stiffness");

    revise(10, RevisionKind::Offset);
    expectEveryKindAsTheFullBatch(collar, "an offset");
    revise(30, RevisionKind::Rezero);
    expectEveryKindAsTheFullBatch(collar, "a re-zero");
    collar.rezeroView = RezeroView::SinceInstallation;
    expectEveryKindAsTheFullBatch(collar, "since installation");

    correct(TemperatureCorrection{CorrectionMode::Coefficients, {0.1, 0.0, -0.05, 0.2}});
    expectEveryKindAsTheFullBatch(collar, "temperature corrected");
    correct(TemperatureCorrection{});
    expectEveryKindAsTheFullBatch(collar, "temperature correction off");
}

TEST_P(IncrementalBatchTest, ColumnsWrittenByAnythingElseAreComputedAgain) {
    const Kind length{GraphVariant::Length, false};
    runGraphBatch(db, kId, length.variant, false, collar, errorLog());
    const QList<QVariantList> before = stored(kId, length, collar);
    // A value changed behind the batch's back, and a text where the batch stores nothing (the
    // reading of day 17 has no number in channel 3).
    db.execute("UPDATE " + quoteName(kId) + " SET Disp2 = 99 WHERE FullDate = ?", {date(3)});
    if (!onServer()) {
        db.execute("UPDATE " + quoteName(kId) + " SET zero3 = 'none' WHERE FullDate = ?",
                   {date(17)});
    }
    const BatchResult result = runGraphBatch(db, kId, length.variant, false, collar, errorLog());
    EXPECT_FALSE(result.upToDate);
    EXPECT_EQ(result.rowsChanged, onServer() ? 1 : 2);
    EXPECT_EQ(stored(kId, length, collar), before);
    if (!onServer()) {
        EXPECT_EQ(db.scalar("SELECT typeof(zero3) FROM " + quoteName(kId) + " WHERE FullDate = ?",
                            {date(17)})
                      .toString(),
                  "null");
    }
}

TEST_P(IncrementalBatchTest, ABatchThatLoggedAReadingLogsItAgainEveryTime) {
    // The reading of day 17, on the length chart, has a channel that is not a number: every
    // entry logs it.
    runGraphBatch(db, kId, GraphVariant::Length, false, collar, errorLog());
    const int once = logEntries();
    ASSERT_GE(once, 1);
    const BatchResult again =
        runGraphBatch(db, kId, GraphVariant::Length, false, collar, errorLog());
    EXPECT_FALSE(again.upToDate);
    EXPECT_EQ(again.rowsChanged, 0);
    EXPECT_EQ(logEntries(), 2 * once);
}

// An entry found up to date without reading a row is followed, after every kind of change
// and whoever makes it, by a batch that stores the new values.
TEST_P(IncrementalBatchTest, AChangeAfterAnUpToDateEntryIsComputed) {
    const Kind time{GraphVariant::Time, true};
    const auto enterTwice = [&](const char* what) {
        SCOPED_TRACE(what);
        runGraphBatch(db, kId, time.variant, time.loads, collar, errorLog());
        const BatchResult again =
            runGraphBatch(db, kId, time.variant, time.loads, collar, errorLog());
        EXPECT_TRUE(again.upToDate);
        EXPECT_EQ(again.rowsChanged, 0);
        fullBatch(time, collar);
        EXPECT_EQ(stored(kId, time, collar), stored(kTwin, time, collar));
    };
    enterTwice("first");
    change("UPDATE %1 SET Channel1 = '11.5' WHERE FullDate = ?", {date(0)});
    enterTwice("zero reference");
    change("UPDATE %1 SET Plottemporal = 0 WHERE FullDate = ?", {date(0)});
    enterTwice("ticks");
    change("DELETE FROM %1 WHERE FullDate = ?", {date(6)});
    enterTwice("deleted");
    revise(12, RevisionKind::Offset);
    enterTwice("revision");
    correct(TemperatureCorrection{CorrectionMode::Coefficients, {0.1, 0.0, -0.05, 0.2}});
    enterTwice("temperature");
    // A column written behind the batch's back, by this connection and by another one.
    db.execute("UPDATE " + quoteName(kId) + " SET Disp1 = 99 WHERE FullDate = ?", {date(3)});
    EXPECT_FALSE(runGraphBatch(db, kId, time.variant, time.loads, collar, errorLog()).upToDate);
    if (!onServer()) {
        runGraphBatch(db, kId, time.variant, time.loads, collar, errorLog());
        Connection other;
        other.open(db.location());
        other.execute("UPDATE " + quoteName(kId) + " SET Disp1 = 98 WHERE FullDate = ?", {date(3)});
        EXPECT_FALSE(runGraphBatch(db, kId, time.variant, time.loads, collar, errorLog()).upToDate);
    }
    // A batch run inside a transaction that is rolled back is not taken as stored.
    if (!onServer()) {
        db.execute("UPDATE " + quoteName(kId) + " SET Disp1 = NULL");
        db.beginTransaction();
        runGraphBatch(db, kId, time.variant, time.loads, collar, errorLog());
        db.rollback();
        EXPECT_FALSE(runGraphBatch(db, kId, time.variant, time.loads, collar, errorLog()).upToDate);
    }
    fullBatch(time, collar);
    EXPECT_EQ(stored(kId, time, collar), stored(kTwin, time, collar));
}

INSTANTIATE_ON_BOTH_ENGINES(IncrementalBatchTest);

} // namespace
