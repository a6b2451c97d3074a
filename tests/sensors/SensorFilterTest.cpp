#include "SensorRegisterFixture.h"

#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "sensors/SensorFilterPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {
const QString kNoMatch = "There are no sensors that meet the criteria";

QStringList comboItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}
} // namespace

class SensorFilterTest : public SensorRegisterTest {
protected:
    void SetUp() override {
        SensorRegisterTest::SetUp();
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

TEST_F(SensorFilterTest, DestroyedOnlyHidesTheDestroyedSensorAndTheCommandRemovesIt) {
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

TEST_F(SensorFilterTest, DateRangesIncludeBothDaysAndCompleteMissingEnds) {
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

TEST_F(SensorFilterTest, AStartAfterTheEndMatchesNothingAndKeepsTheCriteria) {
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

TEST_F(SensorFilterTest, TypeCodesFromTheListOrTypedAndUnknownOnesRefused) {
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

TEST_F(SensorFilterTest, AQuoteInTheLevelFiltersLikeAnyOtherText) {
    panel().txtFilterLevel->setText(" O'Brien's drift ");
    apply();
    EXPECT_EQ(listed(), QStringList({"120521001"}));
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(SensorFilterTest, MissingCriteriaAndBadDatesAreSaid) {
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
