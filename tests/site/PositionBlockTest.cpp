#include "site/PositionBlock.h"
#include "sensors/InstallationPage.h"
#include "site/SiteTables.h"
#include "store/Connection.h"
#include "support/MainWindowFixture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QString kSensor = QStringLiteral("120531001");

class PositionBlockTest : public OnBothEngines<MainWindowTest> {
protected:
    std::optional<SensorPosition> stored() {
        Connection db;
        db.open(location());
        return readPosition(db, kSensor);
    }
    PositionBlock& block() {
        window->SSTab1->setCurrentIndex(1);
        return *window->installation->position;
    }
};

} // namespace

TEST_P(PositionBlockTest, TheBoxesStoreWhatIsTypedAndRefuseWhatIsNotANumber) {
    addSensors({kSensor});
    open();
    PositionBlock& b = block();
    EXPECT_TRUE(b.txtEasting->text().isEmpty());

    b.txtEasting->setText("15230.5");
    b.txtNorthing->setText("80112.25");
    // Leaving the tab stores the boxes.
    window->SSTab1->setCurrentIndex(0);
    ASSERT_TRUE(stored());
    EXPECT_DOUBLE_EQ(stored()->easting, 15230.5);
    EXPECT_DOUBLE_EQ(stored()->northing, 80112.25);
    EXPECT_FALSE(stored()->elevation);

    block();
    EXPECT_EQ(b.txtEasting->text(), "15230.500");
    b.txtElevation->setText("-1040 m");
    emit b.txtElevation->editingFinished();
    EXPECT_EQ(prompter.last().text, "The elevation '-1040 m' is not a number of metres.");
    EXPECT_TRUE(b.txtElevation->text().isEmpty());
    EXPECT_FALSE(stored()->elevation);

    b.txtNorthing->clear();
    emit b.txtNorthing->editingFinished();
    EXPECT_EQ(prompter.last().text, "A position needs its northing.");
    EXPECT_EQ(b.txtNorthing->text(), "80112.250");

    // Emptied boxes are no position.
    b.txtEasting->clear();
    b.txtNorthing->clear();
    emit b.txtNorthing->editingFinished();
    EXPECT_FALSE(stored());

    // A surveyor's file through the button; the summary names what was refused.
    const QString csv = path("survey.csv");
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("InstrumentID,Easting,Northing,Elevation\n120531001,1,2,3\n120531999,1,2,3\n");
    file.close();
    prompter.files << csv;
    b.cmdImportPositions->click();
    EXPECT_EQ(prompter.last().text, "survey.csv: 1 lines taken, 1 refused\r\nline 3: sensor "
                                    "'120531999' is not in the register");
    EXPECT_EQ(b.txtElevation->text(), "3.000");
}

INSTANTIATE_ON_BOTH_ENGINES(PositionBlockTest);
