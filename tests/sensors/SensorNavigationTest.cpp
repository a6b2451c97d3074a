#include "SensorRegisterFixture.h"

#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"

#include <QComboBox>
#include <QLineEdit>

TEST_F(SensorRegisterTest, NextAndPreviousSaveAndStopAtTheEnds) {
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

TEST_F(SensorRegisterTest, ChoosingInTheComboSavesTheSensorLeftAndShowsTheChoice) {
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

TEST_F(SensorRegisterTest, AnEmptyRegisterShowsNoRecordsAndRefusesBothSteps) {
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
