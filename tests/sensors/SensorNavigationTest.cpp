#include "SensorRegisterFixture.h"

#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "sensors/SensorFilterPanel.h"
#include "store/DataFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

class SensorNavigationTest : public OnBothEngines<SensorRegisterTest> {};

TEST_P(SensorNavigationTest, NextAndPreviousSaveAndStopAtTheEnds) {
    addSensors({"120521001", "120521002", "120521003"});
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    EXPECT_EQ(id.txtSnav->text(), "1 of 3");
    click(id.imgPrevious);
    EXPECT_EQ(prompter.last().text, "Start of Sensors");
    EXPECT_EQ(prompter.last().title, "Quorvelle");

    w.installation->txtLocation->setText("North drive");
    clickCaption(id.imgNext);
    EXPECT_EQ(stored("120521003", "Location").toString(), "North drive");
    EXPECT_EQ(id.txtSensor->text(), "120521002");
    EXPECT_EQ(id.cboSensors->currentText(), "120521002");
    EXPECT_EQ(id.txtSnav->text(), "2 of 3");
    click(id.imgNext);
    prompter.clear();
    w.installation->txtLocation->setText("not saved by the refusal");
    click(id.imgNext);
    EXPECT_EQ(prompter.messageTexts(), QStringList({"End of sensors"}));
    EXPECT_TRUE(stored("120521001", "Location").isNull());
    clickCaption(id.imgPrevious);
    EXPECT_EQ(id.txtSensor->text(), "120521002");
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorNavigationTest, ChoosingInTheComboSavesTheSensorLeftAndShowsTheChoice) {
    addSensors({"120521001", "120521002", "120521003"});
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    id.txtLengthofCable->setText("9");
    id.cboSensors->setCurrentIndex(2);
    emit id.cboSensors->activated(2);
    EXPECT_EQ(stored("120521003", "LengthofCable").toDouble(), 9.0);
    EXPECT_EQ(id.txtSensor->text(), "120521001");
    EXPECT_EQ(id.txtSnav->text(), "3 of 3");
    EXPECT_EQ(w.utilities->txtSCount->text(), "3");
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(SensorNavigationTest, AnEmptyRegisterShowsNoRecordsAndRefusesBothSteps) {
    frmQuorvelle& w = open();
    prompter.clear();
    click(w.identification->imgNext);
    click(w.identification->imgPrevious);
    EXPECT_EQ(prompter.messageTexts(), QStringList({"End of sensors", "Start of Sensors"}));
    w.SSTab1->setCurrentIndex(1);
    w.SSTab1->setCurrentIndex(0);
    EXPECT_EQ(w.identification->txtSnav->text(), "No records");
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorNavigationTest, AnUnmatchedChoiceSaysSoAndLeavesNoRowToSave) {
    addSensors({"120521001", "120521002"});
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    id.cboSensors->setEditText("120521009");
    emit id.cboSensors->activated(0);
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_EQ(prompter.calls[0].text, "Error: Could not find data on the chosen sensor");
    EXPECT_EQ(prompter.calls[0].title, "Quorvelle");
    EXPECT_EQ(prompter.last().text, "Either you are at the first record or the last record.");
    EXPECT_EQ(prompter.last().title, "Cannot Fill Fields");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(logEntries(), 0);

    // The next step finds no row to save, says so and logs; so does the step itself.
    prompter.clear();
    click(id.imgNext);
    EXPECT_EQ(prompter.last().title, "Cannot Save Fields");
    EXPECT_EQ(prompter.last().text, "Either you are at the first record or the last record.");
    EXPECT_TRUE(logText().contains(" G_savefields"));
    EXPECT_TRUE(logText().contains(" imgNext_Click"));

    // Choosing a listed sensor puts the register right again.
    id.cboSensors->setCurrentIndex(1);
    emit id.cboSensors->activated(1);
    EXPECT_EQ(id.txtSensor->text(), "120521001");
    EXPECT_EQ(id.txtSnav->text(), "2 of 2");
}

TEST_P(SensorNavigationTest, WithoutADatabaseTheRegisterCommandsLogInsteadOfFailing) {
    addSensors({"120521001"});
    {
        // The location file names a database that is not there: start-up cannot connect.
        QFile location(locationFilePath(folder()));
        ASSERT_TRUE(location.open(QIODevice::WriteOnly));
        location.write((path("elsewhere/other.mdb") + "\r\n").toLocal8Bit());
    }
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    ASSERT_EQ(logEntries(), 1);
    click(id.imgNext);
    click(id.imgPrevious);
    prompter.inputs.enqueue(QString("120521002"));
    click(id.imgAddSensor);
    id.cboSensors->setEditText("12052100");
    QTest::keyClick(id.cboSensors, '1');
    emit id.cboSensors->activated(0);
    click(id.imgDelete);
    auto* filter = w.utilities->filterFrame->findChild<SensorFilterPanel*>("filterPanel");
    filter->chkDontShowDestroyed->setChecked(true);
    click(filter->imgFilter);
    // Showing the added sensor's number fails too, and says so under its own tag.
    EXPECT_EQ(logEntries(), 7) << logText().toStdString();
    for (const char* tag : {" imgNext_Click", " imgPrevious_Click", " G_AddTypedSensor",
                            " showCurrentNumber", " cboSensors_Click", " imgFilter_Click"}) {
        EXPECT_TRUE(logText().contains(QStringLiteral("Err #-3704: Operation is not allowed when "
                                                      "the object is closed.") +
                                       tag))
            << tag;
    }
}

INSTANTIATE_ON_BOTH_ENGINES(SensorNavigationTest);
