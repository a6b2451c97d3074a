#include "reports/ReportCommand.h"
#include "ChartPicture.h"
#include "DocxReader.h"
#include "readings/ReadingsPage.h"
#include "reports/frmReport.h"
#include "store/Connection.h"
#include "store/TriggerTables.h"
#include "support/MainWindowFixture.h"
#include "triggers/TriggerLevels.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

const QString kSensor = QStringLiteral("120541001"); // three nodes

// The report command through the main window: the chooser, the charts drawn off screen from
// the sensor's readings and the document opened with the desktop's handler.
class ReportCommandTest : public OnBothEngines<MainWindowTest> {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        addSensors({kSensor});
        Connection c;
        c.open(location());
        c.execute("UPDATE Sensors SET Recess = 0.25, LengthofCable = 7, kval = 50, "
                  "NodeLocation1 = 1, NodeLocation2 = 3, NodeLocation3 = 6, Level = '1040 L', "
                  "Notes = 'Checked' WHERE InstrumentID = ?",
                  {kSensor});
        reading(c, "2026-11-02 08:00:00", {"10", "11", "12"});
        reading(c, "2026-11-20 08:00:00", {"12.5", "14", "16.25"});
        QImage logo(240, 80, QImage::Format_RGB32);
        logo.fill(Qt::darkBlue);
        logo.save(QDir(folder()).filePath("ovlogo.jpg"), "JPG");
    }

    static void reading(Connection& c, const QString& fullDate, const QStringList& channels) {
        const QString date = fullDate.left(10).replace('-', '/');
        c.execute(QStringLiteral("INSERT INTO \"%1\" (DateTimeKey, FullDate, ReadingDate, "
                                 "ReadingTime, ChannelT, Channel1, Channel2, Channel3, "
                                 "Plottemporal, PlotSpatial) VALUES (?, ?, ?, ?, '21.5', ?, ?, ?, "
                                 "1, 1)")
                      .arg(kSensor),
                  {kSensor + " " + date + " " + fullDate.mid(11), fullDate, date, fullDate.mid(11),
                   channels[0], channels[1], channels[2]});
    }

    frmQuorvelle& onReadings() {
        frmQuorvelle& w = open();
        w.SSTab1->setCurrentIndex(2);
        prompter.clear();
        return w;
    }

    // Clicks the Report caption and closes the chooser with the given button.
    frmReport* runReport(frmQuorvelle& w, const char* button) {
        emit w.readings->report.caption->clicked();
        auto* chooser = w.findChild<frmReport*>("frmReport");
        EXPECT_NE(chooser, nullptr);
        if (chooser != nullptr) {
            EXPECT_TRUE(chooser->isVisible());
            chooser->findChild<QPushButton*>(button)->click();
        }
        return chooser;
    }

    QString file(const QString& name) const { return QDir(folder()).filePath(name); }
};

TEST_P(ReportCommandTest, ChooserOffersTheContentsAllTicked) {
    frmQuorvelle& w = onReadings();
    EXPECT_TRUE(w.readings->report.image->isEnabled());
    emit w.readings->report.image->clicked();
    auto* chooser = w.findChild<frmReport*>("frmReport");
    ASSERT_NE(chooser, nullptr);

    EXPECT_EQ(chooser->windowTitle(), "Quorvelle Reporting");
    EXPECT_EQ(chooser->Label1->text(), "Select the contents to include in the report:");
    EXPECT_EQ(chooser->findChild<QGroupBox*>("Frame1")->title(), "Plots:");
    for (const char* name : {"chkCover", "chkTemp", "chkSpatial"}) {
        EXPECT_TRUE(chooser->findChild<QCheckBox*>(name)->isChecked()) << name;
    }
    EXPECT_EQ(chooser->chkCover->text(), "Sensor Information Cover Page");
    EXPECT_EQ(chooser->chkTemp->text(), "Disp v Time");
    EXPECT_EQ(chooser->chkSpatial->text(), "Disp v Length");
    EXPECT_EQ(chooser->cmdOK->text(), "OK");
    EXPECT_EQ(chooser->cmdCancel->text(), "Cancel");
    chooser->cmdCancel->click();
}

TEST_P(ReportCommandTest, CancelMakesNothing) {
    frmQuorvelle& w = onReadings();
    const frmReport* chooser = runReport(w, "cmdCancel");

    EXPECT_FALSE(chooser->ReportAccepted);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(file("Reports")));
    EXPECT_FALSE(QFileInfo::exists(file("Temporal.jpg")));
}

TEST_P(ReportCommandTest, OkWritesTheReportWithBothChartsAndOpensIt) {
    frmQuorvelle& w = onReadings();
    runReport(w, "cmdOK");

    ASSERT_EQ(desktop.opened.size(), 1);
    const QString path = desktop.opened[0];
    EXPECT_EQ(path, file("Reports/120541001 2026-12-08 09.30.00.docx"));
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(w.SSTab1->currentIndex(), 2);

    const DocxReader doc(path);
    const QStringList texts = doc.bodyTexts();
    EXPECT_EQ(texts.value(2), "REPORT FOR SENSOR 120541001");
    EXPECT_EQ(texts.value(6), "   Sensor Type: k1VARLO EX");
    EXPECT_EQ(texts.value(9), "   Level: 1040 L");
    EXPECT_EQ(texts.value(12), "   Notes: Checked");
    EXPECT_EQ(texts.mid(13), (QStringList{"<page>", "Disp v Time", "<picture>", "   Notes:",
                                          "<page>", "Disp v Length", "<picture>", "   Notes:"}));

    // The pictures are the charts written into the data folder, drawn at a fixed size.
    QFile temporal(file("Temporal.jpg"));
    ASSERT_TRUE(temporal.open(QIODevice::ReadOnly));
    EXPECT_EQ(doc.media.value(doc.body[15].pictures.value(0)), temporal.readAll());
    const QImage spatial(file("Spatial.jpg"));
    EXPECT_GT(spatial.width(), 800);
    EXPECT_GT(spatial.height(), 500);
    // The batch stored the displacements the charts drew.
    EXPECT_TRUE(logText().isEmpty());
}

TEST_P(ReportCommandTest, TheTimeChartCarriesTheSensorsTriggerLevels) {
    {
        Connection c;
        c.open(location());
        createTriggerTables(c);
        TriggerLevels levels;
        levels.amberDisp = 1.0; // as the command line's report test sets them
        levels.redDisp = 2.0;
        writeTriggerLevels(c, kSensor, levels);
    }
    frmQuorvelle& w = onReadings();
    runReport(w, "cmdOK");

    ASSERT_EQ(desktop.opened.size(), 1);
    const DocxReader doc(desktop.opened[0]);
    EXPECT_GT(amberLevelPixels(doc.media.value(doc.body.value(15).pictures.value(0))), 300);
    EXPECT_EQ(amberLevelPixels(doc.media.value(doc.body.value(19).pictures.value(0))), 0);
}

TEST_P(ReportCommandTest, TicksKeepTheirStateBetweenUses) {
    frmQuorvelle& w = onReadings();
    emit w.readings->report.image->clicked();
    auto* chooser = w.findChild<frmReport*>("frmReport");
    chooser->chkTemp->setChecked(false);
    chooser->chkCover->setChecked(false);
    chooser->cmdOK->click();

    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(DocxReader(desktop.opened[0]).bodyTexts(),
              (QStringList{"Disp v Length", "<picture>", "   Notes:"}));
    EXPECT_FALSE(QFileInfo::exists(file("Temporal.jpg")));

    emit w.readings->report.image->clicked();
    EXPECT_EQ(w.findChild<frmReport*>("frmReport"), chooser);
    EXPECT_FALSE(chooser->chkTemp->isChecked());
    EXPECT_FALSE(chooser->chkCover->isChecked());
    EXPECT_TRUE(chooser->chkSpatial->isChecked());
    chooser->cmdOK->click();
    ASSERT_EQ(desktop.opened.size(), 2);
    EXPECT_NE(desktop.opened[1], desktop.opened[0]);
}

TEST_P(ReportCommandTest, AChartWithoutTwoTickedReadingsIsLeftOutWithTheTabsMessage) {
    exec("UPDATE \"120541001\" SET PlotSpatial = 0 WHERE FullDate LIKE '2026-11-02%'");
    frmQuorvelle& w = onReadings();
    runReport(w, "cmdOK");

    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, kOmbrevaultTitle);
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);
    EXPECT_EQ(prompter.last().text,
              "You must have at least 2 readings to view the plot.\r\n\r\nIf you have at least 2 "
              "readings in the database, ensure the Plot Spatial box on the Readings Tab is "
              "checked in each case.");
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(DocxReader(desktop.opened[0]).bodyTexts().mid(13),
              (QStringList{"<page>", "Disp v Time", "<picture>", "   Notes:"}));
    EXPECT_FALSE(QFileInfo::exists(file("Spatial.jpg")));

    // One ticked reading: both charts are left out, each with its message; the cover stays.
    exec("UPDATE \"120541001\" SET Plottemporal = 0 WHERE FullDate LIKE '2026-11-02%'");
    prompter.clear();
    runReport(w, "cmdOK");
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_TRUE(prompter.calls[0].text.endsWith("ensure the Plot Temporal box on the Readings "
                                                "Tab is checked in each case."));
    EXPECT_TRUE(prompter.calls[1].text.contains("Plot Spatial"));
    ASSERT_EQ(desktop.opened.size(), 2);
    const DocxReader doc(desktop.opened[1]);
    EXPECT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(doc.bodyTexts().value(2), "REPORT FOR SENSOR 120541001");
    EXPECT_EQ(doc.bodyTexts().size(), 13);
    EXPECT_TRUE(logText().isEmpty());
}

TEST_P(ReportCommandTest, WithNothingToOpenItTheUserIsToldWhereTheReportIs) {
    desktop.succeed = false;
    frmQuorvelle& w = onReadings();
    runReport(w, "cmdOK");

    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, kOmbrevaultTitle);
    EXPECT_EQ(prompter.last().text,
              "No word processor could be found to open the report. It was saved as:\r\n" +
                  QDir::toNativeSeparators(file("Reports/120541001 2026-12-08 09.30.00.docx")));
    EXPECT_TRUE(QFileInfo::exists(desktop.opened.value(0)));
}

TEST_P(ReportCommandTest, AMissingLogoIsReportedAndLogged) {
    QFile::remove(file("ovlogo.jpg"));
    frmQuorvelle& w = onReadings();
    runReport(w, "cmdOK");

    EXPECT_TRUE(desktop.opened.isEmpty());
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_TRUE(prompter.last().text.startsWith("The report could not be made:\r\n"));
    EXPECT_TRUE(logText().contains(" imgReport_Click"));
}

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(ReportCommandTest);
