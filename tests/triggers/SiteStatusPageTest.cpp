#include "triggers/SiteStatusPage.h"
#include "app/UtilitiesPage.h"
#include "charts/ChartPage.h"
#include "charts/ChartTabs.h"
#include "charts/ChartWidget.h"
#include "readings/GridExport.h"
#include "readings/ReadingsFixture.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "sensors/SensorFilterPanel.h"
#include "store/Connection.h"
#include "store/TriggerTables.h"
#include "support/FaultConditions.h"
#include "support/XlsxReader.h"
#include "triggers/ResponsePlan.h"
#include "triggers/TriggerEvents.h"
#include "triggers/TriggerLevelsBlock.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>

namespace {

const QString kRed = QStringLiteral("120521001");
const QString kGreen = QStringLiteral("120531002");
const QString kGrey = QStringLiteral("120521003");

class SiteStatusPageTest : public OnBothEngines<ReadingsTest> {
protected:
    // Sensors with one node, head at the toe, so that the displacement is the node's change.
    void addToeSensors(const QStringList& ids) {
        addSensors(ids);
        for (const QString& id : ids) {
            exec("UPDATE Sensors SET HeadLocation = 0, LengthofCable = 5, NodeLocation1 = 2, "
                 "Level = '1040 Level' WHERE InstrumentID = ?",
                 {id});
        }
    }

    void setLevels(const QString& key, double amber, double red) {
        Connection db;
        db.open(location());
        createTriggerTables(db);
        TriggerLevels levels;
        levels.amberDisp = amber;
        levels.redDisp = red;
        writeTriggerLevels(db, key, levels);
    }

    SiteStatusPage& statusTab() {
        window->SSTab1->setCurrentIndex(8);
        return *window->siteStatus;
    }

    static QString cell(const QTableView* table, int r, int c) {
        return table->model()->index(r, c).data().toString();
    }
    static int rowCount(const QTableView* table) { return table->model()->rowCount(); }
    static QColor background(const QTableView* table, int r, int c) {
        return table->model()->index(r, c).data(Qt::BackgroundRole).value<QColor>();
    }

    QStringList column(QTableView* table, int c) {
        QStringList texts;
        for (int r = 0; r < rowCount(table); ++r) {
            texts << cell(table, r, c);
        }
        return texts;
    }
    // A red, a green and a grey sensor (too few readings) under site levels of 10 and 20 mm.
    void openRedGreenAndGrey() {
        addToeSensors({kRed, kGreen, kGrey});
        addReadings(kRed, {QDateTime(QDate(2026, 12, 1), QTime(8, 0)),
                           QDateTime(QDate(2026, 12, 2), QTime(8, 0))});
        exec("UPDATE \"120521001\" SET Channel1 = '31.00' WHERE FullDate LIKE '2026-12-02%'");
        addReadings(kGreen, {QDateTime(QDate(2026, 12, 1), QTime(8, 0)),
                             QDateTime(QDate(2026, 12, 7), QTime(8, 0))});
        addReadings(kGrey, {QDateTime(QDate(2026, 12, 1), QTime(8, 0))});
        setLevels(kSiteDefaultKey, 10, 20);
        open();
    }
};

} // namespace

TEST_P(SiteStatusPageTest, TheTableShowsEverySensorOfTheFilteredRegister) {
    openRedGreenAndGrey();

    SiteStatusPage& page = statusTab();
    EXPECT_EQ(window->SSTab1->tabText(8), "9. Site Status");
    QTableView* table = page.tblSiteStatus;
    ASSERT_EQ(rowCount(table), 3);
    table->sortByColumn(ColSensor, Qt::AscendingOrder);
    EXPECT_EQ(column(table, ColSensor), (QStringList{kRed, kGrey, kGreen}));
    EXPECT_EQ(column(table, ColState), (QStringList{"Red", "Grey", "Green"}));
    EXPECT_EQ(column(table, 7), (QStringList{"30.00", "", "1.00"}));
    EXPECT_EQ(column(table, 8), (QStringList{"Node 1 (3.00 m)", "", "Node 1 (3.00 m)"}));
    EXPECT_EQ(background(table, 0, ColState), QColor(0xE5, 0x39, 0x35));
    EXPECT_EQ(page.lblStatusSummary->text(),
              "3 sensors: 1 red, 0 amber, 1 green, 1 grey; 0 overdue");

    // Sorting by state puts the worst last.
    table->sortByColumn(ColState, Qt::AscendingOrder);
    EXPECT_EQ(column(table, ColState), (QStringList{"Grey", "Green", "Red"}));

    // The sensor filter narrows the table as it narrows the register.
    auto* filter = window->utilities->filterFrame->findChild<SensorFilterPanel*>("filterPanel");
    ASSERT_NE(filter, nullptr);
    filter->txtFilterType->setEditText("21");
    window->SSTab1->setCurrentIndex(7);
    emit filter->imgFilter.image->clicked();
    statusTab();
    table->sortByColumn(ColSensor, Qt::AscendingOrder);
    EXPECT_EQ(column(table, ColSensor), (QStringList{kRed, kGrey}));

    // A double click shows the sensor on the first tab.
    const int row = column(table, ColSensor).indexOf(kGrey);
    emit table->doubleClicked(table->model()->index(row, 3));
    EXPECT_EQ(window->SSTab1->currentIndex(), 0);
    EXPECT_EQ(window->identification->txtSensor->text(), kGrey);

    // The exported workbook goes to the desktop's handler.
    statusTab();
    page.cmdExportStatus->click();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_TRUE(desktop.opened.last().endsWith(".xlsx"));
    page.cmdPrintStatus->click();
    ASSERT_EQ(desktop.opened.size(), 2);
    EXPECT_TRUE(desktop.opened.last().endsWith(".pdf"));
    EXPECT_GT(QFileInfo(desktop.opened.last()).size(), 1000);
}

TEST_P(SiteStatusPageTest, TheExportFollowsTheTableAsSortedOnScreen) {
    openRedGreenAndGrey();
    SiteStatusPage& page = statusTab();
    QTableView* table = page.tblSiteStatus;
    table->sortByColumn(ColState, Qt::DescendingOrder);
    ASSERT_EQ(column(table, ColState), (QStringList{"Red", "Green", "Grey"}));
    // The selection is read through the sorting too.
    table->selectRow(2);
    EXPECT_EQ(page.selectedSensors(), QStringList{kGrey});

    page.cmdExportStatus->click();
    ASSERT_EQ(desktop.opened.size(), 1);
    const XlsxReader book(desktop.opened[0]);
    EXPECT_EQ(book.text(0, 1, ColState + 1), "State");
    QStringList sensors;
    QStringList states;
    for (int r = 2; r <= book.rowCount(0); ++r) {
        sensors << book.text(0, r, ColSensor + 1);
        states << book.text(0, r, ColState + 1);
    }
    EXPECT_EQ(sensors, (QStringList{kRed, kGreen, kGrey}));
    EXPECT_EQ(states, (QStringList{"Red", "Green", "Grey"}));
}

TEST_P(SiteStatusPageTest, ThePrintedTableIsHeadedWithTheMomentInTheRegistersForm) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    addToeSensors({kRed});
    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5)));
    open();
    statusTab().cmdPrintStatus->click();
    ASSERT_EQ(desktop.opened.size(), 1);
    QProcess text;
    text.start("pdftotext", {desktop.opened[0], "-"});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains("2026/12/08 09:30:05")) << printed.toStdString();
}

TEST_P(SiteStatusPageTest, ADestroyedSensorIsShownApartAndNeverJudged) {
    addToeSensors({kRed, kGreen});
    exec("UPDATE Sensors SET Destroyed = 'Yes' WHERE InstrumentID = ?", {kRed});
    for (const QString& id : {kRed, kGreen}) {
        addReadings(id, {QDateTime(QDate(2025, 12, 1), QTime(8, 0)),
                         QDateTime(QDate(2025, 12, 4), QTime(8, 0))});
        exec("UPDATE " + quoteName(id) +
             " SET Channel1 = '31.00' WHERE FullDate LIKE '2025-12-04%'");
    }
    setLevels(kSiteDefaultKey, 10, 20);
    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    frmQuorvelle& w = open();
    w.identification->cboSensors->setEditText(kRed);
    emit w.identification->cboSensors->activated(0);
    ASSERT_EQ(w.identification->txtSensor->text(), kRed);
    w.SSTab1->setCurrentIndex(2);
    prompter.clear();

    // A reading typed on the destroyed sensor raises no event.
    click("imgAddReading");
    page().txtChannel[0]->setText("44.50");
    window->SSTab1->setCurrentIndex(0);
    EXPECT_TRUE(prompter.calls.isEmpty()) << prompter.last().text.toStdString();
    EXPECT_EQ(scalar("SELECT count(*) FROM TriggerEvents").toInt(), 0);

    QTableView* table = statusTab().tblSiteStatus;
    ASSERT_EQ(rowCount(table), 2);
    // The register's first sensor, listed after the judged one.
    EXPECT_EQ(column(table, ColSensor), (QStringList{kGreen, kRed}));
    EXPECT_EQ(column(table, ColState), (QStringList{"Red", "Destroyed"}));
    EXPECT_EQ(column(table, ColDaysSince)[1], "0.0");
    EXPECT_EQ(background(table, 1, ColState), QColor(0x90, 0xA4, 0xAE));
    EXPECT_EQ(statusTab().lblStatusSummary->text(),
              "2 sensors: 1 red, 0 amber, 0 green, 0 grey, 1 destroyed; 0 overdue");
    // Sorting either way keeps it after the judged ones.
    table->sortByColumn(ColState, Qt::DescendingOrder);
    EXPECT_EQ(column(table, ColState), (QStringList{"Red", "Destroyed"}));
    table->sortByColumn(ColSensor, Qt::AscendingOrder);
    EXPECT_EQ(column(table, ColSensor), (QStringList{kGreen, kRed}));
}

TEST_P(SiteStatusPageTest, PrintingToAFullDiskSaysSoAndLeavesNoFile) {
    addToeSensors({kRed});
    open();
    SiteStatusPage& page = statusTab();
    FullDisk disk(exportFolder(folder()));
    if (!disk.mounted()) {
        GTEST_SKIP() << "no small file system can be mounted here (it needs root)";
    }
    disk.fill();
    prompter.clear();

    page.cmdPrintStatus->click();
    ASSERT_EQ(prompter.calls.size(), 1);
    const QString path = QDir(disk.folder()).filePath("Site Status 2026-12-08 09.30.00.pdf");
    EXPECT_TRUE(prompter.last().text.startsWith("The site status " + path + " was not written: "))
        << prompter.last().text.toStdString();
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_EQ(QDir(disk.folder()).entryList(QDir::Files), QStringList{"filler"});
}

TEST_P(SiteStatusPageTest, AReadingTypedOverALevelIsReportedOnceLoggedAndAcknowledged) {
    addToeSensors({kRed});
    addReadings(kRed, {QDateTime(QDate(2026, 12, 1), QTime(8, 0))});
    setLevels(kRed, 10, 20);
    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    openOnReadings();
    prompter.clear();

    click("imgAddReading");
    page().txtChannel[0]->setText("24.50");
    window->SSTab1->setCurrentIndex(0);
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "Sensor 120521001 reached RED: 23.5 mm at Node 1 (3.00 m)")
        << prompter.last().text.toStdString();
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);

    // Saving the reading again tells nothing more.
    window->SSTab1->setCurrentIndex(2);
    window->SSTab1->setCurrentIndex(0);
    EXPECT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(scalar("SELECT count(*) FROM TriggerEvents").toInt(), 1);
    EXPECT_EQ(scalar("SELECT DateTimeKey FROM TriggerEvents").toString(),
              kRed + " 2026/12/08 09:30:00");
    EXPECT_EQ(scalar("SELECT DetectedAt FROM TriggerEvents").toString(), "2026-12-08 09:30:00");
    EXPECT_EQ(scalar("SELECT DetectedBy FROM TriggerEvents").toString(), loginName());

    SiteStatusPage& status = statusTab();
    ASSERT_EQ(rowCount(status.tblTriggerEvents), 1);
    EXPECT_EQ(cell(status.tblTriggerEvents, 0, 2), "RED");
    // Stored as "2026-12-08 09:30:00", shown in the register's form.
    EXPECT_EQ(cell(status.tblTriggerEvents, 0, 0), "2026/12/08 09:30:00");
    status.cmdAcknowledge->click();
    EXPECT_EQ(prompter.last().text, "Select the events to acknowledge.");
    status.tblTriggerEvents->selectRow(0);
    // Closing waits for the acknowledgement, and asks nothing before it is there.
    prompter.clear();
    status.cmdCloseEvent->click();
    ASSERT_EQ(prompter.calls.size(), 1);
    const QString id = scalar("SELECT EventID FROM TriggerEvents").toString();
    EXPECT_EQ(prompter.last().text,
              "Event " + id + " is not acknowledged: only an acknowledged event can be closed.");
    prompter.inputs.enqueue(QStringLiteral("Area barricaded"));
    status.cmdAcknowledge->click();
    // Acknowledged, the event stays listed until it is closed.
    ASSERT_EQ(rowCount(status.tblTriggerEvents), 1);
    EXPECT_EQ(cell(status.tblTriggerEvents, 0, 3), "Acknowledged");
    EXPECT_EQ(cell(status.tblTriggerEvents, 0, 7), "2026/12/08 09:30:00 by " + loginName());
    EXPECT_EQ(status.lblEvents->text(), "Open Events: 1 (0 unacknowledged)");
    EXPECT_EQ(scalar("SELECT AckNote FROM TriggerEvents").toString(), "Area barricaded");
    EXPECT_EQ(scalar("SELECT AckBy FROM TriggerEvents").toString(), loginName());

    // A close without the actions taken is refused; cancelling the second question stores
    // nothing.
    status.tblTriggerEvents->selectRow(0);
    prompter.clear();
    prompter.inputs.enqueue(QStringLiteral(" "));
    status.cmdCloseEvent->click();
    EXPECT_EQ(prompter.last().text, "The event is not closed: say what actions were taken.");
    prompter.inputs.enqueue(QStringLiteral("Scaled and bolted"));
    prompter.inputs.enqueue(std::nullopt);
    status.cmdCloseEvent->click();
    EXPECT_EQ(scalar("SELECT count(*) FROM TriggerEventClosures").toInt(), 0);

    prompter.clear();
    prompter.inputs.enqueue(QStringLiteral("Scaled and bolted"));
    prompter.inputs.enqueue(QStringLiteral("Open after the shift's inspection"));
    status.cmdCloseEvent->click();
    EXPECT_EQ(prompter.calls.size(), 2) << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(prompter.calls[0].title, "Close Event");
    EXPECT_EQ(prompter.calls[0].text, "Actions taken:");
    EXPECT_EQ(rowCount(status.tblTriggerEvents), 0);
    EXPECT_EQ(scalar("SELECT ActionsTaken FROM TriggerEventClosures").toString(),
              "Scaled and bolted");
    EXPECT_EQ(scalar("SELECT ReentryNote FROM TriggerEventClosures").toString(),
              "Open after the shift's inspection");
    EXPECT_EQ(scalar("SELECT ClosedBy FROM TriggerEventClosures").toString(), loginName());
}

TEST_P(SiteStatusPageTest, TheSelectedEventShowsTheResponsePlanThatAppliesToIt) {
    addToeSensors({kRed});
    addReadings(kRed, {QDateTime(QDate(2026, 12, 1), QTime(8, 0))});
    setLevels(kRed, 10, 20);
    exec("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, Level, "
         "DetectedAt, DetectedBy) VALUES (?, ?, 'RED', 'Displacement', 23.5, 20, "
         "'2026-12-08 09:00:00', 'nightshift')",
         {kRed, kRed + " 2026/12/08 09:00:00"});
    {
        Connection db;
        db.open(location());
        writeResponsePlan(db, kSiteDefaultKey, TriggerState::Red,
                          {"Barricade the area", "Shift boss", 2});
    }
    open();
    SiteStatusPage& status = statusTab();
    ASSERT_EQ(rowCount(status.tblTriggerEvents), 1);
    EXPECT_EQ(cell(status.tblTriggerEvents, 0, 3), "Open");
    EXPECT_EQ(cell(status.tblTriggerEvents, 0, 6),
              "Act: Barricade the area; Who: Shift boss; Within 2 hours");
    EXPECT_EQ(status.lblEventDetail->text(), "Select an event to see its response plan.");
    status.tblTriggerEvents->selectRow(0);
    const QString id = scalar("SELECT EventID FROM TriggerEvents").toString();
    EXPECT_EQ(status.lblEventDetail->text(),
              "Event " + id +
                  ", RED response plan: Act: Barricade the area; Who: Shift boss; Within 2 hours.");
}

TEST_P(SiteStatusPageTest, AReadingTypedWhileTheEventLogIsHeldIsNotSavedUntilBothCanBe) {
    addToeSensors({kRed});
    addReadings(kRed, {QDateTime(QDate(2026, 12, 1), QTime(8, 0))});
    setLevels(kRed, 10, 20);
    clock_.set(QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    const ShortBusyTimeout shortWait;
    openOnReadings();
    click("imgAddReading");
    const QString typed = kRed + " 2026/12/08 09:30:00";
    prompter.clear();

    auto holder = std::make_unique<EventLogHolder>(location());
    page().txtChannel[0]->setText("24.50");
    window->SSTab1->setCurrentIndex(0);
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_TRUE(prompter.last().text.startsWith("The reading " + typed + " was not saved: "))
        << prompter.last().text.toStdString();
    holder.reset();
    EXPECT_EQ(stored(kRed, typed, "Channel1").toString(), "");
    EXPECT_EQ(scalar("SELECT count(*) FROM TriggerEvents").toInt(), 0);

    // Typed again once the log is free: the reading and its event, told after the commit.
    int eventsWhenTold = -1;
    prompter.onMessage = [&](const ScriptedPrompter::Call& call) {
        if (call.text.startsWith("Sensor ")) {
            eventsWhenTold = scalar("SELECT count(*) FROM TriggerEvents").toInt();
        }
    };
    window->SSTab1->setCurrentIndex(2);
    page().txtChannel[0]->setText("24.50");
    window->SSTab1->setCurrentIndex(0);
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_EQ(prompter.last().text, "Sensor 120521001 reached RED: 23.5 mm at Node 1 (3.00 m)");
    EXPECT_EQ(eventsWhenTold, 1);
    EXPECT_EQ(stored(kRed, typed, "Channel1").toString(), "24.50");
    EXPECT_EQ(scalar("SELECT DateTimeKey FROM TriggerEvents").toString(), typed);
}

TEST_P(SiteStatusPageTest, LevelBoxesRefuseBadTextsAndStoreGoodOnesAtOnce) {
    addToeSensors({kRed});
    open();
    window->SSTab1->setCurrentIndex(1);
    TriggerLevelsBlock& block = *window->installation->triggerLevels;
    prompter.clear();

    block.box(LevelField::RedDisp)->setText("abc");
    emit block.box(LevelField::RedDisp)->editingFinished();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "Red displacement must be a number, or empty for no level.");
    EXPECT_EQ(block.box(LevelField::RedDisp)->text(), "");

    block.box(LevelField::RedDisp)->setText("20");
    emit block.box(LevelField::RedDisp)->editingFinished();
    EXPECT_EQ(scalar("SELECT RedDisp FROM TriggerLevels WHERE InstrumentID = ?", {kRed}).toDouble(),
              20.0);
    block.box(LevelField::AmberDisp)->setText("25");
    emit block.box(LevelField::AmberDisp)->editingFinished();
    EXPECT_EQ(prompter.last().text, "Red displacement must not be below amber displacement.");
    EXPECT_TRUE(
        scalar("SELECT AmberDisp FROM TriggerLevels WHERE InstrumentID = ?", {kRed}).isNull());

    // A box left with a new text when the tab changes is stored too.
    block.box(LevelField::ReadingInterval)->setText("2");
    window->SSTab1->setCurrentIndex(0);
    EXPECT_EQ(
        scalar("SELECT ReadingInterval FROM TriggerLevels WHERE InstrumentID = ?", {kRed}).toInt(),
        2);

    // The site default lives on the Utilities tab.
    window->SSTab1->setCurrentIndex(7);
    TriggerLevelsBlock& site = *window->utilities->siteLevels;
    EXPECT_EQ(site.box(LevelField::AmberRate)->objectName(), "txtSiteAmberRate");
    site.box(LevelField::AmberRate)->setText("-2");
    emit site.box(LevelField::AmberRate)->editingFinished();
    EXPECT_EQ(prompter.last().text, "Amber rate must not be negative.");
    site.box(LevelField::AmberRate)->setText("1.5");
    emit site.box(LevelField::AmberRate)->editingFinished();
    EXPECT_EQ(scalar("SELECT AmberRate FROM TriggerLevels WHERE InstrumentID = '*'").toDouble(),
              1.5);
}

TEST_P(SiteStatusPageTest, EmptyLevelBoxesShowWhatAppliesInsteadAndWhereItComesFrom) {
    addToeSensors({kRed});
    setLevels(kSiteDefaultKey, 10, 20);
    setLevels(kRed, 12, 22);
    exec("UPDATE TriggerLevels SET AmberDisp = NULL WHERE InstrumentID = ?", {kRed});
    open();
    window->SSTab1->setCurrentIndex(1);
    TriggerLevelsBlock& block = *window->installation->triggerLevels;
    const auto placeholder = [](TriggerLevelsBlock& b, LevelField f) {
        return b.box(f)->placeholderText();
    };
    EXPECT_EQ(block.box(LevelField::AmberDisp)->text(), "");
    EXPECT_EQ(placeholder(block, LevelField::AmberDisp), "10");
    EXPECT_EQ(block.box(LevelField::AmberDisp)->toolTip(), "Empty: 10 mm from the site default.");
    EXPECT_EQ(block.box(LevelField::RedDisp)->text(), "22");
    EXPECT_EQ(placeholder(block, LevelField::AmberRate), "");
    EXPECT_EQ(block.box(LevelField::AmberRate)->toolTip(),
              "Empty: no level, as the site default sets none.");
    EXPECT_EQ(placeholder(block, LevelField::RateWindow), "7");
    EXPECT_EQ(block.box(LevelField::RateWindow)->toolTip(),
              "Empty: the program's default of 7 days.");
    auto* note = block.findChild<QLabel*>("lblTriggerLevelsSource");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "Empty boxes take the site default.");

    // The site default's own boxes fall back on the program alone.
    window->SSTab1->setCurrentIndex(7);
    TriggerLevelsBlock& site = *window->utilities->siteLevels;
    EXPECT_EQ(placeholder(site, LevelField::AmberRate), "");
    EXPECT_EQ(placeholder(site, LevelField::RateWindow), "7");
    EXPECT_EQ(site.findChild<QLabel*>("lblSiteTriggerLevelsSource")->text(),
              "Empty boxes set no level; an empty rate window is 7 days.");
    site.box(LevelField::RateWindow)->setText("14");
    emit site.box(LevelField::RateWindow)->editingFinished();
    site.box(LevelField::AmberRate)->setText("0.5");
    emit site.box(LevelField::AmberRate)->editingFinished();

    // A sensor shown again takes the site default as it now stands.
    window->SSTab1->setCurrentIndex(1);
    EXPECT_EQ(placeholder(block, LevelField::RateWindow), "14");
    EXPECT_EQ(block.box(LevelField::RateWindow)->toolTip(),
              "Empty: 14 days from the site default.");
    EXPECT_EQ(placeholder(block, LevelField::AmberRate), "0.5");
}

TEST_P(SiteStatusPageTest, FilesNoProgramCanOpenAreSaidWithWhereTheyWereSaved) {
    addToeSensors({kRed});
    open();
    desktop.succeed = false;
    prompter.clear();
    SiteStatusPage& page = statusTab();
    const QString tail = QStringLiteral(". It was saved as:\r\n");

    page.cmdExportStatus->click();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_TRUE(QFileInfo(desktop.opened.last()).isFile());
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"No spreadsheet program could be found to open the workbook" + tail +
                           QDir::toNativeSeparators(desktop.opened.last())}));
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);

    prompter.clear();
    page.cmdPrintStatus->click();
    ASSERT_EQ(desktop.opened.size(), 2);
    EXPECT_TRUE(QFileInfo(desktop.opened.last()).isFile());
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"No PDF viewer could be found to open the document" + tail +
                           QDir::toNativeSeparators(desktop.opened.last())}));
}

TEST_P(SiteStatusPageTest, TheTimeChartDrawsTheDisplacementLevelsAsDashedLines) {
    addToeSensors({kRed});
    addReadings(kRed, {QDateTime(QDate(2026, 12, 1), QTime(8, 0)),
                       QDateTime(QDate(2026, 12, 2), QTime(8, 0))});
    setLevels(kRed, 10, 20);
    open();
    window->SSTab1->setCurrentIndex(3);
    ChartWidget& chart = *window->chartTabs->page(ChartPage::Kind::DispTime)->chart();
    const QStringList legend = chart.legendEntries();
    ASSERT_GE(legend.size(), 2);
    EXPECT_EQ(legend.mid(legend.size() - 2), (QStringList{"Amber", "Red"}));
    const QList<QPointF> red = chart.levelSeries(1)->points();
    ASSERT_EQ(red.size(), 2);
    EXPECT_EQ(red[0].y(), 20.0);
    EXPECT_EQ(red[1].y(), 20.0);
    EXPECT_EQ(chart.levelSeries(1)->pen().style(), Qt::DashLine);
    // The value axis stays as the scale table sets it from the plotted displacements (the
    // temperature has its own axis): the 20 mm line does not stretch it.
    EXPECT_LT(chart.axisSpec(ChartWidget::Axis::Y).max, 20.0);
}

INSTANTIATE_ON_BOTH_ENGINES(SiteStatusPageTest);
