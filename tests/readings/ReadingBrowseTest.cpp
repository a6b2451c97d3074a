#include "ReadingsFixture.h"

#include "store/Connection.h"
#include "store/SqlFailure.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>

class ReadingBrowseTest : public OnBothEngines<ReadingsTest> {};

namespace {
const QString kId = QStringLiteral("120541001");
const QString kNoReadings = QStringLiteral("0 Readings - Click the Add button to add a reading");
} // namespace

TEST_P(ReadingBrowseTest, OneReadingRefusesEveryMoveWithItsMessage) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2026, 12, 1), QTime(10, 0))});
    openOnReadings();
    ASSERT_EQ(page().txtRcount->text(), "1 of 1");
    for (const char* image : {"imgFirst", "imgPrevData", "imgNextData", "imgLast"}) {
        click(image);
    }
    EXPECT_EQ(prompter.messageTexts(), QStringList({"Start of readings", "Start of readings",
                                                    "End of readings", "End of readings"}));
    for (const auto& call : prompter.calls) {
        EXPECT_EQ(call.title, kAppTitle);
    }
    EXPECT_EQ(page().txtRcount->text(), "1 of 1");
}

TEST_P(ReadingBrowseTest, MovesStepThroughTheReadingsInTimeOrder) {
    addSensors({kId});
    // Stored out of time order: the tab follows FullDate.
    addReadings(kId, {QDateTime(QDate(2026, 12, 3), QTime(8, 0)),
                      QDateTime(QDate(2026, 12, 1), QTime(8, 0)),
                      QDateTime(QDate(2026, 12, 2), QTime(8, 0))});
    openOnReadings();
    EXPECT_EQ(page().txtRcount->text(), "3 of 3");
    EXPECT_EQ(page().dtpRdate->date(), QDate(2026, 12, 3));
    click("imgFirst");
    EXPECT_EQ(page().txtRcount->text(), "1 of 3");
    EXPECT_EQ(page().dtpRdate->date(), QDate(2026, 12, 1));
    EXPECT_EQ(page().txtChannel[0]->text(), "2.00");
    EXPECT_EQ(page().txtChannelT->text(), "20");
    click("imgNextData");
    EXPECT_EQ(page().dtpRdate->date(), QDate(2026, 12, 2));
    click("imgLast");
    click("imgPrevData");
    EXPECT_EQ(page().txtRcount->text(), "2 of 3");
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(ReadingBrowseTest, ReturningToTheTabShowsTheReadingLeftUnlessIdentificationWasVisited) {
    addSensors({kId});
    addNineReadings(kId);
    frmQuorvelle& w = openOnReadings();
    click("imgFirst");
    for (int i = 0; i < 4; ++i) {
        click("imgNextData");
    }
    ASSERT_EQ(page().txtRcount->text(), "5 of 9");

    w.SSTab1->setCurrentIndex(7);
    w.SSTab1->setCurrentIndex(2);
    EXPECT_EQ(page().txtRcount->text(), "5 of 9");
    EXPECT_EQ(page().dtpRdate->date(), QDate(2026, 12, 5));

    w.SSTab1->setCurrentIndex(0);
    w.SSTab1->setCurrentIndex(2);
    EXPECT_EQ(page().txtRcount->text(), "9 of 9");
    EXPECT_EQ(page().dtpRdate->date(), QDate(2026, 12, 9));
}

TEST_P(ReadingBrowseTest, ASensorWithoutReadingsShowsTheEmptyState) {
    addSensors({kId});
    QFile staging(path("datafile.txt"));
    ASSERT_TRUE(staging.open(QIODevice::WriteOnly));
    staging.close();

    openOnReadings();
    EXPECT_FALSE(QFile::exists(path("datafile.txt")));
    EXPECT_EQ(page().txtRcount->text(), "0 of 0");
    EXPECT_FALSE(page().lblError->isHidden());
    EXPECT_EQ(page().lblError->text(), kNoReadings);
    EXPECT_EQ(page().dtpRdate->date(), clock_.today());
    EXPECT_EQ(page().dtpRtime->time(), QTime(12, 0));
    EXPECT_TRUE(page().txtReadingID->text().isEmpty());

    // Nothing to move to or store.
    for (const char* image : {"imgFirst", "imgPrevData", "imgNextData", "imgLast"}) {
        click(image);
    }
    page().SaveReadings();
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(readingCount(kId), 0);
    EXPECT_EQ(window->state().savedReadingMark, 0);
}

TEST_P(ReadingBrowseTest, NullFlagsTickTheBoxesAndNullValuesShowEmpty) {
    addSensors({kId});
    exec("INSERT INTO " + quoteName(kId) +
             " (DateTimeKey, FullDate, ReadingDate, ReadingTime, Plottemporal, PlotSpatial) "
             "VALUES (?, ?, ?, ?, NULL, NULL)",
         {kId + " 2026/11/30 07:05:09", "2026-11-30 07:05:09", "2026/11/30", "07:05:09"});
    openOnReadings();
    EXPECT_TRUE(page().chkTemporal->isChecked());
    EXPECT_TRUE(page().chkSpatial->isChecked());
    EXPECT_EQ(page().txtChannel[0]->text(), "");
    EXPECT_EQ(page().dtpRtime->time(), QTime(7, 5, 9));
    EXPECT_TRUE(page().lblError->isHidden());
}

TEST_P(ReadingBrowseTest, ClosingTheWindowOnTheTabStoresTheReading) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2026, 12, 1), QTime(10, 0))});
    openOnReadings();
    page().txtChannel[2]->setText("4.5");
    closeWindow();
    EXPECT_EQ(stored(kId, kId + " 2026/12/01 10:00:00", "Channel3").toString(), "4.50");
}

TEST_F(ReadingsTest, AReadingsTableIsIndexedByTimeAndKeyWithoutUniqueness) {
    addSensors({kId});
    // Dropped, so that entering the tab creates it anew.
    exec("DROP TABLE " + quoteName(kId));
    openOnReadings();
    ASSERT_EQ(page().txtRcount->text(), "0 of 0");

    Connection db;
    db.open(dbPath());
    QStringList indexed;
    QSqlQuery indexes = runQuery(db, "SELECT name, \"unique\" FROM pragma_index_list(?)", {kId});
    while (indexes.next()) {
        EXPECT_EQ(indexes.value(1).toInt(), 0) << indexes.value(0).toString().toStdString();
        QSqlQuery columns =
            runQuery(db, "SELECT name FROM pragma_index_info(?)", {indexes.value(0)});
        while (columns.next()) {
            indexed << columns.value(0).toString();
        }
    }
    indexed.sort();
    EXPECT_EQ(indexed, QStringList({"DateTimeKey", "FullDate"}));
    const QList<QPair<QString, QVariantList>> lookups = {
        {"SELECT rowid FROM " + quoteName(kId) + " WHERE DateTimeKey = ?", {"x"}},
        {"SELECT rowid FROM " + quoteName(kId) + " ORDER BY FullDate", {}}};
    for (const auto& [lookup, params] : lookups) {
        QSqlQuery plan = runQuery(db, "EXPLAIN QUERY PLAN " + lookup, params);
        ASSERT_TRUE(plan.next());
        EXPECT_TRUE(plan.value(3).toString().contains("INDEX")) << lookup.toStdString();
    }
}

TEST_P(ReadingBrowseTest, TheTabsControlsAndCaptionLabelsRunTheirCommands) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2026, 12, 1), QTime(10, 0))});
    openOnReadings();
    QStringList names = {"txtSensor3",  "txtReadingID",   "dtpRdate",         "dtpRtime",
                         "txtChannelT", "chkTemporal",    "chkSpatial",       "txtRcount",
                         "lblError",    "imgFirst",       "imgPrevData",      "imgNextData",
                         "imgLast",     "imgAddReading",  "imgDeleteReading", "imgDatasheet",
                         "imgReport",   "imgAddTrovData", "cboTrovInt"};
    for (int n = 1; n <= 8; ++n) {
        names << QStringLiteral("txtChannel%1").arg(n) << QStringLiteral("lblmm%1").arg(n);
    }
    for (int n = 1; n <= 10; ++n) {
        names << QStringLiteral("lbln%1").arg(n);
    }
    for (const QString& name : names) {
        EXPECT_NE(page().findChild<QWidget*>(name), nullptr) << name.toStdString();
    }

    const QList<QPair<QString, QString>> captions = {
        {"Label61", "First"},     {"Label62", "Previous"}, {"Label60", "Next"},
        {"Label64", "Last"},      {"Label63", "Add New"},  {"Label65", "Delete/Batch"},
        {"Label45", "Datasheet"}, {"Label46", "Report"}};
    for (const auto& [name, text] : captions) {
        const auto* label = page().findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name.toStdString();
        EXPECT_EQ(label->text(), text);
    }

    const auto press = [this](const char* name) {
        QTest::mouseClick(page().findChild<QLabel*>(name), Qt::LeftButton);
    };
    // On the only reading the moves answer with their own messages.
    for (const char* name : {"Label61", "Label62", "Label60", "Label64"}) {
        press(name);
    }
    EXPECT_EQ(prompter.messageTexts(), QStringList({"Start of readings", "Start of readings",
                                                    "End of readings", "End of readings"}));
    press("Label63");
    EXPECT_EQ(readingCount(kId), 2);
    press("Label65");
    auto* deletion = window->findChild<QDialog*>("frmBatchDel");
    ASSERT_NE(deletion, nullptr);
    deletion->reject();
    press("Label45");
    auto* sheet = window->findChild<QDialog*>("frmDatasheet");
    ASSERT_NE(sheet, nullptr);
    sheet->reject();
}

TEST_P(ReadingBrowseTest, ReadingsWithoutACurrentOneClearTheControlsAndSaySo) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2026, 12, 1), QTime(10, 0))});
    openOnReadings();
    ASSERT_FALSE(page().txtReadingID->text().isEmpty());
    window->state().rsReadings->moveNext();
    ASSERT_TRUE(window->state().rsReadings->eof());

    page().fillreadings();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Cannot Move");
    EXPECT_EQ(prompter.last().text, "No readings found");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(page().txtReadingID->text().isEmpty());
    EXPECT_TRUE(page().txtChannel[0]->text().isEmpty());
    EXPECT_TRUE(page().txtChannelT->text().isEmpty());
    EXPECT_EQ(page().dtpRdate->date(), clock_.today());
    EXPECT_EQ(page().dtpRtime->time(), QTime(12, 0));
    // Nothing was stored over the reading.
    EXPECT_EQ(stored(kId, kId + " 2026/12/01 10:00:00", "Channel1").toString(), "1.00");
}

TEST_F(ReadingsTest, MovingOverUnchangedReadingsWritesNothingAndAnEditIsStillStored) {
    addSensors({kId});
    addNineReadings(kId);
    openOnReadings();
    click("imgFirst");
    // Another connection sees data_version move only when the window commits a change.
    Connection watcher;
    watcher.open(dbPath());
    const auto version = [&] { return watcher.scalar("PRAGMA data_version").toLongLong(); };
    const qint64 before = version();
    const QByteArray bytes = [&] {
        QFile f(dbPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    for (int i = 0; i < 8; ++i) {
        click("imgNextData");
    }
    click("imgFirst");
    window->SSTab1->setCurrentIndex(7);
    window->SSTab1->setCurrentIndex(2);
    EXPECT_EQ(page().txtRcount->text(), "1 of 9");
    EXPECT_EQ(version(), before);
    QFile f(dbPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes);

    // A typed value, and a box ticked, on the next reading: both go with the move.
    click("imgNextData");
    page().txtChannel[1]->clear();
    QTest::keyClicks(page().txtChannel[1], "7");
    click("imgNextData");
    page().chkSpatial->setChecked(true);
    click("imgPrevData");
    EXPECT_NE(version(), before);
    const QString second = kId + " 2026/12/02 08:00:00";
    EXPECT_EQ(stored(kId, second, "Channel2").toString(), "7.00");
    EXPECT_EQ(stored(kId, kId + " 2026/12/03 08:00:00", "PlotSpatial").toInt(), 1);
    EXPECT_TRUE(stored(kId, kId + " 2026/12/04 08:00:00", "Channel2").isNull());
    EXPECT_EQ(page().txtChannel[1]->text(), "7.00");
    EXPECT_TRUE(prompter.calls.isEmpty());
}

INSTANTIATE_ON_BOTH_ENGINES(ReadingBrowseTest);
