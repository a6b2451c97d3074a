#include "SensorRegisterFixture.h"

#include "app/UtilitiesPage.h"
#include "readings/SensorData.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "support/ComboItems.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {
const QString kAlreadyExists =
    "Sensor 120521001 already exists\r\n\r\nType a new sensor number in the 'Add or Select "
    "Sensor' combo box\r\nThen click 'Add New' or hit the Enter key";
} // namespace

class SensorAdderTest : public OnBothEngines<SensorRegisterTest> {
protected:
    // Types the number into the "Add New" input box; the startup greeting is forgotten.
    void addTyped(const QString& number) {
        prompter.inputs.enqueue(number);
        click(window->identification->imgAddSensor);
    }
};

TEST_P(SensorAdderTest, InvalidNumbersAreRefusedWithTheirMessageInOrder) {
    addSensors({"120521002"});
    open();
    const QList<QPair<QString, QString>> cases = {
        {"12345678", "Sensor # must be 9 digits"},
        {"ABC123456", "Sensor # must be a numeric value"},
        {"120521000", "Last 3 digits must be between 001 and 999"},
        {"1205210.5", "Sensor # must be 9 digits"},
        {"+12052100", "Sensor # must be 9 digits"},
        {" 12052100", "Sensor # must be 9 digits"},
        {"12052100a", "Sensor # must be a numeric value"},
        {"\uFF11\uFF12\uFF10\uFF15\uFF12\uFF11\uFF10\uFF10\uFF11",
         "Sensor # must be a numeric value"},
    };
    for (const auto& [number, message] : cases) {
        prompter.clear();
        addTyped(number);
        ASSERT_EQ(prompter.calls.size(), 2) << number.toStdString();
        EXPECT_EQ(prompter.calls[0].title, "Add New Sensor");
        EXPECT_EQ(prompter.calls[0].text, "Enter new Sensor No:");
        EXPECT_EQ(prompter.last().title, "Invalid Sensor Number");
        EXPECT_EQ(prompter.last().text, message);
        EXPECT_EQ(prompter.last().buttons, MsgButtons::Ok);
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Sensors").toInt(), 1);

    prompter.clear();
    click(window->identification->imgAddSensor);
    EXPECT_EQ(prompter.messageTexts(), QStringList({"No sensor entered"}));
}

TEST_P(SensorAdderTest, ARefusedNumberLeavesTheCurrentSensorsNumberInTheBox) {
    addSensors({"120521001", "120521002"});
    frmQuorvelle& w = open();
    QComboBox* combo = w.identification->cboSensors;
    click(w.identification->imgNext);
    const QString shown = w.identification->txtSensor->text();
    ASSERT_EQ(w.identification->txtSnav->text(), "2 of 2");
    const int nodes = w.state().nodeCount();

    addTyped("12345");
    EXPECT_EQ(prompter.last().title, "Invalid Sensor Number");
    EXPECT_EQ(combo->currentText(), shown);
    EXPECT_EQ(w.identification->txtSensor->text(), shown);

    addTyped("120521001");
    EXPECT_EQ(prompter.last().text, kAlreadyExists);
    EXPECT_EQ(combo->currentText(), shown);
    EXPECT_EQ(w.identification->txtSensor->text(), shown);

    prompter.answers.enqueue(MsgAnswer::No);
    // Declined: a seven-node number leaves the shown sensor's type in place too.
    combo->setEditText("120581005");
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(prompter.last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(combo->currentText(), shown);
    EXPECT_EQ(w.identification->txtSensor->text(), shown);
    EXPECT_EQ(w.state().nodeCount(), nodes);
}

TEST_P(SensorAdderTest, NumbersThatPassAreAskedAboutAndNoLeavesTheRegister) {
    addSensors({"120521002"});
    open();
    for (const QString number : {"120521001", "120521999"}) {
        prompter.clear();
        prompter.answers.enqueue(MsgAnswer::No);
        addTyped(number);
        EXPECT_EQ(prompter.last().text,
                  "Do you want to add new Sensor " + number + " to the database?");
        EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
        EXPECT_EQ(prompter.last().buttons, MsgButtons::YesNo);
    }
    // An unknown type is said, and the question still comes.
    for (const QString number : {"120599001"}) {
        prompter.clear();
        prompter.answers.enqueue(MsgAnswer::Ok);
        prompter.answers.enqueue(MsgAnswer::No);
        addTyped(number);
        EXPECT_EQ(prompter.messageTexts(),
                  QStringList({"unknown sensor type!",
                               "Do you want to add new Sensor " + number + " to the database?"}));
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Sensors").toInt(), 1);
    EXPECT_FALSE(tableExists("120599001"));
}

TEST_P(SensorAdderTest, AddingIntoAnEmptyRegisterWritesTheDefaultsAndTheTable) {
    frmQuorvelle& w = open();
    prompter.clear();
    addTyped("120531007");
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"Do you want to add new Sensor 120531007 to the database?"}));
    const QString id = "120531007";
    EXPECT_EQ(stored(id, "Family").toString(), "k2VARLO");
    EXPECT_EQ(stored(id, "Model").toString(), "EX");
    EXPECT_EQ(stored(id, "SensorType").toString(), "31");
    EXPECT_EQ(stored(id, "DateID").toString(), "1205");
    EXPECT_EQ(stored(id, "TypeID").toString(), "31");
    EXPECT_EQ(stored(id, "SensorNo").toString(), "007");
    EXPECT_EQ(stored(id, "InstallDate").toString(), "2026/12/08");
    EXPECT_EQ(stored(id, "Destroyed").toString(), "No");
    EXPECT_EQ(stored(id, "HeadLocation").toInt(), 1);
    EXPECT_EQ(stored(id, "LengthofCable").toDouble(), 0.0);
    EXPECT_EQ(stored(id, "Recess").toDouble(), 0.0);
    EXPECT_TRUE(tableExists(id));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM " + quoteName(id)).toInt(), 0);

    EXPECT_EQ(w.identification->txtSensor->text(), id);
    EXPECT_EQ(w.identification->txtFamily->text(), "k2VARLO");
    EXPECT_EQ(w.installation->txtInstallDate->text(), "2026/12/08");
    EXPECT_EQ(comboItems(w.identification->cboSensors), QStringList({id}));
    EXPECT_EQ(w.identification->cboSensors->currentText(), id);
    EXPECT_EQ(w.utilities->txtSCount->text(), "1");
    EXPECT_EQ(w.identification->txtSnav->text(), "1 of 1");
    EXPECT_TRUE(w.identification->txtNode[1]->isEnabled());
    EXPECT_FALSE(w.identification->txtNode[2]->isEnabled());
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorAdderTest, AnExistingNumberIsRefusedAndATableWithoutARowSilently) {
    addSensors({"120521001", "120521002"});
    {
        Connection db;
        db.open(location());
        createReadingsTable(db, "120521003");
    }
    frmQuorvelle& w = open();
    w.installation->txtLevel->setText("typed before adding");
    addTyped("120521001");
    EXPECT_EQ(prompter.last().text, kAlreadyExists);
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);
    // The shown sensor stays current, and what was typed on it is saved.
    EXPECT_EQ(w.identification->txtSensor->text(), "120521002");
    EXPECT_EQ(stored("120521002", "Level").toString(), "typed before adding");

    prompter.clear();
    addTyped("120521003");
    EXPECT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Sensors").toInt(), 2);
}

TEST_P(SensorAdderTest, TypingCompletesFromTheListAndSelectsThatSensor) {
    addSensors({"120521001", "120531002", "130521003"});
    frmQuorvelle& w = open();
    QComboBox* combo = w.identification->cboSensors;
    w.installation->txtLevel->setText("left behind");
    combo->setEditText("1205");
    QTest::keyClick(combo, '3');
    // The text before the key completed to the second entry, which became current.
    EXPECT_EQ(w.identification->txtSensor->text(), "120531002");
    EXPECT_EQ(stored("130521003", "Level").toString(), "left behind");
    EXPECT_EQ(combo->currentText(), "12053");

    // Backspace erases without completing again.
    QTest::keyClick(combo, Qt::Key_Backspace);
    QTest::keyClick(combo, Qt::Key_Backspace);
    EXPECT_EQ(combo->currentText(), "120");
    EXPECT_EQ(w.identification->txtSensor->text(), "120531002");

    // Ten characters at most; Backspace still works.
    combo->setEditText("1234567890");
    QTest::keyClick(combo, '1');
    EXPECT_EQ(combo->currentText(), "1234567890");
    QTest::keyClick(combo, Qt::Key_Backspace);
    EXPECT_EQ(combo->currentText(), "123456789");
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorAdderTest, EnterSelectsAListedNumberAndOffersToAddAnother) {
    addSensors({"120521001", "120521002"});
    frmQuorvelle& w = open();
    QComboBox* combo = w.identification->cboSensors;
    prompter.clear();
    combo->setEditText("120521001");
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(w.identification->txtSensor->text(), "120521001");
    EXPECT_TRUE(prompter.calls.isEmpty());

    // A typed number gets the same checks as one given to "Add New".
    combo->setEditText("+12052100");
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(prompter.messageTexts(), QStringList({"Sensor # must be 9 digits"}));
    prompter.clear();

    combo->setEditText("140521005");
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"Do you want to add new Sensor 140521005 to the database?"}));
    EXPECT_EQ(w.identification->txtSensor->text(), "140521005");
    EXPECT_EQ(comboItems(combo).size(), 3);
}

TEST_P(SensorAdderTest, ReadingsOfASensorWithoutATableAreOpenedOnANewOne) {
    frmQuorvelle& w = open();
    prompter.clear();
    w.SSTab1->setCurrentIndex(2);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"Please add a sensor by clicking the 'Add New' button on the first "
                           "tab\r\nYou will also need to enter the length and anchor location "
                           "data in order to add readings"}));
    EXPECT_EQ(prompter.last().title, "Quorvelle");
    w.SSTab1->setCurrentIndex(0);

    addTyped("120521004");
    exec("DROP TABLE \"120521004\"");
    prompter.clear();
    w.SSTab1->setCurrentIndex(2);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"The data table for Sensor 120521004 could not be found\r\nA new "
                           "table will be created"}));
    EXPECT_TRUE(tableExists("120521004"));
    ASSERT_TRUE(w.state().rsReadings);
    EXPECT_EQ(w.state().rsReadings->table(), "120521004");
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorAdderTest, AnExistingReadingsTableIsReplacedOnlyOnYes) {
    addSensors({"120521001"});
    exec("INSERT INTO \"120521001\" (DateTimeKey) VALUES ('120521001 2026/01/05 08:00:00')");
    frmQuorvelle& w = open();
    prompter.answers.enqueue(MsgAnswer::Ok);
    prompter.answers.enqueue(MsgAnswer::No);
    AddDataTable(w.state(), context());
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_EQ(prompter.calls[0].text, "Table 120521001 Already Exists");
    EXPECT_EQ(prompter.calls[0].title, "Quorvelle");
    EXPECT_EQ(prompter.last().text,
              "Table 120521001 already exists\r\nDo you want to overwrite this table?");
    EXPECT_EQ(prompter.last().title, "Ombrevault's QUORVELLE");
    EXPECT_EQ(prompter.last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"120521001\"").toInt(), 1);

    prompter.answers.enqueue(MsgAnswer::Ok);
    prompter.answers.enqueue(MsgAnswer::Yes);
    AddDataTable(w.state(), context());
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM \"120521001\"").toInt(), 0);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorAdderTest, TabLeavesTheComboWithoutCompletingEvenAtTheLimit) {
    addSensors({"120521001", "120531002"});
    frmQuorvelle& w = open();
    w.show();
    QApplication::setActiveWindow(&w);
    QComboBox* combo = w.identification->cboSensors;
    combo->setFocus();
    combo->setEditText("12052");
    QTest::keyClick(combo, Qt::Key_Tab);
    EXPECT_EQ(w.identification->txtSensor->text(), "120531002");
    EXPECT_NE(QApplication::focusWidget(), combo);

    combo->setFocus();
    combo->setEditText("1234567890");
    QTest::keyClick(combo, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), combo);
}

TEST_P(SensorAdderTest, TypingOverTheSelectedNumberReplacesIt) {
    addSensors({"120521001", "120531002", "130521003"});
    frmQuorvelle& w = open();
    QComboBox* combo = w.identification->cboSensors;
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, "14");
    EXPECT_EQ(combo->currentText(), "14");
    EXPECT_EQ(logEntries(), 0);
}

INSTANTIATE_ON_BOTH_ENGINES(SensorAdderTest);
