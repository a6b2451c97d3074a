#include "app/frmQuorvelle.h"
#include "charts/ChartPage.h"
#include "charts/ChartWidget.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "sensors/SensorForm.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/Schema.h"
#include "support/MainWindowFixture.h"
#include "support/PrivateServer.h"
#include "ui/ClickableLabel.h"
#include "ui/ServerReachability.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>

namespace {
// The main window on a register of a server of the test's own, which the test stops and
// starts again under it: two sensors, the second current with two readings for the charts.
class ServerRestartWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (!server.available()) {
            GTEST_SKIP() << server.reason().toStdString();
        }
        Connection db;
        db.open(server.uri());
        createSchema(db);
        for (const QString id : {"120521001", "120521002"}) {
            db.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, SensorNo, "
                       "Family, Model, InstallDate, Destroyed, HeadLocation, LengthofCable, "
                       "Recess, Level) VALUES (?, '21', '1205', '21', ?, 'k1VARLO', 'EX', "
                       "'2026/01/05', 'No', 1, 0, 0, 'L1')",
                       {id, id.mid(6, 3)});
            createReadingsTable(db, id);
        }
        for (const QString when : {"2026-01-01 10:00:00", "2026-01-02 10:00:00"}) {
            db.execute("INSERT INTO \"120521002\" (DateTimeKey, FullDate, Plottemporal, "
                       "Channel1, ChannelT) VALUES (?, ?, 1, '10.5', '20')",
                       {"120521002 " + when, when});
        }
        writeLocationFile(folder(), server.uri());
        open();
        ASSERT_EQ(window->identification->txtSensor->text(), "120521002");
        // Stored once as the form writes it, the sensor is saved unchanged without a write.
        window->sensorForm->savefields();
        window->sensorForm->fillfields();
        prompter.clear();
    }
    QString storedLevel(const QString& id) {
        Connection db;
        db.open(server.uri());
        return db.scalar("SELECT Level FROM Sensors WHERE InstrumentID = ?", {id}).toString();
    }
    QString status() const { return window->statusBar()->currentMessage(); }
    // The reason a refusal gives while nothing answers on the server's port.
    QString downReason() const {
        return QStringLiteral("the site server cannot be reached (Nothing answers on port %1 of "
                              "host \"127.0.0.1\".)")
            .arg(server.port());
    }

    PrivateServer server;
};
} // namespace

TEST_F(ServerRestartWindowTest, AnEditAndASensorChangeAfterARestartWork) {
    frmQuorvelle& w = *window;
    w.SSTab1->setCurrentIndex(1);
    ASSERT_TRUE(server.stop());
    ASSERT_TRUE(server.start());

    w.installation->txtLevel->setText("Level 7");
    w.SSTab1->setCurrentIndex(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(storedLevel("120521002"), "Level 7");

    w.showSensor("120521001");
    QCoreApplication::processEvents();
    EXPECT_EQ(w.identification->txtSensor->text(), "120521001");
    EXPECT_EQ(w.state().currentInstrumentId(), "120521001");
    EXPECT_TRUE(prompter.messageTexts().isEmpty())
        << prompter.messageTexts().join('|').toStdString();
    EXPECT_TRUE(status().isEmpty());
}

TEST_F(ServerRestartWindowTest, WhileTheServerIsDownCommandsSayWhyAndAnEditIsToldNotSaved) {
    frmQuorvelle& w = *window;
    ASSERT_TRUE(server.stop());

    // A command that stops on the lost server and tells nothing itself is told once.
    w.showSensor("120521001");
    QCoreApplication::processEvents();
    EXPECT_EQ(status(), kServerUnreachableStatus);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"This cannot be done now: " + downReason() + "."});
    EXPECT_EQ(w.identification->txtSensor->text(), "120521002");
    EXPECT_EQ(w.state().rsSensors->bookmark(), 2);

    w.SSTab1->setCurrentIndex(1);
    QCoreApplication::processEvents();
    prompter.clear();
    w.installation->txtLevel->setText("Level 8");
    w.SSTab1->setCurrentIndex(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"Sensor 120521002 was not saved: " + downReason() + "."});
    EXPECT_EQ(w.installation->txtLevel->text(), "Level 8");

    // Once the server answers, the edit on screen is stored by the next save.
    ASSERT_TRUE(server.start());
    EXPECT_EQ(storedLevel("120521002"), "L1");
    prompter.clear();
    w.sensorForm->savefields();
    EXPECT_EQ(storedLevel("120521002"), "Level 8");
    EXPECT_TRUE(status().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompter.messageTexts().isEmpty())
        << prompter.messageTexts().join('|').toStdString();
}

TEST_F(ServerRestartWindowTest, AChartWhoseBatchLosesTheServerTellsAndDrawsNothing) {
    frmQuorvelle& w = *window;
    const ChartTabSteps steps = w.chartTabs->steps(ChartPage::Kind::DispTime);
    // The server goes after the tab has counted its readings, as the batch starts.
    w.setChartSteps(3, {steps.prepare,
                        [&] {
                            server.stop();
                            steps.batch();
                        },
                        steps.show, steps.draw});
    w.SSTab1->setCurrentIndex(3);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.SSTab1->currentIndex(), 0);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"The chart could not be drawn: " + downReason() + "."});
    EXPECT_TRUE(w.chartTabs->page(ChartPage::Kind::DispTime)->chart()->isHidden());
    EXPECT_EQ(status(), kServerUnreachableStatus);
}

TEST_F(ServerRestartWindowTest, AMoveThatCannotShowItsSensorKeepsTheShownOneCurrent) {
    frmQuorvelle& w = *window;
    ASSERT_TRUE(server.stop());
    emit w.identification->imgNext.image->clicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"This cannot be done now: " + downReason() + "."});
    EXPECT_EQ(w.identification->txtSensor->text(), "120521002");

    // What is typed on the form goes to the sensor the form shows, not to the one moved to.
    ASSERT_TRUE(server.start());
    QCoreApplication::processEvents();
    prompter.clear();
    w.installation->txtLevel->setText("Level 9");
    w.sensorForm->savefields();
    EXPECT_EQ(storedLevel("120521002"), "Level 9");
    EXPECT_EQ(storedLevel("120521001"), "L1");
    EXPECT_TRUE(prompter.messageTexts().isEmpty())
        << prompter.messageTexts().join('|').toStdString();
}
