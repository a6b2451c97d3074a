#include "ReadingsFixture.h"

#include "readings/ReadingEntry.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>

class ReadingEntryTest : public OnBothEngines<ReadingsTest> {};

namespace {
const QString kId = QStringLiteral("120541001");
const QDateTime kFirst(QDate(2026, 12, 1), QTime(10, 0));
const QDateTime kSecond(QDate(2026, 12, 2), QTime(10, 0));
const QDateTime kThird(QDate(2026, 12, 3), QTime(10, 0));
} // namespace

TEST_P(ReadingEntryTest, AddNewStampsTheClockAndRefusesASecondReadingInTheSameSecond) {
    addSensors({kId});
    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15, 700)));
    openOnReadings();
    EXPECT_EQ(page().txtRcount->text(), "0 of 0");

    click("imgAddReading");
    const QString added = kId + " 2026/12/08 09:30:15";
    EXPECT_EQ(readingCount(kId), 1);
    EXPECT_EQ(stored(kId, added, "FullDate").toString(), "2026-12-08 09:30:15");
    EXPECT_EQ(stored(kId, added, "ReadingDate").toString(), "2026/12/08");
    EXPECT_EQ(stored(kId, added, "ReadingTime").toString(), "09:30:15");
    EXPECT_EQ(stored(kId, added, "IsDirty").toInt(), 1);
    EXPECT_EQ(stored(kId, added, "Plottemporal").toInt(), 1);
    EXPECT_EQ(stored(kId, added, "PlotSpatial").toInt(), 0);
    EXPECT_TRUE(stored(kId, added, "Channel1").isNull());
    EXPECT_EQ(page().txtReadingID->text(), added);
    EXPECT_EQ(page().txtRcount->text(), "1 of 1");
    EXPECT_EQ(page().dtpRtime->time(), QTime(9, 30, 15));
    EXPECT_TRUE(page().lblError->isHidden());

    // The new reading has been checked by the pickers (it is at CurrentReadingPos), yet a
    // second reading on the same key is still refused.
    emit page().dtpRtime->editingFinished();
    EXPECT_EQ(page().entry().CurrentReadingPos, 1);
    prompter.clear();
    click("imgAddReading");
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Duplicate Reading");
    EXPECT_EQ(prompter.last().text, "There is already a reading with that date and time");
    EXPECT_EQ(readingCount(kId), 1);

    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(9, 31, 0)));
    click("imgAddReading");
    EXPECT_EQ(readingCount(kId), 2);
    EXPECT_EQ(page().txtRcount->text(), "2 of 2");
}

TEST_P(ReadingEntryTest, DupIdIgnoresOnlyTheRowAtTheGivenPosition) {
    addSensors({kId});
    addReadings(kId, {kFirst, kSecond, kThird});
    openOnReadings();
    ReadingEntry& entry = page().entry();
    EXPECT_FALSE(entry.DupID(key(kId, kSecond), 2));
    EXPECT_TRUE(entry.DupID(key(kId, kSecond), 1));
    EXPECT_TRUE(entry.DupID(key(kId, kSecond), 0));
    EXPECT_FALSE(entry.DupID(kId + " 2026/12/04 10:00:00", 0));
    // The look-up leaves the reading on screen current.
    EXPECT_EQ(page().txtRcount->text(), "3 of 3");
    EXPECT_EQ(window->state().rsReadings->absolutePosition(), 3);
}

TEST_P(ReadingEntryTest, ADateOntoAnotherReadingIsRefusedAndThePickersRestored) {
    addSensors({kId});
    addReadings(kId, {kFirst, kSecond});
    openOnReadings();
    ASSERT_EQ(page().txtReadingID->text(), key(kId, kSecond));

    page().dtpRdate->setDate(QDate(2026, 12, 1));
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Duplicate Reading");
    EXPECT_EQ(prompter.last().text, "There is already a reading on 2026/12/01 at 10:00:00");
    EXPECT_EQ(page().dtpRdate->date(), QDate(2026, 12, 2));
    EXPECT_EQ(page().dtpRtime->time(), QTime(10, 0));
    EXPECT_EQ(stored(kId, key(kId, kSecond), "FullDate").toString(), "2026-12-02 10:00:00");
    EXPECT_EQ(readingCount(kId), 2);

    // Leaving the picker afterwards finds nothing changed.
    emit page().dtpRdate->editingFinished();
    EXPECT_EQ(prompter.calls.size(), 1);
}

TEST_P(ReadingEntryTest, ChangingTheTimeRekeysAtOnceKeepingWhatWasTyped) {
    addSensors({kId});
    addReadings(kId, {kFirst});
    openOnReadings();
    page().txtChannel[1]->setText("7");

    page().dtpRtime->setTime(QTime(11, 15, 30));
    const QString rekeyed = kId + " 2026/12/01 11:15:30";
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(readingCount(kId), 1);
    EXPECT_EQ(stored(kId, rekeyed, "FullDate").toString(), "2026-12-01 11:15:30");
    EXPECT_EQ(stored(kId, rekeyed, "ReadingTime").toString(), "11:15:30");
    EXPECT_EQ(stored(kId, rekeyed, "Channel2").toString(), "7.00");
    EXPECT_EQ(page().txtReadingID->text(), rekeyed);
    EXPECT_EQ(page().txtChannel[1]->text(), "7.00");
    EXPECT_EQ(page().txtRcount->text(), "1 of 1");
}

TEST_P(ReadingEntryTest, ARekeyThatReordersTheReadingsFollowsTheReading) {
    addSensors({kId});
    addReadings(kId, {kFirst, kSecond, kThird});
    openOnReadings();
    click("imgFirst");
    page().dtpRdate->setDate(QDate(2026, 12, 9));
    EXPECT_EQ(page().txtRcount->text(), "3 of 3");
    EXPECT_EQ(page().txtReadingID->text(), kId + " 2026/12/09 10:00:00");
    EXPECT_EQ(page().txtChannel[0]->text(), "1.00");
    // A future date is flagged on the status line; today's date clears it.
    EXPECT_FALSE(page().lblError->isHidden());
    EXPECT_EQ(page().lblError->text(), "Warning: Reading Date is in the future");
    page().dtpRdate->setDate(QDate(2026, 12, 8));
    EXPECT_TRUE(page().lblError->isHidden());
}

TEST_P(ReadingEntryTest, LeavingTheTabStoresTheValuesInTheirForms) {
    addSensors({kId});
    addReadings(kId, {kFirst});
    openOnReadings();
    // A three-node sensor: boxes 1 to 3 take the values.
    const QStringList typed = {"12", "3.456", ""};
    for (int n = 0; n < typed.size(); ++n) {
        page().txtChannel[n]->clear();
        QTest::keyClicks(page().txtChannel[n], typed[n]);
    }
    page().txtChannelT->clear();
    QTest::keyClicks(page().txtChannelT, "21.456");
    page().chkTemporal->setChecked(false);
    page().chkSpatial->setChecked(true);

    window->SSTab1->setCurrentIndex(7);
    const QString k = key(kId, kFirst);
    EXPECT_EQ(stored(kId, k, "Channel1").toString(), "12.00");
    EXPECT_EQ(stored(kId, k, "Channel2").toString(), "3.46");
    EXPECT_EQ(stored(kId, k, "ChannelT").toString(), "21.456");
    EXPECT_EQ(stored(kId, k, "Plottemporal").toInt(), 0);
    EXPECT_EQ(stored(kId, k, "PlotSpatial").toInt(), 1);
    // Empty boxes stay empty texts, all eight written whatever the node count.
    for (const char* column : {"Channel3", "Channel8"}) {
        EXPECT_EQ(valueType(column, "FROM " + quoteName(kId)), "text") << column;
        EXPECT_EQ(stored(kId, k, column).toString(), "");
    }
}

TEST_P(ReadingEntryTest, ValueBoxesRefuseLettersTypedOrPasted) {
    addSensors({kId});
    addReadings(kId, {kFirst});
    openOnReadings();
    QLineEdit* box = page().txtChannel[0];
    box->clear();
    QTest::keyClicks(box, "1a-,.b2");
    EXPECT_EQ(box->text(), "1-,.2");
    box->insert("x12");
    EXPECT_EQ(box->text(), "1-,.2");
    box->insert("34");
    EXPECT_EQ(box->text(), "1-,.234");
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "1-,.23");

    // A stored text the filter would not admit stays editable.
    page().txtChannelT->setText("n/a");
    QTest::keyClick(page().txtChannelT, Qt::Key_End);
    QTest::keyClick(page().txtChannelT, Qt::Key_Backspace);
    QTest::keyClicks(page().txtChannelT, "q5");
    EXPECT_EQ(page().txtChannelT->text(), "n/5");
}

TEST_P(ReadingEntryTest, ValuesNoChartCouldDrawAreToldAndNotStored) {
    addSensors({kId});
    addReadings(kId, {kFirst});
    openOnReadings();
    prompter.clear();
    page().txtChannel[0]->setText("1e308");
    page().txtChannel[1]->setText("NaN");
    page().txtChannel[2]->setText(QString(10000, '7'));
    page().txtChannelT->setText("inf");

    window->SSTab1->setCurrentIndex(7);
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Quorvelle");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(prompter.last().text,
              QStringList({"The temperature's value inf is not a reading in degrees C: it is not a "
                           "finite number; it was not stored.",
                           "Node 1's value 1e308 is not a reading in millimetres: it lies outside "
                           "-100000 to 100000; it was not stored.",
                           "Node 2's value NaN is not a reading in millimetres: it is not a finite "
                           "number; it was not stored.",
                           "Node 3's value 777777777777777777777777… is not a reading in "
                           "millimetres: it is 10000 characters long, and a value has at most 24; "
                           "it was not stored."})
                  .join("\r\n"));
    const QString k = key(kId, kFirst);
    EXPECT_EQ(stored(kId, k, "Channel1").toString(), "1.00");
    EXPECT_EQ(stored(kId, k, "Channel2").toString(), "");
    EXPECT_EQ(stored(kId, k, "Channel3").toString(), "");
    EXPECT_EQ(stored(kId, k, "ChannelT").toString(), "20");
    // The boxes show what is stored again.
    EXPECT_EQ(page().txtChannel[0]->text(), "1.00");
    EXPECT_EQ(page().txtChannelT->text(), "20");

    // A good value beside a refused one is stored; the edge of the range is a reading.
    window->SSTab1->setCurrentIndex(2);
    prompter.clear();
    page().txtChannel[0]->setText("-100000");
    page().txtChannel[1]->setText("100000.01");
    window->SSTab1->setCurrentIndex(7);
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "Node 2's value 100000.01 is not a reading in millimetres: it "
                                    "lies outside -100000 to 100000; it was not stored.");
    EXPECT_EQ(stored(kId, k, "Channel1").toString(), "-100000.00");
    EXPECT_EQ(stored(kId, k, "Channel2").toString(), "");
}

TEST_P(ReadingEntryTest, APasteTheBoxRefusesIsToldWithTheBoxAndTheText) {
    addSensors({kId});
    addReadings(kId, {kFirst});
    openOnReadings();
    prompter.clear();
    page().txtChannel[2]->insert("1e308");
    // A single key is dropped silently, as the key filter always did.
    QTest::keyClicks(page().txtChannelT, "x");
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text,
              "Node 3's value 1e308 is not a reading in millimetres: only digits, \",\", \"-\" "
              "and \".\" can be typed in the box.");
    EXPECT_EQ(page().txtChannel[2]->text(), "");
    EXPECT_EQ(page().txtChannelT->text(), "20");
}

TEST_P(ReadingEntryTest, ADateStillBeingTypedIsTakenBeforeMovingOn) {
    addSensors({kId});
    addReadings(kId, {kFirst, kSecond});
    openOnReadings();
    click("imgFirst");
    QDateEdit* date = page().dtpRdate;
    date->setFocus();
    date->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(date, "04");
    click("imgNextData");
    EXPECT_EQ(stored(kId, kId + " 2026/12/04 10:00:00", "Channel1").toString(), "1.00");
    EXPECT_TRUE(stored(kId, key(kId, kFirst), "Channel1").isNull());
    EXPECT_EQ(prompter.messageTexts(), QStringList{"End of readings"});
}

INSTANTIATE_ON_BOTH_ENGINES(ReadingEntryTest);
