#include "app/UtilitiesPage.h"
#include "revisions/RevisionStore.h"
#include "sensors/IdentificationPage.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/TriggerTables.h"
#include "support/ComboItems.h"
#include "support/MainWindowFixture.h"
#include "support/ServerDatabase.h"

#include <QComboBox>
#include <QLabel>

namespace {
const QString kUnprotected = QStringLiteral("The trigger event log is not protected");
} // namespace

// The event log's rules, taken away between two openings of the register.
class EventLogWarningTest : public OnBothEngines<MainWindowTest> {
protected:
    QLabel* warning() const { return window->utilities->lblEventLogRules; }
    bool rulesIntact() {
        Connection db;
        db.open(location());
        return eventLogRulesIntact(db);
    }
};
INSTANTIATE_ON_BOTH_ENGINES(EventLogWarningTest);

TEST_P(EventLogWarningTest, RulesTakenAwayAreBackOnTheNextOpeningWithoutAWarning) {
    addSensors({"120521001"});
    open();
    EXPECT_TRUE(warning()->isHidden());
    EXPECT_EQ(logEntries(), 0);
    closeWindow();
    exec("INSERT INTO TriggerEvents (InstrumentID, DateTimeKey, State, Measure, Value, Level, "
         "DetectedAt, DetectedBy) VALUES ('120521001', 'k', 'Red', 'Disp', 9, 5, 'd', 'ann')");

    exec(onServer() ? "ALTER TABLE triggerevents DISABLE TRIGGER USER"
                    : "DROP TRIGGER TriggerEvents_NoDelete");
    ASSERT_FALSE(rulesIntact());
    open();
    EXPECT_TRUE(rulesIntact());
    EXPECT_TRUE(warning()->isHidden());
    // The repair is on record.
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains("rules were missing, switched off or changed, and were put "
                                   "back"));
    EXPECT_THROW(exec("DELETE FROM TriggerEvents"), DbError);
}

// A login that owns none of the register's tables opens it all the same, and is told on the
// Utilities tab that the rules stay off.
class EventLogWithoutRightsTest : public MainWindowTest {
protected:
    Engine engine() const override { return Engine::Server; }
};

TEST_F(EventLogWithoutRightsTest, TheRegisterOpensAndTheUtilitiesTabSaysTheLogIsUnprotected) {
    addSensors({"120521001"});
    {
        Connection owner;
        owner.open(location());
        createTriggerTables(owner);
        createRevisionTable(owner);
        owner.execute("ALTER TABLE triggerevents DISABLE TRIGGER USER");
    }
    const QString clerk = server_->limitedLoginUri();
    if (clerk.isEmpty()) {
        GTEST_SKIP() << server_->reason().toStdString();
    }
    writeLocationFile(folder(), clerk);
    open();
    EXPECT_FALSE(window->endRequested());
    EXPECT_EQ(comboItems(window->identification->cboSensors), QStringList({"120521001"}));
    QLabel* warning = window->utilities->lblEventLogRules;
    EXPECT_FALSE(warning->isHidden());
    EXPECT_TRUE(warning->text().startsWith(kUnprotected + ": its rules against deleting or "
                                                          "changing events are missing or "
                                                          "switched off, and could not be put "
                                                          "back ("))
        << warning->text().toStdString();
    EXPECT_EQ(logEntries(), 1);
    EXPECT_TRUE(logText().contains("G_EventLogRules"));
    closeWindow();

    // Once the owner has opened it, the rules are on and the warning gone.
    writeLocationFile(folder(), location());
    open();
    closeWindow();
    writeLocationFile(folder(), clerk);
    open();
    EXPECT_TRUE(window->utilities->lblEventLogRules->isHidden());
}
