#include "checks/ReadingFlagStore.h"
#include "logger/LoggerGridModel.h"
#include "logger/LoggerProgressDialog.h"
#include "logger/OffThreadWork.h"
#include "logger/frmTrovData.h"
#include "readings/ReadingsFixture.h"
#include "readings/ReadingsPage.h"
#include "store/AlarmStore.h"
#include "store/AuditHistory.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/LoginName.h"
#include "store/SqlFailure.h"
#include "support/FaultConditions.h"
#include "ui/AppState.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QJsonValue>
#include <QLineEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <vector>

namespace {
const QString kId = "120521001";

const QByteArray kThreeDays = "2013/04/05 09:30:00,T7,21,001,21.47,-3.456,,9,9\r\n"
                              "2013/04/05 10:30:00,T7,21,001,20.0,1,2\r\n"
                              "2000/01/01 00:00:80,T7,21,001,19.0,1,2\r\n"
                              "2013/04/06 09:30:00,T7,21,001,19.94,1.5,2.5\r\n"
                              "2013/04/07 10:00:00,T7,21,001,18,1,\r\n";
} // namespace

// The logger import through the Readings tab, with helpers to drive its review window.
class LoggerImportSteps : public ReadingsTest {
protected:
    // Writes a logger file into a folder of its own and returns its path.
    QString loggerFile(const QString& name, const QByteArray& text) {
        QDir(folder()).mkpath("downloads");
        const QString file = path("downloads/" + name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
        return file;
    }
    // The review window on show, if any (a closed one may wait for its deletion).
    frmTrovData* review() {
        if (!window) {
            return nullptr;
        }
        for (frmTrovData* form : window->findChildren<frmTrovData*>()) {
            if (form->isVisible()) {
                return form;
            }
        }
        return nullptr;
    }
    QVector<bool> marks(frmTrovData* form) {
        QVector<bool> marks;
        for (qsizetype r = 0; r < form->grid().marks().size(); ++r) {
            marks << form->grid().marks().testBit(r);
        }
        return marks;
    }
    void setMarks(frmTrovData* form, const QVector<bool>& marks) {
        for (int r = 0; r < marks.size(); ++r) {
            if (form->grid().marks().testBit(r) != marks[r]) {
                form->MSFlexGrid1_Click(form->grid().index(r, LoggerGridModel::kAppendColumn));
            }
        }
    }
    // Runs the command on the file; gives the review window it opened, if any.
    frmTrovData* import(const QString& file) {
        prompter.files.enqueue(file);
        click("imgAddTrovData");
        return review();
    }
    QString cell(frmTrovData* form, int row, int column) {
        return form->grid().index(row, column).data().toString();
    }
    // The readings tab on the sensor, its three days' logger file imported and appended.
    void appendThreeDays() {
        addSensors({kId});
        openOnReadings();
        frmTrovData* form = import(loggerFile(kId + ".txt", kThreeDays));
        ASSERT_NE(form, nullptr);
        form->cmdAppend->click();
        ASSERT_EQ(readingCount(kId), 3);
    }
};

class LoggerImportTest : public OnBothEngines<LoggerImportSteps> {};
// A failure injected through the file engine's own triggers and foreign keys.
class LoggerImportFileTest : public LoggerImportSteps {};

TEST_P(LoggerImportTest, TheFileNameMustBeTheSensorsOrTheUserConfirms) {
    addSensors({kId});
    openOnReadings();
    ASSERT_TRUE(page().imgAddTrovData->isEnabled());

    // Cancelled choice: nothing happens.
    click("imgAddTrovData");
    EXPECT_EQ(prompter.last().kind, "openFile");
    EXPECT_EQ(prompter.last().extra, "Text (*.txt)");
    EXPECT_EQ(review(), nullptr);

    // The same name in other letter case is not the sensor's: the warning, answered No.
    const QString other = loggerFile(kId + ".TXT", kThreeDays);
    prompter.answers.enqueue(MsgAnswer::No);
    EXPECT_EQ(import(other), nullptr);
    EXPECT_EQ(prompter.last().title, "Ombrevault's QUORVELLE");
    EXPECT_EQ(prompter.last().text,
              "WARNING:\r\n120521001.TXT is not a match for the current sensor of 120521001\r\n"
              "Are you sure you want to append this data to the database?\r\n\r\n"
              "This may cause undesirable results including corruption and loss of database");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(prompter.last().buttons, MsgButtons::YesNo);
    // Enter must not answer Yes to a warning about corruption.
    EXPECT_EQ(prompter.last().defaultButton, MsgAnswer::No);
    EXPECT_FALSE(QFile::exists(path("datafile.txt")));
    EXPECT_FALSE(QFile::exists(path("Schema.ini")));

    // Answered Yes, the file is staged and reviewed.
    prompter.answers.enqueue(MsgAnswer::Yes);
    frmTrovData* form = import(other);
    ASSERT_NE(form, nullptr);
    form->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The sensor's own file is staged without a question, as a byte copy.
    prompter.clear();
    form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(prompter.calls.size(), 1);
    QFile staged(path("datafile.txt"));
    ASSERT_TRUE(staged.open(QIODevice::ReadOnly));
    EXPECT_EQ(staged.readAll(), kThreeDays);
    EXPECT_FALSE(QFile::exists(path("Schema.ini")));
}

TEST_P(LoggerImportTest, MissingBinaryAndBadLinesAreShownOnScreen) {
    addSensors({kId});
    openOnReadings();
    EXPECT_EQ(import(path("downloads/" + kId + ".txt")), nullptr);
    EXPECT_EQ(prompter.last().text, "There was no data found for this sensor.");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);

    EXPECT_EQ(import(loggerFile(kId + ".txt", QByteArray("2013/04/05,1\0\xff", 15))), nullptr);
    EXPECT_EQ(prompter.last().text, kId + ".txt is not a text file and cannot be imported.");
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains(" imgAddTrovData_Click"));

    // A line that cannot be read is shown, cannot be marked, and is counted as passed over.
    page().cboTrovInt->setCurrentText("1");
    frmTrovData* form =
        import(loggerFile(kId + ".txt", "2013/04/05 09:30:00,T7,21,001,20,1,2\n\"2013/04/06,2\n"
                                        "2013/04/07 09:30:00,T7,21,001,20,1,2\n"));
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(form->grid().rowCount(), 3);
    EXPECT_EQ(cell(form, 1, 0), "\"2013/04/06,2");
    EXPECT_EQ(cell(form, 1, 15), "×");
    EXPECT_EQ(marks(form), QVector<bool>({true, false, true}));
    form->MSFlexGrid1_Click(form->grid().index(1, LoggerGridModel::kAppendColumn));
    EXPECT_EQ(marks(form), QVector<bool>({true, false, true}));
    form->cmdAppend->click();
    EXPECT_EQ(prompter.last().text, " 2 records appended to 120521001\r\n"
                                    "1 line could not be read and was passed over.");
    EXPECT_EQ(readingCount(kId), 2);
}

TEST_P(LoggerImportTest, TheGridShowsEveryLineAndKeepsRowsTheIntervalApart) {
    addSensors({kId});
    openOnReadings();
    page().cboTrovInt->setCurrentText("1");
    frmTrovData* form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Import DataFiles");
    EXPECT_EQ(form->lblHeader->text(), "Click to download textfile data to Sensor 120521001");
    EXPECT_TRUE(form->optDateFormat0->isChecked());
    EXPECT_TRUE(form->cmdAppend->isEnabled());

    LoggerGridModel& grid = form->grid();
    ASSERT_EQ(grid.rowCount(), 5);
    ASSERT_EQ(grid.columnCount(), 16);
    EXPECT_EQ(grid.headerData(0, Qt::Horizontal).toString(), "Reading Date & Time");
    EXPECT_EQ(grid.headerData(14, Qt::Horizontal).toString(), "Channel10");
    EXPECT_EQ(grid.headerData(15, Qt::Horizontal).toString(), "Append");
    EXPECT_EQ(form->MSFlexGrid1->columnWidth(0), 19 * 8);
    EXPECT_EQ(form->MSFlexGrid1->columnWidth(15), 6 * 8);
    EXPECT_EQ(cell(form, 0, 0), "2013/04/05 09:30:00");
    EXPECT_EQ(cell(form, 0, 4), "21.47");
    EXPECT_EQ(cell(form, 0, 5), "-3.456");
    EXPECT_EQ(cell(form, 0, 6), "");
    EXPECT_EQ(cell(form, 0, 8), "9");
    EXPECT_EQ(cell(form, 4, 6), "");
    EXPECT_EQ(marks(form), QVector<bool>({true, true, false, true, true}));
    form->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    page().cboTrovInt->setCurrentText("24");
    form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(marks(form), QVector<bool>({true, false, false, true, true}));

    // A click on an Append cell turns its mark over; other cells keep theirs.
    QTableView* view = form->MSFlexGrid1;
    const auto clickCell = [view](int row, int column) {
        const QRect at = view->visualRect(view->model()->index(row, column));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at.center());
    };
    view->scrollTo(view->model()->index(1, 15));
    clickCell(1, 15);
    clickCell(3, 15);
    clickCell(0, 14);
    EXPECT_EQ(marks(form), QVector<bool>({true, true, false, false, true}));
}

TEST_P(LoggerImportTest, TheReviewShowsTheNodeChannelsAndCountsTheTickedLines) {
    addSensors({kId, "120591001"});
    openOnReadings();
    page().cboTrovInt->setCurrentText("1");
    const auto shownChannels = [](frmTrovData* form) {
        QStringList shown;
        for (int c = LoggerGridModel::kFirstChannelColumn; c < LoggerGridModel::kAppendColumn;
             ++c) {
            if (!form->MSFlexGrid1->isColumnHidden(c)) {
                shown << form->grid().headerData(c, Qt::Horizontal).toString();
            }
        }
        return shown;
    };

    // Descending order: the eight-node sensor is current first.
    frmTrovData* form = import(loggerFile("120591001.txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(shownChannels(form).size(), 8);
    EXPECT_EQ(shownChannels(form).last(), "Channel8");
    EXPECT_FALSE(form->MSFlexGrid1->isColumnHidden(LoggerGridModel::kAppendColumn));
    form->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    window->SSTab1->setCurrentIndex(0);
    click("imgNext");
    window->SSTab1->setCurrentIndex(2);
    ASSERT_EQ(window->state().currentInstrumentId(), kId);
    form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(shownChannels(form), QStringList({"Channel1"}));
    EXPECT_FALSE(form->MSFlexGrid1->isColumnHidden(4));
    EXPECT_EQ(form->lblMarked->text(), "4 of 5 lines ticked to append");
    form->MSFlexGrid1_Click(form->grid().index(0, LoggerGridModel::kAppendColumn));
    EXPECT_EQ(form->lblMarked->text(), "3 of 5 lines ticked to append");
    form->MSFlexGrid1_Click(form->grid().index(2, LoggerGridModel::kAppendColumn));
    form->MSFlexGrid1_Click(form->grid().index(0, LoggerGridModel::kAppendColumn));
    EXPECT_EQ(form->lblMarked->text(), "5 of 5 lines ticked to append");
    // A click beside the mark column changes nothing.
    form->MSFlexGrid1_Click(form->grid().index(1, 3));
    EXPECT_EQ(form->lblMarked->text(), "5 of 5 lines ticked to append");
}

TEST_P(LoggerImportTest, TheReviewMarksImpossibleDatesAndFlaggedValuesBeforeTheAppend) {
    addSensors({kId});
    openOnReadings();
    page().cboTrovInt->setCurrentText("1");
    frmTrovData* form = import(loggerFile(kId + ".txt", "2026/02/27 09:00:00,T7,21,001,20,20\n"
                                                        "2026/02/28 09:00:00,T7,21,001,20,500\n"
                                                        "2026/02/30 09:00:00,T7,21,001,20,21\n"
                                                        "2026/03/01 09:00:00,T7,21,001,20,21\n"));
    ASSERT_NE(form, nullptr);
    const int channel = LoggerGridModel::kFirstChannelColumn;
    const auto colour = [&](int row, int column) {
        return form->grid().index(row, column).data(Qt::BackgroundRole).value<QBrush>().color();
    };
    const auto tip = [&](int row, int column) {
        return form->grid().index(row, column).data(Qt::ToolTipRole).toString();
    };

    // A clean line has no colour and no tooltip.
    EXPECT_FALSE(form->grid().index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(form->grid().index(0, channel).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(tip(0, channel).isEmpty());
    // The value out of the channel's range: its cell amber, the date left alone, and every
    // cell of the line tells why.
    EXPECT_EQ(colour(1, channel), QColor(255, 214, 140));
    EXPECT_FALSE(form->grid().index(1, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(tip(1, 0).contains("500")) << tip(1, 0).toStdString();
    EXPECT_EQ(tip(1, 0), tip(1, channel));
    // 30 February: the date red, and said so.
    EXPECT_EQ(colour(2, 0), QColor(255, 150, 150));
    EXPECT_FALSE(tip(2, 0).isEmpty());
    EXPECT_FALSE(form->grid().index(2, channel).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(tip(3, 0).isEmpty()) << tip(3, 0).toStdString();

    // The impossible line starts unticked; the count follows the ticks, and the lines ticked
    // are the ones appended, the flagged value flagged in the register too.
    EXPECT_EQ(marks(form), QVector<bool>({true, true, false, true}));
    EXPECT_EQ(form->lblMarked->text(), "3 of 4 lines ticked to append");
    form->MSFlexGrid1_Click(form->grid().index(2, LoggerGridModel::kAppendColumn));
    EXPECT_EQ(form->lblMarked->text(), "4 of 4 lines ticked to append");
    setMarks(form, {true, true, false, true});
    EXPECT_EQ(form->lblMarked->text(), "3 of 4 lines ticked to append");
    prompter.answers.enqueue(MsgAnswer::Yes);
    form->cmdAppend->click();
    EXPECT_EQ(readingCount(kId), 3);
    Connection c;
    c.open(location());
    QStringList flagged;
    for (const ReadingFlag& flag : readFlags(c, kId)) {
        if (flag.check == CheckKind::Range) {
            flagged << flag.key;
        }
    }
    EXPECT_EQ(flagged, QStringList{kId + " 2026/02/28 09:00:00"});
}

TEST_P(LoggerImportTest, TheSummaryCountsReadingsDatedAfterTheClocksNow) {
    addSensors({kId});
    openOnReadings();
    // The clock stands at 2026/12/08 09:30:00: that second is not in the future, the next is.
    frmTrovData* form = import(loggerFile(kId + ".txt", "2026/12/08 09:30:00,T7,21,001,20,1\n"
                                                        "2026/12/08 09:30:01,T7,21,001,20,1\n"
                                                        "2027/01/01 00:00:00,T7,21,001,20,1\n"));
    ASSERT_NE(form, nullptr);
    setMarks(form, {true, true, true});
    form->cmdAppend->click();
    EXPECT_EQ(prompter.last().text, " 3 records appended to 120521001\r\n"
                                    "2 readings are dated in the future.");
    EXPECT_EQ(readingCount(kId), 3);

    // Only the readings stored are counted: the future one already there is a duplicate.
    form = import(loggerFile(kId + ".txt", "2026/12/07 09:30:00,T7,21,001,20,1\n"
                                           "2027/01/01 00:00:00,T7,21,001,20,1\n"));
    ASSERT_NE(form, nullptr);
    setMarks(form, {true, true});
    prompter.answers.enqueue(MsgAnswer::Yes);
    prompter.answers.enqueue(MsgAnswer::Ok);
    form->cmdAppend->click();
    EXPECT_EQ(prompter.last().text,
              " 1 records appended to 120521001\r\n1 duplicate reading was skipped.");
}

TEST_P(LoggerImportTest, AnAppendWithoutTheSensorsLoggerFileMakesNoBackupFolder) {
    ASSERT_NO_FATAL_FAILURE(appendThreeDays());
    EXPECT_TRUE(QFile::exists(path("downloads/" + kId + ".txt")));
    EXPECT_FALSE(QDir(path("downloads/backup")).exists());
}

TEST_P(LoggerImportTest, AppendStoresTheCheckedRowsAndRefusesDuplicates) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2013, 4, 1), QTime(8, 0)),
                      QDateTime(QDate(2013, 4, 6), QTime(9, 30))});
    openOnReadings();
    click("imgFirst");
    const QString file = loggerFile(kId + ".txt", kThreeDays);
    // The sensor's file in the downloads folder under the name of its backup.
    loggerFile("QV" + kId + ".txt", kThreeDays);

    frmTrovData* form = import(file);
    ASSERT_NE(form, nullptr);
    QPointer<frmTrovData> guard(form);
    prompter.clear();
    // The append runs off the window's thread; its questions come back to the window's.
    QList<QThread*> askedOn;
    prompter.onMessage = [&](const ScriptedPrompter::Call&) {
        askedOn << QThread::currentThread();
    };
    form->cmdAppend->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(askedOn, QList<QThread*>(3, qApp->thread()));

    const QString first = kId + " 2013/04/05 09:30:00";
    EXPECT_EQ(
        prompter.messageTexts(),
        QStringList({"All the checked data will be added to sensor:  120521001 ?",
                     kId + " 2013/04/06 09:30:00 is a duplicate reading and cannot be "
                           "appended.",
                     " 2 records appended to 120521001\r\n1 duplicate reading was skipped."}));
    EXPECT_EQ(prompter.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(prompter.calls[1].buttons, MsgButtons::OkSkipAll);
    EXPECT_EQ(readingCount(kId), 4);
    EXPECT_EQ(stored(kId, first, "ReadingDate").toString(), "2013/04/05");
    EXPECT_EQ(stored(kId, first, "ReadingTime").toString(), "09:30:00");
    EXPECT_EQ(stored(kId, first, "FullDate").toString(), "2013-04-05 09:30:00");
    EXPECT_EQ(stored(kId, first, "ChannelT").toString(), "21.5");
    EXPECT_EQ(stored(kId, first, "Channel1").toString(), "-3.46");
    EXPECT_EQ(stored(kId, first, "Channel2").toString(), "0.00");
    EXPECT_TRUE(stored(kId, first, "Channel3").isNull());
    EXPECT_EQ(stored(kId, first, "IsDirty").toInt(), 1);
    EXPECT_EQ(stored(kId, first, "Plottemporal").toInt(), 1);
    EXPECT_EQ(stored(kId, first, "PlotSpatial").toInt(), 0);
    EXPECT_EQ(stored(kId, kId + " 2013/04/07 10:00:00", "Channel2").toString(), "0.00");

    // The tab shows the reading it showed before, among the new count.
    EXPECT_EQ(page().txtRcount->text(), "1 of 4");
    EXPECT_EQ(page().txtReadingID->text(), kId + " 2013/04/01 08:00:00");

    EXPECT_FALSE(QFile::exists(path("downloads/QV" + kId + ".txt")));
    EXPECT_TRUE(QFile::exists(path("downloads/backup/QV" + kId + "_2026-12-08.txt")));

    // The same file again: every checked row is a duplicate. OK asks again for the next one;
    // Skip All passes over the rest without asking.
    form = import(file);
    ASSERT_NE(form, nullptr);
    prompter.clear();
    for (const MsgAnswer answer : {MsgAnswer::Yes, MsgAnswer::Ok, MsgAnswer::SkipAll}) {
        prompter.answers.enqueue(answer);
    }
    form->cmdAppend->click();
    EXPECT_EQ(prompter.messageTexts().mid(1),
              QStringList({first + " is a duplicate reading and cannot be appended.",
                           kId + " 2013/04/06 09:30:00 is a duplicate reading and cannot be "
                                 "appended.",
                           " No data was found to append\r\n3 duplicate readings were skipped."}));
    EXPECT_EQ(readingCount(kId), 4);
}

TEST_P(LoggerImportTest, AppendedReadingsAreInTheAuditTrailByTheLoginInOneChangeSet) {
    ASSERT_NO_FATAL_FAILURE(appendThreeDays());

    const QString sensorRows =
        "FROM AuditLog WHERE lower(TableName) = lower('" + kId + "') AND Operation = 'INSERT'";
    EXPECT_EQ(scalar("SELECT count(*) " + sensorRows).toInt(), 3);
    EXPECT_EQ(scalar("SELECT count(DISTINCT ChangeSet) " + sensorRows).toInt(), 1);
    const QString who = onServer() ? scalar("SELECT current_user").toString() : loginName();
    EXPECT_EQ(scalar("SELECT count(*) " + sensorRows + " AND ChangedBy = ?", {who}).toInt(), 3);
    EXPECT_EQ(
        scalar("SELECT count(*) " + sensorRows + " AND RowKey = ?", {kId + " 2013/04/07 10:00:00"})
            .toInt(),
        1);
}

TEST_P(LoggerImportTest, AnAppendedReadingsHistoryShowsEveryStoredValueAndNoneOfItsNulls) {
    ASSERT_NO_FATAL_FAILURE(appendThreeDays());

    Connection db;
    db.open(location());
    QList<AuditEntry> history = sensorHistory(db, kId);
    history.removeIf([](const AuditEntry& e) { return !e.isReading(); });
    ASSERT_EQ(history.size(), 3);
    for (const AuditEntry& entry : history) {
        // The stored row as a full record of it would carry it, its nulls included.
        QSqlQuery row = runQuery(db, "SELECT * FROM " + quoteName(kId) + " WHERE DateTimeKey = ?",
                                 {entry.rowKey});
        ASSERT_TRUE(row.next()) << entry.rowKey.toStdString();
        AuditEntry full = entry;
        full.after = {};
        int nulls = 0;
        for (int i = 0; i < row.record().count(); ++i) {
            const QString name = row.record().fieldName(i);
            if (row.isNull(i)) {
                ++nulls;
                full.after.insert(name, QJsonValue::Null);
                // A value left out of the entry reads as none, as a null does.
                EXPECT_TRUE(entry.after.value(name).isNull() ||
                            entry.after.value(name).isUndefined())
                    << name.toStdString();
            } else {
                full.after.insert(name, QJsonValue::fromVariant(row.value(i)));
            }
        }
        EXPECT_GT(nulls, 20);
        EXPECT_EQ(valuesText(entry), valuesText(full)) << entry.rowKey.toStdString();
    }
    EXPECT_EQ(valuesText(history[0]).toLower().toStdString(),
              "channel1=-3.46, channel2=0.00, channelt=21.5, datetimekey=120521001 2013/04/05 "
              "09:30:00, fulldate=2013-04-05 09:30:00, isdirty=1, plotspatial=0, "
              "plottemporal=1, readingdate=2013/04/05, readingtime=09:30:00");
}

TEST_P(LoggerImportTest, TheDateOrderAndTheAnswerNoDecideWhatIsStored) {
    addSensors({kId});
    openOnReadings();
    const QString file = loggerFile(kId + ".txt", "05/04/2013 09:30:00,T7,21,001,20,1,2\n"
                                                  "31/04/2013 09:30:00,T7,21,001,20,1,2\n");
    frmTrovData* form = import(file);
    ASSERT_NE(form, nullptr);
    prompter.answers.enqueue(MsgAnswer::No);
    form->cmdAppend->click();
    EXPECT_EQ(readingCount(kId), 0);
    EXPECT_EQ(prompter.messageTexts().size(), 1);

    form = import(file);
    ASSERT_NE(form, nullptr);
    setMarks(form, {true, true});
    form->optDateFormat1->click();
    form->cmdAppend->click();
    // The 31st of April is no date: that row is not stored.
    EXPECT_EQ(prompter.last().text, " 1 records appended to 120521001\r\n"
                                    "1 line could not be read and was passed over.");
    EXPECT_EQ(stored(kId, kId + " 2013/04/05 09:30:00", "ReadingDate").toString(), "2013/04/05");
    EXPECT_EQ(page().txtRcount->text(), "1 of 1");

    form = import(file);
    ASSERT_NE(form, nullptr);
    setMarks(form, {true, false});
    form->optDateFormat2->click();
    form->cmdAppend->click();
    EXPECT_EQ(stored(kId, kId + " 2013/05/04 09:30:00", "ReadingDate").toString(), "2013/05/04");
    EXPECT_EQ(readingCount(kId), 2);
}

TEST_P(LoggerImportTest, AnEmptyFileShowsNoReadings) {
    addSensors({kId});
    openOnReadings();
    frmTrovData* form = import(loggerFile(kId + ".txt", ""));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->grid().rowCount(), 0);
    EXPECT_EQ(form->grid().headerData(0, Qt::Horizontal).toString(), "No Readings");
    form->cmdAppend->click();
    EXPECT_EQ(prompter.last().text, " No data was found to append");
    EXPECT_FALSE(QDir(path("downloads/backup")).exists());
}

TEST_P(LoggerImportTest, WithoutASensorTheCommandIsLoggedAndAsksNothing) {
    openOnReadings();
    prompter.clear();
    const int entries = logEntries();
    click("imgAddTrovData");
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(logEntries(), entries + 1);
    EXPECT_TRUE(logText().contains(" imgAddTrovData_Click"));
}

TEST_P(LoggerImportTest, AnAppendThatCrossesALevelIsToldOnceAtTheEndAndLogged) {
    addSensors({kId});
    // One node, head at the toe: the displacement is the channel's change.
    exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2");
    addReadings(kId, {QDateTime(QDate(2013, 4, 1), QTime(8, 0))});
    openOnReadings();
    exec("INSERT INTO TriggerLevels (InstrumentID, AmberDisp, RedDisp) VALUES (?, 2, 4)", {kId});

    frmTrovData* form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    prompter.clear();
    form->cmdAppend->click();
    // The first appended reading moved 4.46 mm, the later ones came back: red at the first.
    ASSERT_EQ(prompter.calls.size(), 3);
    EXPECT_EQ(prompter.calls[1].text, " 3 records appended to 120521001");
    EXPECT_EQ(prompter.last().text, "Sensor 120521001 reached RED: -4.5 mm at Node 1 (3.00 m)");
    EXPECT_EQ(scalar("SELECT count(*) FROM TriggerEvents").toInt(), 1);
    EXPECT_EQ(scalar("SELECT DateTimeKey FROM TriggerEvents").toString(),
              kId + " 2013/04/05 09:30:00");
}

TEST_P(LoggerImportTest, AnEventLogHeldByAnotherUserStoresNeitherTheReadingsNorTheEvent) {
    addSensors({kId});
    exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2");
    addReadings(kId, {QDateTime(QDate(2013, 4, 1), QTime(8, 0))});
    const ShortBusyTimeout shortWait;
    openOnReadings();
    exec("INSERT INTO TriggerLevels (InstrumentID, AmberDisp, RedDisp) VALUES (?, 2, 4)", {kId});
    const QString file = loggerFile(kId + ".txt", kThreeDays);
    loggerFile("QV" + kId + ".txt", kThreeDays);

    auto holder = std::make_unique<EventLogHolder>(location());
    frmTrovData* form = import(file);
    ASSERT_NE(form, nullptr);
    prompter.clear();
    form->cmdAppend->click();
    // The question, then the failure: nothing told as appended, no level told.
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_TRUE(prompter.last().text.startsWith("The readings could not be stored ("))
        << prompter.last().text.toStdString();
    EXPECT_TRUE(prompter.last().text.endsWith("Nothing was appended to 120521001."));
    holder.reset();
    EXPECT_EQ(readingCount(kId), 1);
    EXPECT_EQ(scalar("SELECT count(*) FROM TriggerEvents").toInt(), 0);
    EXPECT_TRUE(QFile::exists(path("downloads/QV" + kId + ".txt")));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Once the log is free the same import stores both; the level is told after the commit.
    int eventsWhenTold = -1;
    prompter.onMessage = [&](const ScriptedPrompter::Call& call) {
        if (call.text.startsWith("Sensor ")) {
            eventsWhenTold = scalar("SELECT count(*) FROM TriggerEvents").toInt();
        }
    };
    form = import(file);
    ASSERT_NE(form, nullptr);
    prompter.clear();
    form->cmdAppend->click();
    ASSERT_EQ(prompter.calls.size(), 3);
    EXPECT_EQ(prompter.calls[1].text, " 3 records appended to 120521001");
    EXPECT_EQ(prompter.last().text, "Sensor 120521001 reached RED: -4.5 mm at Node 1 (3.00 m)");
    EXPECT_EQ(eventsWhenTold, 1);
    EXPECT_EQ(readingCount(kId), 4);
    EXPECT_EQ(scalar("SELECT DateTimeKey FROM TriggerEvents").toString(),
              kId + " 2013/04/05 09:30:00");
}

TEST_P(LoggerImportTest, ATypedPeriodCountsByItsValueRounded) {
    addSensors({kId});
    openOnReadings();
    // 24.6 hours are 25: the second day's line is 24 hours after the first, the third's 49.
    page().cboTrovInt->lineEdit()->selectAll();
    QTest::keyClicks(page().cboTrovInt, "24.6");
    EXPECT_EQ(page().cboTrovInt->currentText(), "24.6");
    frmTrovData* form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(marks(form), QVector<bool>({true, false, false, false, true}));
    form->reject();
}

// The readings, the event they raise and its mail are written off the window's thread, on a
// connection of the append's own, in one transaction: nothing of it is seen elsewhere before
// the commit, and the window shows it all after.
TEST_P(LoggerImportTest, TheAppendRunsOffTheWindowsThreadWithItsEventAndMailInOneTransaction) {
    addSensors({kId});
    exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2");
    addReadings(kId, {QDateTime(QDate(2013, 4, 1), QTime(8, 0))});
    openOnReadings();
    exec("INSERT INTO TriggerLevels (InstrumentID, AmberDisp, RedDisp) VALUES (?, 2, 4)", {kId});
    ASSERT_TRUE(addRecipient(*window->state().db, "red", "shift.boss@mine.example"));

    AppState& state = window->state();
    const auto logEvent = state.onReadingsWritten;
    QThread* ranOn = nullptr;
    bool ownConnection = false;
    QList<int> written;   // readings, events and messages as the appending connection has them
    QList<int> elsewhere; // the same as another connection has them meanwhile
    state.onReadingsWritten = [&](Connection& db, const QString& id, const QStringList& keys) {
        ranOn = QThread::currentThread();
        ownConnection = &db != state.db.get();
        std::optional<QString> told = logEvent(db, id, keys);
        Connection other;
        other.open(location());
        for (Connection* c : {&db, &other}) {
            QList<int>& counts = c == &db ? written : elsewhere;
            for (const QString& table :
                 {quoteName(kId), QString("TriggerEvents"), QString("AlarmOutbox")}) {
                counts << c->scalar("SELECT count(*) FROM " + table).toInt();
            }
        }
        return told;
    };
    frmTrovData* form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    prompter.clear();
    form->cmdAppend->click();

    EXPECT_NE(ranOn, nullptr);
    EXPECT_NE(ranOn, qApp->thread());
    EXPECT_TRUE(ownConnection);
    EXPECT_EQ(written, QList<int>({4, 1, 1}));
    EXPECT_EQ(elsewhere, QList<int>({1, 0, 0}));
    EXPECT_EQ(readingCount(kId), 4);
    EXPECT_EQ(scalar("SELECT count(*) FROM TriggerEvents").toInt(), 1);
    EXPECT_EQ(scalar("SELECT count(*) FROM AlarmOutbox").toInt(), 1);
    ASSERT_EQ(prompter.calls.size(), 3);
    EXPECT_EQ(prompter.last().text, "Sensor 120521001 reached RED: -4.5 mm at Node 1 (3.00 m)");
    EXPECT_EQ(page().txtRcount->text(), "1 of 4");
}

// A Cancel pressed while the append waits for an answer stops it before its commit.
TEST_P(LoggerImportTest, ACancelDuringTheAppendStoresNothingAndSaysSo) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2013, 4, 6), QTime(9, 30))});
    openOnReadings();
    const QString file = loggerFile(kId + ".txt", kThreeDays);
    loggerFile("QV" + kId + ".txt", kThreeDays);
    frmTrovData* form = import(file);
    ASSERT_NE(form, nullptr);
    prompter.clear();
    prompter.onMessage = [&](const ScriptedPrompter::Call& call) {
        if (call.text.contains("duplicate")) {
            auto* progress = form->findChild<QProgressDialog*>("prgLoggerImport");
            ASSERT_NE(progress, nullptr);
            progress->cancel();
        }
    };
    form->cmdAppend->click();
    EXPECT_EQ(prompter.messageTexts().mid(1),
              QStringList({kId + " 2013/04/06 09:30:00 is a duplicate reading and cannot be "
                                 "appended.",
                           "The append was cancelled. Nothing was appended to 120521001."}));
    EXPECT_EQ(readingCount(kId), 1);
    EXPECT_TRUE(QFile::exists(path("downloads/QV" + kId + ".txt")));
}

TEST_F(LoggerImportFileTest, AFailedCommitAppendsNothingAndKeepsTheLoggerFile) {
    addSensors({kId});
    openOnReadings();
    const QString file = loggerFile(kId + ".txt", kThreeDays);
    loggerFile("QV" + kId + ".txt", kThreeDays);
    // A failure injected at the commit, whichever connection makes it: another program reads
    // the file in a transaction of its own, so the rows are written but the file cannot be
    // taken for their commit.
    const ShortBusyTimeout shortWait;
    Connection reader;
    reader.open(location());
    reader.execute("BEGIN");
    ASSERT_EQ(reader.scalar("SELECT count(*) FROM `" + kId + "`").toInt(), 0);
    frmTrovData* form = import(file);
    ASSERT_NE(form, nullptr);
    form->cmdAppend->click();
    reader.execute("ROLLBACK");
    EXPECT_TRUE(prompter.last().text.startsWith("The readings could not be stored ("));
    EXPECT_TRUE(prompter.last().text.endsWith("Nothing was appended to 120521001."));
    EXPECT_EQ(prompter.last().icon, MsgIcon::Critical);
    EXPECT_EQ(readingCount(kId), 0);
    EXPECT_TRUE(QFile::exists(path("downloads/QV" + kId + ".txt")));
    EXPECT_TRUE(logText().contains(" cmdAppend_Click"));
}

TEST_F(LoggerImportFileTest, AnEventTheLogRefusesTakesTheAppendBackWithIt) {
    addSensors({kId});
    exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2");
    addReadings(kId, {QDateTime(QDate(2013, 4, 1), QTime(8, 0))});
    openOnReadings();
    exec("INSERT INTO TriggerLevels (InstrumentID, AmberDisp, RedDisp) VALUES (?, 2, 4)", {kId});
    exec("CREATE TRIGGER refuse BEFORE INSERT ON TriggerEvents BEGIN SELECT RAISE(ABORT, 'the "
         "event log is full'); END");
    frmTrovData* form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    form->cmdAppend->click();
    EXPECT_TRUE(prompter.last().text.startsWith("The readings could not be stored ("));
    EXPECT_TRUE(prompter.last().text.contains("the event log is full"))
        << prompter.last().text.toStdString();
    EXPECT_EQ(readingCount(kId), 1);
    EXPECT_EQ(scalar("SELECT count(*) FROM TriggerEvents").toInt(), 0);
}

TEST_P(LoggerImportTest, AFailureAfterTheCommitIsToldAndTheStoredReadingsStand) {
    addSensors({kId});
    openOnReadings();
    window->state().onReadingsCommitted = [](const std::optional<QString>&) {
        throw DbError(3021, "the follow-up failed");
    };
    frmTrovData* form = import(loggerFile(kId + ".txt", kThreeDays));
    ASSERT_NE(form, nullptr);
    form->cmdAppend->click();
    EXPECT_EQ(prompter.last().text, "The append could not be finished (the follow-up failed). The "
                                    "Readings tab shows what was stored for 120521001.");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Critical);
    EXPECT_EQ(readingCount(kId), 3);
    EXPECT_TRUE(logText().contains("the follow-up failed cmdAppend_Click"));
}

TEST(LoggerProgressDialogTest, ShowsModalAfterHalfASecondAndCancelStopsTheWork) {
    QWidget main;
    main.show();
    LoggerProgressDialog progress(&main, [](qint64 done, qint64 total) {
        return QStringLiteral("Appending line %1 of %2").arg(done).arg(total);
    });
    const LoggerProgress step = progress.progress();
    EXPECT_TRUE(step(0, 100));
    EXPECT_FALSE(progress.dialog()->isVisible());
    QTest::qWait(600);
    EXPECT_TRUE(step(40, 100));
    ASSERT_TRUE(progress.dialog()->isVisible());
    EXPECT_TRUE(progress.dialog()->isModal());
    EXPECT_EQ(progress.dialog()->labelText(), "Appending line 40 of 100");
    EXPECT_EQ(progress.dialog()->value(), 400);
    progress.dialog()->cancel();
    EXPECT_FALSE(step(41, 100));
}

// Work run off the window's thread: its progress reaches the window's thread while it runs,
// a false answer there stops it, and what it raises is raised to the caller.
TEST(LoggerProgressDialogTest, OffThreadWorkReportsStopsAndRaises) {
    QThread* const window = QThread::currentThread();
    QThread* ranOn = nullptr;
    std::vector<qint64> seen;
    qint64 reached = 0;
    runOffThread(
        [&](qint64 done, qint64) {
            EXPECT_EQ(QThread::currentThread(), window);
            seen.push_back(done);
            return done < 50;
        },
        [&](const LoggerProgress& progress, const OnWindowThread&) {
            ranOn = QThread::currentThread();
            for (qint64 i = 0; i < 1000 && progress(i, 1000); ++i) {
                reached = i;
                QThread::msleep(2);
            }
        });
    EXPECT_NE(ranOn, window);
    EXPECT_FALSE(seen.empty());
    EXPECT_LT(reached, 999); // stopped once the window's side said so
    EXPECT_GE(reached, 50);

    EXPECT_THROW(runOffThread({},
                              [](const LoggerProgress&, const OnWindowThread&) {
                                  throw DbError(ErrorCode::FileNotFound, "gone");
                              }),
                 DbError);
}

// Tasks the work hands to the window's thread run there one at a time, in the work's order,
// the work waiting for each; what one raises reaches the work.
TEST(LoggerProgressDialogTest, OffThreadWorkHandsTasksToTheWindowsThreadInOrder) {
    QThread* const window = QThread::currentThread();
    QList<QThread*> ranOn;
    QStringList asked;
    QStringList answered;
    bool raised = false;
    runOffThread({}, [&](const LoggerProgress&, const OnWindowThread& onWindow) {
        for (const QString question : {"first", "second", "third"}) {
            QString answer;
            onWindow([&] {
                ranOn << QThread::currentThread();
                asked << question;
                answer = question.toUpper();
            });
            answered << answer;
        }
        try {
            onWindow([] { throw DbError(ErrorCode::FileNotFound, "gone"); });
        } catch (const DbError&) {
            raised = true;
        }
    });
    EXPECT_EQ(ranOn, QList<QThread*>(3, window));
    EXPECT_EQ(asked, QStringList({"first", "second", "third"}));
    EXPECT_EQ(answered, QStringList({"FIRST", "SECOND", "THIRD"}));
    EXPECT_TRUE(raised);
}

INSTANTIATE_ON_BOTH_ENGINES(LoggerImportTest);
