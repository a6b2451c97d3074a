#include "SensorRegisterFixture.h"

#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/SensorFilterPanel.h"
#include "support/ComboItems.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {
const QString kNoMatch = "There are no sensors that meet the criteria";
} // namespace

class SensorFilterTest : public OnBothEngines<SensorRegisterTest> {
protected:
    void SetUp() override {
        SensorRegisterTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        addSensors({"120521001", "120531002", "120581003", "120521004"});
        exec("UPDATE Sensors SET InstallDate = '1999/01/01', Level = 'O''Brien''s drift' "
             "WHERE InstrumentID = '120521001'");
        exec("UPDATE Sensors SET InstallDate = '2005/12/31', Destroyed = 'Yes' "
             "WHERE InstrumentID = '120531002'");
        exec("UPDATE Sensors SET InstallDate = '2006/01/01' WHERE InstrumentID = '120581003'");
        exec("UPDATE Sensors SET InstallDate = '2026/12/08', Location = 'Shaft' "
             "WHERE InstrumentID = '120521004'");
        open();
        prompter.clear();
    }

    SensorFilterPanel& panel() {
        return *window->utilities->filterFrame->findChild<SensorFilterPanel*>("filterPanel");
    }
    void apply() { click(panel().imgFilter); }
    QStringList listed() { return comboItems(window->identification->cboSensors); }
};

TEST_P(SensorFilterTest, DestroyedOnlyHidesTheDestroyedSensorAndTheCommandRemovesIt) {
    panel().chkDontShowDestroyed->setChecked(true);
    apply();
    EXPECT_EQ(listed(), QStringList({"120581003", "120521004", "120521001"}));
    EXPECT_EQ(panel().imgFilter.caption->text(), "Remove Filter");
    EXPECT_FALSE(panel().lblFilter->isHidden());
    EXPECT_EQ(panel().imgFilter.image->pixmap().cacheKey(),
              panel().imgRemoveFilter->pixmap().cacheKey());
    EXPECT_EQ(window->utilities->txtSCount->text(), "3");
    EXPECT_EQ(window->identification->txtSensor->text(), "120581003");
    EXPECT_EQ(window->identification->txtSnav->text(), "1 of 3");

    panel().txtFilterLevel->setText("kept until removed");
    clickCaption(panel().imgFilter);
    EXPECT_EQ(listed().size(), 4);
    EXPECT_EQ(panel().imgFilter.caption->text(), "Apply Filter");
    EXPECT_TRUE(panel().lblFilter->isHidden());
    EXPECT_EQ(panel().imgFilter.image->pixmap().cacheKey(),
              panel().imgApplyFilter->pixmap().cacheKey());
    EXPECT_FALSE(panel().chkDontShowDestroyed->isChecked());
    EXPECT_EQ(panel().txtFilterLevel->text(), "");
    EXPECT_EQ(panel().txtFilterType->currentText(), "");
    EXPECT_EQ(window->utilities->txtSCount->text(), "4");
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(SensorFilterTest, DateRangesIncludeBothDaysAndCompleteMissingEnds) {
    panel().txtEndDate->setText("2005/12/31");
    apply();
    EXPECT_EQ(listed(), QStringList({"120531002", "120521001"}));
    apply();

    panel().txtStartDate->setText("2006/01/01");
    apply();
    EXPECT_EQ(listed(), QStringList({"120581003", "120521004"}));
    apply();
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(SensorFilterTest, AStartAfterTheEndMatchesNothingAndKeepsTheCriteria) {
    panel().txtStartDate->setText("2010/01/01");
    panel().txtEndDate->setText("2005/01/01");
    apply();
    EXPECT_EQ(prompter.messageTexts(), QStringList({kNoMatch}));
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(listed().size(), 4);
    EXPECT_EQ(panel().imgFilter.caption->text(), "Apply Filter");
    EXPECT_TRUE(panel().lblFilter->isHidden());
    EXPECT_EQ(panel().txtStartDate->text(), "2010/01/01");
    EXPECT_EQ(window->utilities->txtSCount->text(), "4");
}

TEST_P(SensorFilterTest, TypeCodesFromTheListOrTypedAndUnknownOnesRefused) {
    panel().txtFilterType->setEditText("81");
    apply();
    EXPECT_EQ(listed(), QStringList({"120581003"}));
    apply();

    panel().txtFilterType->setCurrentIndex(0);
    apply();
    EXPECT_EQ(listed(), QStringList({"120521004", "120521001"}));
    apply();

    for (const QString typed : {"2", "EX"}) {
        prompter.clear();
        panel().txtFilterType->setEditText(typed);
        apply();
        EXPECT_EQ(prompter.messageTexts(),
                  QStringList({"Sensor Type is not recognized\r\n\r\nPlease choose a sensor "
                               "from the list, or enter the 2 digit sensor #"}));
        EXPECT_EQ(panel().imgFilter.caption->text(), "Apply Filter");
    }
}

TEST_P(SensorFilterTest, TheListOffersTheSevenAndEightNodeTypes) {
    EXPECT_EQ(comboItems(panel().txtFilterType).mid(6),
              QStringList({"81: k7VARLO", "91: k8VARLO"}));
    panel().txtFilterType->setCurrentIndex(6);
    apply();
    EXPECT_EQ(listed(), QStringList({"120581003"}));
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_P(SensorFilterTest, AQuoteInTheLevelFiltersLikeAnyOtherText) {
    panel().txtFilterLevel->setText(" O'Brien's drift ");
    apply();
    EXPECT_EQ(listed(), QStringList({"120521001"}));
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorFilterTest, MissingCriteriaAndBadDatesAreSaid) {
    apply();
    EXPECT_EQ(prompter.last().text, "You must enter criteria to filter sensors on");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Information);

    panel().txtStartDate->setText("2010/13/45");
    apply();
    EXPECT_EQ(prompter.last().text,
              "Start date is not a valid date\r\nPlease enter a date in the format yyyy/mm/dd");
    panel().txtStartDate->clear();
    panel().txtEndDate->setText("later");
    apply();
    EXPECT_EQ(prompter.last().text,
              "End date is not a valid date\r\nPlease enter a date in the format yyyy/mm/dd");
    EXPECT_EQ(listed().size(), 4);
}

TEST_P(SensorFilterTest, LeavingADateBoxWithABadDateSaysSoAndTakesTheFocusBack) {
    frmQuorvelle& w = *window;
    w.show();
    w.SSTab1->setCurrentIndex(7);
    QApplication::setActiveWindow(&w);
    prompter.clear();
    panel().txtStartDate->setFocus();
    panel().txtStartDate->setText("2005/02/30");
    panel().txtFilterLevel->setFocus();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().text,
              "Start Date is not a valid date\r\nPlease type a date in the format yyyy/mm/dd");
    EXPECT_EQ(prompter.last().title, "Quorvelle");
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(QApplication::focusWidget(), panel().txtStartDate);

    panel().txtStartDate->setText("2005/02/28");
    panel().txtEndDate->setFocus();
    panel().txtEndDate->setText("31/31/2005");
    panel().txtFilterLevel->setFocus();
    ASSERT_EQ(prompter.calls.size(), 2);
    EXPECT_EQ(prompter.last().text,
              "End Date is not a valid date\r\nPlease type a date in the format dd/mm/yyyy");
    EXPECT_EQ(QApplication::focusWidget(), panel().txtEndDate);
}

TEST_P(SensorFilterTest, ASensorAddedWhileFilteredIsShownAndKeptUntilTheFilterGoes) {
    panel().txtFilterType->setEditText("31");
    apply();
    ASSERT_EQ(listed(), QStringList({"120531002"}));
    window->SSTab1->setCurrentIndex(0);
    prompter.inputs.enqueue(QString("120521005"));
    click(window->identification->imgAddSensor);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"Do you want to add new Sensor 120521005 to the database?"}));
    EXPECT_EQ(window->identification->txtSensor->text(), "120521005");
    EXPECT_EQ(window->identification->txtSnav->text(), "2 of 2");
    EXPECT_EQ(listed(), QStringList({"120531002", "120521005"}));
    EXPECT_EQ(logEntries(), 0);

    window->SSTab1->setCurrentIndex(7);
    apply();
    EXPECT_EQ(listed().size(), 5);
    EXPECT_EQ(logEntries(), 0);
}

TEST_P(SensorFilterTest, ATypedPartialCodeIsNotCompletedFromTheList) {
    window->show();
    window->SSTab1->setCurrentIndex(7);
    QApplication::setActiveWindow(window.get());
    panel().txtFilterType->setFocus();
    QTest::keyClicks(panel().txtFilterType, "2");
    EXPECT_EQ(panel().txtFilterType->currentText(), "2");
    apply();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"Sensor Type is not recognized\r\n\r\nPlease choose a sensor from the "
                           "list, or enter the 2 digit sensor #"}));
    EXPECT_EQ(listed().size(), 4);
}

TEST_P(SensorFilterTest, ReconnectingShowsTheNewListUnfiltered) {
    panel().chkDontShowDestroyed->setChecked(true);
    apply();
    ASSERT_EQ(listed().size(), 3);
    queueChoosingTheRegister();
    window->Image4_Click();
    EXPECT_EQ(listed(), QStringList({"120521001", "120521004", "120531002", "120581003"}));
    EXPECT_EQ(panel().imgFilter.caption->text(), "Apply Filter");
    EXPECT_TRUE(panel().lblFilter->isHidden());
    // The command now applies the criteria still in the boxes instead of removing a filter.
    apply();
    EXPECT_EQ(listed().size(), 3);
}

INSTANTIATE_ON_BOTH_ENGINES(SensorFilterTest);
