#include "sensors/TemperatureCorrectionBlock.h"
#include "charts/TemperatureCorrection.h"
#include "sensors/InstallationPage.h"
#include "support/MainWindowFixture.h"
#include "triggers/TriggerLevelsBlock.h"

#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120541001"); // three nodes

class TemperatureCorrectionBlockTest : public MainWindowTest {};

} // namespace

TEST_F(TemperatureCorrectionBlockTest, TheBoxesRefuseWhatIsNotANumberAndStoreTheRestAtOnce) {
    addSensors({kId});
    open();
    window->SSTab1->setCurrentIndex(1);
    TemperatureCorrectionBlock& block = *window->installation->temperatureCorrection;
    prompter.clear();

    // Off: the node boxes take nothing; three of the eight are shown for three nodes.
    EXPECT_EQ(block.mode()->currentText(), "Off");
    EXPECT_FALSE(block.box(0)->isEnabled());
    EXPECT_FALSE(block.box(2)->isHidden());
    EXPECT_TRUE(block.box(3)->isHidden());

    block.mode()->setCurrentIndex(2);
    emit block.mode()->activated(2);
    EXPECT_EQ(
        scalar("SELECT Mode FROM TemperatureCorrection WHERE InstrumentID = ?", {kId}).toString(),
        "FreeLength");
    ASSERT_TRUE(block.box(0)->isEnabled());
    EXPECT_TRUE(block.expansion()->isEnabled());

    block.box(1)->setText("2.5.1");
    emit block.box(1)->editingFinished();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text, "\"2.5.1\" is not a number.");
    EXPECT_EQ(block.box(1)->text(), "");
    EXPECT_TRUE(
        scalar("SELECT Node2 FROM TemperatureCorrection WHERE InstrumentID = ?", {kId}).isNull());

    block.box(1)->setText("2.5");
    emit block.box(1)->editingFinished();
    EXPECT_EQ(
        scalar("SELECT Node2 FROM TemperatureCorrection WHERE InstrumentID = ?", {kId}).toDouble(),
        2.5);
    block.expansion()->setText("abc");
    emit block.expansion()->editingFinished();
    EXPECT_TRUE(prompter.last().text.startsWith("The expansion coefficient must be a number"));

    // A box left with a new text when the tab changes is stored too.
    block.box(2)->setText("4");
    window->SSTab1->setCurrentIndex(0);
    Connection db;
    db.open(location());
    const TemperatureCorrection stored = readTemperatureCorrection(db, kId);
    EXPECT_EQ(stored.mode, CorrectionMode::FreeLength);
    EXPECT_EQ(stored.perNode, (QList<double>{0.0, 2.5, 4.0}));
    EXPECT_EQ(stored.expansion, kStrandExpansion);
    EXPECT_EQ(prompter.calls.size(), 2);

    // The new level boxes stand beside the others.
    TriggerLevelsBlock& levels = *window->installation->triggerLevels;
    EXPECT_EQ(levels.box(LevelField::Consecutive)->objectName(), "txtConsecutive");
    window->SSTab1->setCurrentIndex(1);
    levels.box(LevelField::Consecutive)->setText("1.5");
    emit levels.box(LevelField::Consecutive)->editingFinished();
    EXPECT_EQ(prompter.last().text, "Consecutive readings must be a whole number from 1 to 100.");
    levels.box(LevelField::AmberSep)->setText("3");
    emit levels.box(LevelField::AmberSep)->editingFinished();
    EXPECT_EQ(scalar("SELECT AmberSep FROM TriggerLevels WHERE InstrumentID = ?", {kId}).toDouble(),
              3.0);
}
