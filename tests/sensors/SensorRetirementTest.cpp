#include "SensorRegisterFixture.h"

#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

class SensorRetirementTest : public OnBothEngines<SensorRegisterTest> {};

namespace {
QString todayShort() {
    return QLocale::system().toString(QDate(2026, 12, 8), QLocale::ShortFormat);
}
} // namespace

TEST_P(SensorRetirementTest, DestroyedStampsTodayAndNoClearsTheBoxButNotTheStoredDate) {
    addSensors({"120521001"});
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    QTest::keyClick(id.cboDestroyed, 'y');
    EXPECT_EQ(id.cboDestroyed->currentText(), "Yes");
    EXPECT_EQ(id.txtDestructionDate->text(), todayShort());
    EXPECT_EQ(id.imgheart->pixmap().cacheKey(), id.imgdead->pixmap().cacheKey());
    EXPECT_EQ(stored("120521001", "Destroyed").toString(), "Yes");
    EXPECT_EQ(stored("120521001", "DestructionDate").toString(), todayShort());

    // Any other key changes nothing but still saves.
    w.installation->txtBorehole->setText("BH-7");
    QTest::keyClick(id.cboDestroyed, 'x');
    EXPECT_EQ(id.cboDestroyed->currentText(), "Yes");
    EXPECT_EQ(stored("120521001", "Borehole").toString(), "BH-7");

    id.cboDestroyed->setCurrentIndex(0);
    emit id.cboDestroyed->activated(0);
    EXPECT_EQ(id.txtDestructionDate->text(), "");
    EXPECT_EQ(id.imgheart->pixmap().cacheKey(), id.imgalive->pixmap().cacheKey());
    EXPECT_EQ(stored("120521001", "Destroyed").toString(), "No");
    EXPECT_EQ(stored("120521001", "DestructionDate").toString(), todayShort());
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorRetirementTest, DeleteAsksOnceAndRemovesTableNetworkRowAndSensor) {
    addSensors({"120521001", "120521002", "120521003"});
    exec("INSERT INTO NetworkConfig (SensorID, Network) VALUES ('120521002', 'A'), "
         "('120521001', 'B')");
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    click(id.imgNext);
    ASSERT_EQ(id.txtSensor->text(), "120521002");

    prompter.answers.enqueue(MsgAnswer::No);
    click(id.imgDelete);
    EXPECT_EQ(prompter.last().title, "Ombrevault's QUORVELLE");
    EXPECT_EQ(prompter.last().text, "Permanently delete Sensor 120521002 from database?");
    EXPECT_EQ(prompter.last().buttons, MsgButtons::YesNo);
    EXPECT_TRUE(tableExists("120521002"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Sensors").toInt(), 3);

    prompter.clear();
    clickCaption(id.imgDelete);
    EXPECT_EQ(prompter.calls.size(), 1);
    EXPECT_FALSE(tableExists("120521002"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Sensors WHERE InstrumentID = '120521002'").toInt(), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM NetworkConfig").toInt(), 1);
    EXPECT_EQ(scalar("SELECT SensorID FROM NetworkConfig").toString(), "120521001");
    // The first sensor of the list is shown, whichever was deleted.
    EXPECT_EQ(id.txtSensor->text(), "120521003");
    EXPECT_EQ(id.cboSensors->count(), 2);
    EXPECT_EQ(id.cboSensors->currentText(), "120521003");
    EXPECT_EQ(w.utilities->txtSCount->text(), "2");
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorRetirementTest, DeletingTheLastSensorLeavesTheEmptyRegister) {
    addSensors({"120521001"});
    exec("UPDATE Sensors SET kval = 4, Recess = 0.5, Destroyed = 'Yes' "
         "WHERE InstrumentID = '120521001'");
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    click(id.imgDelete);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Sensors").toInt(), 0);
    EXPECT_FALSE(tableExists("120521001"));
    EXPECT_EQ(id.cboSensors->count(), 0);
    EXPECT_EQ(id.cboSensors->currentText(), "");
    EXPECT_EQ(id.txtSensor->text(), "");
    EXPECT_EQ(id.txtkval->text(), "");
    EXPECT_EQ(w.installation->txtRecess->text(), "");
    EXPECT_EQ(w.installation->txtHead->text(), "");
    EXPECT_EQ(id.txtSnav->text(), "No records");
    EXPECT_EQ(w.utilities->txtSCount->text(), "0");
    EXPECT_EQ(id.cboDestroyed->currentText(), "");
    EXPECT_EQ(id.imgheart->pixmap().cacheKey(), id.imgalive->pixmap().cacheKey());

    // Nothing left to delete: no question about an empty number.
    prompter.clear();
    click(id.imgDelete);
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorRetirementTest, DestroyedTakesNoEditingKeys) {
    addSensors({"120521001"});
    exec("UPDATE Sensors SET Destroyed = 'Yes' WHERE InstrumentID = '120521001'");
    frmQuorvelle& w = open();
    QComboBox* destroyed = w.identification->cboDestroyed;
    destroyed->lineEdit()->setCursorPosition(3);
    QTest::keyClick(destroyed, Qt::Key_Backspace);
    QTest::keyClick(destroyed, Qt::Key_Home);
    QTest::keyClick(destroyed, Qt::Key_Delete);
    EXPECT_EQ(destroyed->currentText(), "Yes");
    w.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(stored("120521001", "Destroyed").toString(), "Yes");
}

TEST_P(SensorRetirementTest, TabLeavesDestroyedWithoutCountingAsATypedKey) {
    addSensors({"120521001"});
    frmQuorvelle& w = open();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QComboBox* destroyed = w.identification->cboDestroyed;
    destroyed->setFocus();
    ASSERT_EQ(w.focusWidget(), destroyed);
    w.installation->txtBorehole->setText("BH-7");

    QTest::keyClick(destroyed, Qt::Key_Tab);
    EXPECT_NE(w.focusWidget(), destroyed);
    EXPECT_EQ(destroyed->currentText(), "No");
    // Typed keys save the record; Tab did not.
    EXPECT_TRUE(stored("120521001", "Borehole").toString().isEmpty());

    destroyed->setFocus();
    QTest::keyClick(destroyed, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_NE(w.focusWidget(), destroyed);
    EXPECT_TRUE(stored("120521001", "Borehole").toString().isEmpty());
}

INSTANTIATE_ON_BOTH_ENGINES(SensorRetirementTest);
