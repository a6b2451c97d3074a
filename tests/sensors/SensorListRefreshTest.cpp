#include "app/UtilitiesPage.h"
#include "app/frmQuorvelle.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "sensors/SensorFilterPanel.h"
#include "sensors/SensorForm.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

// The window's sensor list while another user adds and deletes sensors through a connection
// of their own.
class SensorListRefreshTest : public OnBothEngines<MainWindowTest> {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        addSensors({"120521001", "120521002"});
        open();
        prompter.clear();
        shown = window->identification->txtSensor->text();
        ASSERT_FALSE(shown.isEmpty());
    }

    QStringList listed() const {
        QStringList ids;
        const QComboBox* combo = window->identification->cboSensors;
        for (int i = 0; i < combo->count(); ++i) {
            ids << combo->itemText(i);
        }
        return ids;
    }

    void activate() {
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(window.get(), &activation);
    }

    QString shown;
};

TEST_P(SensorListRefreshTest, AnotherUsersSensorShowsOnActivationKeepingTheFormAndItsEdit) {
    window->installation->txtBorehole->setText("BH-mine");
    addSensors({"120521003"});
    EXPECT_FALSE(listed().contains("120521003"));

    activate();
    EXPECT_TRUE(listed().contains("120521003")) << listed().join(' ').toStdString();
    EXPECT_EQ(listed().size(), 3);
    EXPECT_EQ(window->utilities->txtSCount->text(), "3");
    EXPECT_EQ(window->identification->txtSensor->text(), shown);
    EXPECT_EQ(window->identification->cboSensors->currentText(), shown);
    EXPECT_EQ(window->installation->txtBorehole->text(), "BH-mine");

    // The edit typed before is stored on the sensor it was typed for.
    window->sensorForm->savefields();
    EXPECT_EQ(scalar("SELECT Borehole FROM Sensors WHERE InstrumentID = ?", {shown}).toString(),
              "BH-mine");
    EXPECT_TRUE(prompter.messageTexts().isEmpty())
        << prompter.messageTexts().join('|').toStdString();
}

TEST_P(SensorListRefreshTest, AnEditOnASensorMovedOutOfTheFilterIsStoredOrToldBeforeTheList) {
    exec("UPDATE Sensors SET Level = 'L1'");
    auto* panel = window->utilities->filterFrame->findChild<SensorFilterPanel*>("filterPanel");
    ASSERT_NE(panel, nullptr);
    panel->txtFilterLevel->setText("L1");
    emit panel->imgFilter.image->clicked();
    const QString edited = window->identification->txtSensor->text();
    window->installation->txtBorehole->setText("BH-mine");
    exec("UPDATE Sensors SET Level = 'L2' WHERE InstrumentID = ?", {edited});
    addSensors({"120521003"});
    prompter.clear();

    activate();
    // The edit is never dropped unsaid: stored on its sensor, or its refusal shown.
    const bool stored =
        scalar("SELECT Borehole FROM Sensors WHERE InstrumentID = ?", {edited}).toString() ==
        "BH-mine";
    const bool told = prompter.messageTexts().join('|').contains("Sensor " + edited);
    EXPECT_TRUE(stored || told) << prompter.messageTexts().join('|').toStdString();
    EXPECT_FALSE(listed().contains(edited));
}

TEST_P(SensorListRefreshTest, EnteringTheFirstTabRereadsTheListOnlyWhenTheRegisterChanged) {
    // An entry the list was not built with stays while nothing changed: nothing was re-read.
    window->identification->cboSensors->addItem("unchanged");
    window->SSTab1->setCurrentIndex(2);
    window->SSTab1->setCurrentIndex(0);
    activate();
    EXPECT_TRUE(listed().contains("unchanged"));

    exec("DELETE FROM Sensors WHERE InstrumentID <> ?", {shown});
    addSensors({"120521007"});
    window->SSTab1->setCurrentIndex(2);
    EXPECT_TRUE(listed().contains("unchanged"));
    window->SSTab1->setCurrentIndex(0);
    EXPECT_FALSE(listed().contains("unchanged"));
    EXPECT_TRUE(listed().contains("120521007"));
    EXPECT_EQ(listed().size(), 2);
    EXPECT_EQ(window->identification->txtSensor->text(), shown);
}

TEST_P(SensorListRefreshTest, ACurrentSensorDeletedElsewhereStaysForItsSaveToTell) {
    exec("DELETE FROM Sensors WHERE InstrumentID = ?", {shown});
    activate();
    EXPECT_TRUE(listed().contains(shown));
    EXPECT_EQ(window->identification->txtSensor->text(), shown);
}

} // namespace

INSTANTIATE_ON_BOTH_ENGINES(SensorListRefreshTest);
