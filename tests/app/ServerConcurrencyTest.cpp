#include "app/frmQuorvelle.h"
#include "sensors/IdentificationPage.h"
#include "sensors/InstallationPage.h"
#include "sensors/SensorForm.h"
#include "sensors/SensorNavigation.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/Schema.h"
#include "support/MainWindowFixture.h"
#include "support/ServerDatabase.h"

#include <QLineEdit>
#include <QTest>

namespace {
// The main window on a register of the test run's server, with a second user beside it.
class ServerConcurrencyTest : public MainWindowTest {
protected:
    void SetUp() override {
        server = std::make_unique<ServerDatabase>();
        if (!server->available()) {
            GTEST_SKIP() << server->reason().toStdString();
        }
        MainWindowTest::SetUp();
        other.open(server->uri());
        createSchema(other);
        for (const QString id : {"120521001", "120521002"}) {
            other.execute("INSERT INTO Sensors (InstrumentID, SensorType, DateID, TypeID, "
                          "SensorNo, Family, Model, InstallDate, Destroyed, HeadLocation, "
                          "LengthofCable, Recess, Borehole) VALUES (?, '21', '1205', '21', ?, "
                          "'k1VARLO', 'EX', '2026/01/05', 'No', 1, 0, 0, 'BH-1')",
                          {id, id.mid(6, 3)});
            createReadingsTable(other, id);
        }
        writeLocationFile(folder(), server->uri());
        open();
        prompter.clear();
    }
    QString storedBorehole(const QString& id) {
        return other.scalar("SELECT Borehole FROM Sensors WHERE InstrumentID = ?", {id}).toString();
    }

    std::unique_ptr<ServerDatabase> server;
    Connection other;
};
} // namespace

TEST_F(ServerConcurrencyTest, ASensorStoredByAnotherUserIsNotOverwrittenAndTheFormRereadsIt) {
    ASSERT_EQ(window->state().dbPath, server->uri());
    ASSERT_EQ(window->identification->txtSensor->text(), "120521002");
    other.execute("UPDATE Sensors SET Borehole = 'BH-theirs' WHERE InstrumentID = '120521002'");

    window->installation->txtBorehole->setText("BH-mine");
    window->sensorForm->savefields();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"Sensor 120521002 was changed by someone else; the form shows the "
                           "stored values now."}));
    EXPECT_EQ(storedBorehole("120521002"), "BH-theirs");
    EXPECT_EQ(window->installation->txtBorehole->text(), "BH-theirs");

    // Typed again over what is now shown, the edit is stored.
    prompter.clear();
    window->installation->txtBorehole->setText("BH-mine");
    window->sensorForm->savefields();
    EXPECT_TRUE(prompter.messageTexts().isEmpty())
        << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(storedBorehole("120521002"), "BH-mine");
}

TEST_F(ServerConcurrencyTest, ASensorDeletedByAnotherUserIsToldWithoutACrash) {
    other.execute("DELETE FROM Sensors WHERE InstrumentID = '120521002'");
    window->installation->txtBorehole->setText("BH-mine");
    window->sensorForm->savefields();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList({"Sensor 120521002 was deleted by someone else."}))
        << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(other.scalar("SELECT count(*) FROM Sensors").toInt(), 1);

    // The register goes on with the sensor that is left.
    prompter.clear();
    QTest::mouseClick(window->identification->imgNext.image, Qt::LeftButton);
    EXPECT_EQ(window->identification->txtSensor->text(), "120521001")
        << window->identification->txtSensor->text().toStdString() << " / "
        << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(storedBorehole("120521001"), "BH-1");
}
