#include "SensorRegisterFixture.h"

#include "app/UtilitiesPage.h"
#include "readings/ReadingsPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {
// Recess 0.25 m, nodes at 1, 3 and 6 m, a 7 m strand: the worked example.
const QString kThreeNodes = "120541001";

// Colours of the borehole picture: an anchor, the head, the cable.
const QColor kAnchorBlue(0x2e, 0x6d, 0xa4);
const QColor kHeadRed(0xc0, 0x39, 0x2b);
const QColor kCable(0x22, 0x22, 0x22);

QColor pictureAt(const InstallationPage& page, int x, int y) {
    return page.imgHead->pixmap().toImage().pixelColor(x, y);
}

QStringList shownAnchors(const InstallationPage& page) {
    QStringList out;
    for (int i = 0; i < page.txtRelSGanchor.size(); ++i) {
        if (!page.txtRelSGanchor[i]->isHidden() && !page.anchorCaptions[i]->isHidden()) {
            out << page.txtRelSGanchor[i]->objectName();
        }
    }
    return out;
}

QStringList texts(const QVector<QLineEdit*>& boxes) {
    QStringList out;
    for (const QLineEdit* box : boxes) {
        out << box->text();
    }
    return out;
}
} // namespace

class SensorFormTest : public OnBothEngines<SensorRegisterTest> {
protected:
    void addWorkedExample() {
        addSensors({kThreeNodes});
        exec("UPDATE Sensors SET Recess = 0.25, NodeLocation1 = 1, NodeLocation2 = 3, "
             "NodeLocation3 = 6, LengthofCable = 7 WHERE InstrumentID = ?",
             {kThreeNodes});
    }
};

TEST_P(SensorFormTest, WorkedExampleWithTheHeadAtTheCollarAndThenAtTheToe) {
    addWorkedExample();
    frmQuorvelle& w = open();
    InstallationPage& inst = *w.installation;
    EXPECT_EQ(inst.txtHead->text(), "0.25");
    EXPECT_EQ(texts(inst.txtRelSGanchor),
              QStringList({"1.25", "3.25", "6.25", "", "", "", "", ""}));
    EXPECT_EQ(w.readings->lbln[0]->text(), "1.25 m");
    EXPECT_EQ(w.readings->lbln[2]->text(), "6.25 m");
    EXPECT_EQ(w.readings->lbln[3]->text(), "");

    w.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(inst.lbloption->text(), "Option 1 and 2 - Head at Borehole Collar");
    EXPECT_EQ(inst.lblRecess->text(), "m recess");
    EXPECT_EQ(pictureAt(inst, 104, 409), kHeadRed);
    EXPECT_EQ(inst.txtHead->geometry().top(), 8800 / 15);
    EXPECT_EQ(inst.txtRelSGanchor[0]->geometry().topLeft(), QPoint(9000 / 15, 7900 / 15));
    EXPECT_EQ(inst.txtRelSGanchor[7]->geometry().top(), 3455 / 15);

    w.SSTab1->setCurrentIndex(0);
    w.identification->Option2->setChecked(true);
    w.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(stored(kThreeNodes, "HeadLocation").toInt(), 0);
    EXPECT_EQ(inst.txtHead->text(), "7.25");
    EXPECT_EQ(texts(inst.txtRelSGanchor),
              QStringList({"6.25", "4.25", "1.25", "", "", "", "", ""}));
    EXPECT_EQ(inst.lbloption->text(), "Option 3 - Head at Toe");
    EXPECT_EQ(pictureAt(inst, 104, 35), kHeadRed);
    EXPECT_EQ(inst.txtHead->geometry().top(), 3190 / 15);
    EXPECT_EQ(inst.txtRelSGanchor[0]->geometry().topLeft(), QPoint(8800 / 15, 4170 / 15));
    EXPECT_EQ(inst.txtRelSGanchor[7]->geometry().top(), 8615 / 15);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorFormTest, TheInstallationPictureDrawsTheSensorsOwnAnchors) {
    addWorkedExample();
    addSensors({"120591001"});
    frmQuorvelle& w = open();
    InstallationPage& inst = *w.installation;
    // Descending order: the eight-node sensor first.
    w.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(shownAnchors(inst).size(), 8);
    EXPECT_EQ(pictureAt(inst, 100, 53), kAnchorBlue);

    w.SSTab1->setCurrentIndex(0);
    click(w.identification->imgNext);
    ASSERT_EQ(w.identification->txtSensor->text(), kThreeNodes);
    w.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(shownAnchors(inst),
              QStringList({"txtRelSGanchor1", "txtRelSGanchor2", "txtRelSGanchor3"}));
    // Anchors 1 to 3 level with their boxes, none at 4 or 8; the cable ends at anchor 3.
    EXPECT_EQ(pictureAt(inst, 100, 349), kAnchorBlue);
    EXPECT_EQ(pictureAt(inst, 100, 265), kAnchorBlue);
    EXPECT_NE(pictureAt(inst, 100, 222), kAnchorBlue);
    EXPECT_NE(pictureAt(inst, 100, 53), kAnchorBlue);
    EXPECT_EQ(pictureAt(inst, 104, 300), kCable);
    EXPECT_NE(pictureAt(inst, 104, 240), kCable);

    w.SSTab1->setCurrentIndex(0);
    w.identification->Option2->setChecked(true);
    w.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(shownAnchors(inst).size(), 3);
    EXPECT_EQ(pictureAt(inst, 100, 185), kAnchorBlue);
    EXPECT_NE(pictureAt(inst, 100, 228), kAnchorBlue);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorFormTest, SavedNumbersTakeTheirFormatsAndShowThemAgain) {
    addSensors({kThreeNodes});
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    id.txtLengthofCable->setText("12.5");
    id.txtNode[0]->setText("3");
    id.txtNode[1]->setText("3.456");
    id.txtNode[2]->clear();
    id.txtkval->setText("12abc");
    id.chkPlate->setChecked(true);
    w.installation->txtLevel->setText("  2 Level  ");
    w.installation->txtInstallDate->setText("2026-2-3");
    w.installation->cmdSave->click();

    EXPECT_EQ(stored(kThreeNodes, "LengthofCable").toDouble(), 12.5);
    EXPECT_EQ(stored(kThreeNodes, "NodeLocation1").toDouble(), 3.0);
    EXPECT_EQ(stored(kThreeNodes, "NodeLocation2").toDouble(), 3.46);
    EXPECT_TRUE(stored(kThreeNodes, "NodeLocation3").isNull());
    EXPECT_EQ(stored(kThreeNodes, "kval").toDouble(), 12.0);
    EXPECT_EQ(stored(kThreeNodes, "Plate").toInt(), 1);
    EXPECT_EQ(stored(kThreeNodes, "Level").toString(), "2 Level");
    EXPECT_EQ(stored(kThreeNodes, "InstallDate").toString(), "2026/02/03");

    w.SSTab1->setCurrentIndex(7);
    // Stored numbers come back as their own text, not in the saving pattern.
    EXPECT_EQ(id.txtLengthofCable->text(), "12.5");
    EXPECT_EQ(id.txtNode[0]->text(), "3");
    EXPECT_EQ(id.txtNode[1]->text(), "3.46");
    EXPECT_EQ(id.txtkval->text(), "12");
    EXPECT_EQ(w.installation->txtInstallDate->text(), "2026/02/03");
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorFormTest, AFailingRecessEndsTheSaveAndTheNextUpdateStoresWhatCameBefore) {
    addSensors({kThreeNodes});
    exec("UPDATE Sensors SET kval = 5 WHERE InstrumentID = ?", {kThreeNodes});
    frmQuorvelle& w = open();
    w.installation->txtLevel->setText("Level 'A'");
    w.installation->txtRecess->setText("12abc");
    w.identification->txtkval->setText("7");
    w.installation->cmdSave->click();

    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains("Err #-13: Type mismatch G_savefields"));
    EXPECT_TRUE(stored(kThreeNodes, "Level").isNull());
    EXPECT_EQ(stored(kThreeNodes, "Recess").toDouble(), 0.0);
    EXPECT_EQ(stored(kThreeNodes, "kval").toDouble(), 5.0);

    w.installation->txtRecess->setText("0.5");
    w.installation->cmdSave->click();
    EXPECT_EQ(stored(kThreeNodes, "Level").toString(), "Level 'A'");
    EXPECT_EQ(stored(kThreeNodes, "Recess").toDouble(), 0.5);
    EXPECT_EQ(stored(kThreeNodes, "kval").toDouble(), 7.0);
    EXPECT_EQ(logEntries(), 1);
}

TEST_P(SensorFormTest, ANodeLocationThatIsNoDistanceIsToldByNameAndNotStored) {
    addWorkedExample();
    frmQuorvelle& w = open();
    prompter.clear();
    const auto refusal = [&](const QString& node3) {
        prompter.clear();
        w.identification->txtNode[2]->setText(node3);
        w.installation->cmdSave->click();
        EXPECT_EQ(stored(kThreeNodes, "NodeLocation3").toDouble(), 6.0);
        return prompter.calls.size() == 1 ? prompter.last().text : QString();
    };
    EXPECT_EQ(refusal("1e308"), "Sensor 120541001 was not saved: Node 3's location 1e308 is not a "
                                "distance in metres: it lies outside -1000 to 1000.");
    EXPECT_EQ(refusal("nan"), "Sensor 120541001 was not saved: Node 3's location nan is not a "
                              "distance in metres: it is not a finite number.");
    EXPECT_EQ(refusal("6-1"), "Sensor 120541001 was not saved: Node 3's location 6-1 is not a "
                              "distance in metres: it is not a number.");
    EXPECT_EQ(refusal(QString(10000, '9')),
              "Sensor 120541001 was not saved: Node 3's location 999999999999999999999999… is not "
              "a distance in metres: it is 10000 characters long, and a value has at most 24.");

    prompter.clear();
    w.identification->txtNode[2]->setText("6.5");
    w.installation->cmdSave->click();
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(stored(kThreeNodes, "NodeLocation3").toDouble(), 6.5);
}

TEST_P(SensorFormTest, RecessEditsSaveAndRecomputeAsTypedAndNodeBoxesRefuseLetters) {
    addWorkedExample();
    frmQuorvelle& w = open();
    InstallationPage& inst = *w.installation;
    QLineEdit* recess = inst.txtRecess;
    w.SSTab1->setCurrentIndex(1);
    prompter.clear();
    recess->setFocus();
    recess->selectAll();
    QTest::keyClick(recess, '1');
    // Each edit is stored and shown with the key it came from, not one key behind.
    EXPECT_EQ(recess->text(), "1");
    EXPECT_EQ(stored(kThreeNodes, "Recess").toDouble(), 1.0);
    EXPECT_EQ(inst.txtHead->text(), "1.00");
    QTest::keyClick(recess, '5');
    EXPECT_EQ(stored(kThreeNodes, "Recess").toDouble(), 15.0);
    EXPECT_EQ(inst.txtRelSGanchor[0]->text(), "16.00");
    QTest::keyClick(recess, 'x');
    EXPECT_EQ(recess->text(), "15");
    QTest::keyClick(recess, Qt::Key_Backspace);
    EXPECT_EQ(recess->text(), "1");
    EXPECT_EQ(stored(kThreeNodes, "Recess").toDouble(), 1.0);

    // Erased, the box is not yet a recess: nothing is stored and nothing is said.
    QTest::keyClick(recess, Qt::Key_Backspace);
    EXPECT_EQ(recess->text(), "");
    EXPECT_EQ(stored(kThreeNodes, "Recess").toDouble(), 1.0);
    QTest::keyClicks(recess, "0.45");
    EXPECT_EQ(stored(kThreeNodes, "Recess").toDouble(), 0.45);
    EXPECT_EQ(inst.txtHead->text(), "0.45");
    EXPECT_EQ(inst.txtRelSGanchor[2]->text(), "6.45");
    EXPECT_TRUE(prompter.calls.isEmpty());
    EXPECT_EQ(logEntries(), 0);

    QLineEdit* node = w.identification->txtNode[0];
    node->clear();
    QTest::keyClicks(node, "1a2,5x-");
    EXPECT_EQ(node->text(), "12,5-");
}

TEST_P(SensorFormTest, StatusPictureAndDestructionDateFollowTheSensor) {
    addSensors({"120521001", "120521002"});
    exec("UPDATE Sensors SET Destroyed = 'Yes', DestructionDate = '2025/03/01' "
         "WHERE InstrumentID = '120521002'");
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    EXPECT_EQ(id.txtSensor->text(), "120521002");
    EXPECT_EQ(id.cboDestroyed->currentText(), "Yes");
    EXPECT_EQ(id.txtDestructionDate->text(), "2025/03/01");
    EXPECT_EQ(id.imgheart->pixmap().cacheKey(), id.imgdead->pixmap().cacheKey());
    click(id.imgNext);
    EXPECT_EQ(id.txtSensor->text(), "120521001");
    EXPECT_EQ(id.cboDestroyed->currentText(), "No");
    EXPECT_EQ(id.txtDestructionDate->text(), "");
    EXPECT_EQ(id.imgheart->pixmap().cacheKey(), id.imgalive->pixmap().cacheKey());
}

TEST_P(SensorFormTest, NodeAndChannelBoxesOpenUpToTheNodeCount) {
    addSensors({"120521001", "120591001"});
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    ReadingsPage& rd = *w.readings;
    // Descending order: the eight-node sensor first.
    EXPECT_EQ(id.txtSensor->text(), "120591001");
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(id.txtNode[i]->isEnabled()) << i;
        EXPECT_TRUE(rd.txtChannel[i]->isEnabled()) << i;
    }
    EXPECT_EQ(id.lblLocation->text(), "Node / Anchor Location:");
    EXPECT_EQ(w.installation->lblNotes->text(), "Notes:");

    click(id.imgNext);
    EXPECT_TRUE(id.txtNode[0]->isEnabled());
    EXPECT_FALSE(id.txtNode[1]->isEnabled());
    EXPECT_EQ(id.txtNode[1]->palette().color(QPalette::Base), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_TRUE(rd.txtChannel[0]->isEnabled());
    EXPECT_FALSE(rd.txtChannel[1]->isEnabled());
    EXPECT_EQ(rd.lblmm[1]->text(), "mm");
    EXPECT_FALSE(rd.lbln[1]->isEnabled());
    EXPECT_TRUE(rd.txtChannelT->isEnabled());
    EXPECT_EQ(rd.txtSensor3->text(), "120521001");
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorFormTest, UnknownTypeIsReportedOnceAndKeepsThePreviousNodeCount) {
    addSensors({"120531001", "110599001"});
    frmQuorvelle& w = open();
    EXPECT_TRUE(prompter.calls.isEmpty());
    click(w.identification->imgNext);
    EXPECT_EQ(w.identification->txtSensor->text(), "110599001");
    EXPECT_EQ(prompter.messageTexts(), QStringList({"unknown sensor type!"}));
    EXPECT_EQ(prompter.last().title, "Quorvelle");
    EXPECT_EQ(w.state().nodeCount(), 2);
    EXPECT_TRUE(w.identification->txtNode[1]->isEnabled());
    EXPECT_FALSE(w.identification->txtNode[2]->isEnabled());
}

TEST_P(SensorFormTest, AnEightNodeSensorSavesAndPlacesItsSeventhAndEighthAnchors) {
    addSensors({"120591001"});
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    for (int i = 0; i < 8; ++i) {
        id.txtNode[i]->setText(QString::number(i + 1));
    }
    w.installation->txtRecess->setText("0.5");
    w.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(stored("120591001", "NodeLocation7").toDouble(), 7.0);
    EXPECT_EQ(stored("120591001", "NodeLocation8").toDouble(), 8.0);
    EXPECT_EQ(id.txtNode[7]->text(), "8");
    EXPECT_EQ(w.installation->txtRelSGanchor[6]->text(), "7.50");
    EXPECT_EQ(w.installation->txtRelSGanchor[7]->text(), "8.50");
    EXPECT_EQ(w.readings->lbln[7]->text(), "8.50 m");
    EXPECT_TRUE(w.readings->lbln[7]->isEnabled());
    EXPECT_EQ(logEntries(), 0);
}

INSTANTIATE_ON_BOTH_ENGINES(SensorFormTest);
