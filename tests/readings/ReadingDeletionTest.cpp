#include "ReadingsFixture.h"

#include "readings/frmBatchDel.h"
#include "ui/Prompter.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace {
const QString kId = QStringLiteral("120541001");

QString shortDate(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}
} // namespace

class ReadingDeletionTest : public OnBothEngines<ReadingsTest> {
protected:
    // Clicks "Delete/Batch" and returns the window it opened.
    frmBatchDel* openDeletion() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        click("imgDeleteReading");
        auto* found = window->findChild<frmBatchDel*>();
        EXPECT_NE(found, nullptr);
        EXPECT_TRUE(found && found->isVisible());
        return found;
    }
    void deleteRange(const QDate& start, const QDate& end) {
        frmBatchDel* del = openDeletion();
        del->DelStart->setSelectedDate(start);
        del->DelEnd->setSelectedDate(end);
        del->OKButton->click();
    }
};

TEST_P(ReadingDeletionTest, TheWindowOffersTheThreeDeletionsFromToday) {
    addSensors({kId});
    addNineReadings(kId);
    openOnReadings();
    frmBatchDel* del = openDeletion();
    EXPECT_EQ(del->windowTitle(), "SensorData Deletion");
    EXPECT_EQ(del->DelStart->selectedDate(), clock_.today());
    EXPECT_EQ(del->DelEnd->selectedDate(), clock_.today());
    QStringList texts;
    for (const QLabel* label : del->findChildren<QLabel*>()) {
        texts << label->text();
    }
    for (const char* text : {"Select start date", "Select end date",
                             "Click DELETE button to confirm deletetion of current reading ->",
                             "Click DELETE ALL button to confirm deletetion of ALL readings ->",
                             "WARNING: These operations cannot be undone"}) {
        EXPECT_TRUE(texts.contains(text)) << text;
    }
    EXPECT_EQ(del->OKButton->text(), "BATCH DELETE");
    EXPECT_EQ(del->cmdSingleDel->text(), "DELETE");
    EXPECT_EQ(del->Command1->text(), "DELETE ALL");

    del->CancelButton->click();
    EXPECT_EQ(readingCount(kId), 9);
    EXPECT_EQ(page().txtRcount->text(), "9 of 9");
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(ReadingDeletionTest, DeletingTheCurrentReadingShowsAndRemembersTheNewest) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2026, 12, 1), QTime(10, 0)),
                      QDateTime(QDate(2026, 12, 2), QTime(10, 0))});
    frmQuorvelle& w = openOnReadings();
    click("imgFirst");
    openDeletion()->cmdSingleDel->click();
    EXPECT_EQ(readingCount(kId), 1);
    EXPECT_EQ(stored(kId, kId + " 2026/12/02 10:00:00", "Channel1").toString(), "2.00");
    EXPECT_EQ(page().txtRcount->text(), "1 of 1");
    EXPECT_EQ(page().txtReadingID->text(), kId + " 2026/12/02 10:00:00");
    EXPECT_EQ(w.state().savedReadingMark, w.state().rsReadings->bookmark());

    openDeletion()->cmdSingleDel->click();
    EXPECT_EQ(readingCount(kId), 0);
    EXPECT_EQ(page().txtRcount->text(), "0 of 0");
    EXPECT_EQ(page().lblError->text(), "0 Readings - Click the Add button to add a reading");
    EXPECT_EQ(w.state().savedReadingMark, 0);
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(ReadingDeletionTest, ARangeOfOneDayTakesEveryReadingOfThatDayOnly) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2026, 12, 3), QTime(23, 59, 59)),
                      QDateTime(QDate(2026, 12, 4), QTime(0, 0, 0)),
                      QDateTime(QDate(2026, 12, 4), QTime(12, 0, 0)),
                      QDateTime(QDate(2026, 12, 4), QTime(23, 59, 59)),
                      QDateTime(QDate(2026, 12, 5), QTime(0, 0, 0))});
    openOnReadings();
    deleteRange(QDate(2026, 12, 4), QDate(2026, 12, 4));
    EXPECT_EQ(readingCount(kId), 2);
    EXPECT_EQ(
        scalar("SELECT COUNT(*) FROM " + quoteName(kId) + " WHERE ReadingDate = ?", {"2026/12/04"})
            .toInt(),
        0);
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, kAppTitle);
    EXPECT_EQ(prompter.last().text, "3 readings were deleted from " +
                                        shortDate(QDate(2026, 12, 4)) + " and " +
                                        shortDate(QDate(2026, 12, 4)));
    EXPECT_EQ(page().txtRcount->text(), "2 of 2");
    EXPECT_EQ(page().dtpRdate->date(), QDate(2026, 12, 5));
}

TEST_P(ReadingDeletionTest, AnInclusiveRangeAndAReversedOne) {
    addSensors({kId});
    addNineReadings(kId);
    openOnReadings();
    deleteRange(QDate(2026, 12, 6), QDate(2026, 12, 2));
    EXPECT_EQ(readingCount(kId), 9);
    EXPECT_EQ(prompter.last().text, "0 readings were deleted from " +
                                        shortDate(QDate(2026, 12, 6)) + " and " +
                                        shortDate(QDate(2026, 12, 2)));

    deleteRange(QDate(2026, 12, 2), QDate(2026, 12, 6));
    EXPECT_EQ(readingCount(kId), 4);
    EXPECT_TRUE(prompter.last().text.startsWith("5 readings were deleted from "));
    EXPECT_EQ(page().txtRcount->text(), "4 of 4");
    EXPECT_EQ(window->state().savedReadingMark, window->state().rsReadings->bookmark());
}

TEST_P(ReadingDeletionTest, DeleteAllEmptiesTheTableButKeepsItAndTheSensor) {
    addSensors({kId});
    addNineReadings(kId);
    frmQuorvelle& w = openOnReadings();
    openDeletion()->Command1->click();
    EXPECT_EQ(readingCount(kId), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Sensors WHERE InstrumentID = ?", {kId}).toInt(), 1);
    EXPECT_EQ(page().txtRcount->text(), "0 of 0");
    EXPECT_EQ(page().lblError->text(), "0 Readings - Click the Add button to add a reading");
    EXPECT_TRUE(prompter.calls.isEmpty());

    // The table is still usable: a new reading goes into it.
    click("imgAddReading");
    EXPECT_EQ(readingCount(kId), 1);
    EXPECT_EQ(w.state().rsReadings->recordCount(), 1);
}

INSTANTIATE_ON_BOTH_ENGINES(ReadingDeletionTest);
