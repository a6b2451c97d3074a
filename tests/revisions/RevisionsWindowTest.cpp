#include "readings/ReadingsFixture.h"
#include "revisions/RevisionStore.h"
#include "revisions/frmRevisions.h"
#include "store/Connection.h"
#include "triggers/TriggerEvents.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>

namespace {

const QString kId = QStringLiteral("120541001"); // three nodes

class RevisionsWindowTest : public ReadingsTest {
protected:
    // The main window on the Readings tab, the newest of nine readings shown, and the
    // revision window opened from it.
    frmRevisions& openRevisions() {
        addSensors({kId});
        addNineReadings(kId);
        openOnReadings();
        auto* button = page().findChild<QPushButton*>("cmdRevisions");
        EXPECT_NE(button, nullptr);
        button->click();
        frmRevisions* form = page().findChild<frmRevisions*>("frmRevisions");
        EXPECT_NE(form, nullptr);
        return *form;
    }

    QList<SensorRevision> stored() {
        Connection db;
        db.open(location());
        return readRevisions(db, kId);
    }

    static void type(QLineEdit* box, const QString& keys) {
        box->clear();
        QTest::keyClicks(box, keys);
    }
};

} // namespace

TEST_F(RevisionsWindowTest, AnEntryForTheCurrentReadingIsStoredAndListed) {
    frmRevisions& form = openRevisions();
    ASSERT_TRUE(form.optCurrentReading->isChecked());
    EXPECT_EQ(form.optCurrentReading->text(), "Current reading (2026/12/09 08:00:00)");
    ASSERT_EQ(form.txtOffset.size(), 3);

    // Only a number gets into an offset box.
    type(form.txtOffset[0], "-1x.2a5");
    EXPECT_EQ(form.txtOffset[0]->text(), "-1.25");
    // Some boxes typed and some not is neither computed nor typed.
    EXPECT_FALSE(form.cmdAdd_Click());
    EXPECT_EQ(prompter.last().title, "Revisions");
    EXPECT_EQ(prompter.last().text, "Type an offset for every node, or leave them all empty to "
                                    "carry the displacement on across the revision.");
    EXPECT_TRUE(stored().isEmpty());

    type(form.txtOffset[1], "0.5");
    type(form.txtOffset[2], "2");
    form.txtNote->setText("Readout replaced");
    const qsizetype prompts = prompter.calls.size();
    ASSERT_TRUE(form.cmdAdd_Click());
    EXPECT_EQ(prompter.calls.size(), prompts);
    const QList<SensorRevision> revisions = stored();
    ASSERT_EQ(revisions.size(), 1);
    EXPECT_EQ(revisions[0].fromDate, "2026-12-09 08:00:00");
    EXPECT_EQ(revisions[0].fromKey, key(kId, QDateTime(QDate(2026, 12, 9), QTime(8, 0))));
    EXPECT_DOUBLE_EQ(revisions[0].offsets[0].value_or(0), -1.25);
    EXPECT_DOUBLE_EQ(revisions[0].offsets[2].value_or(0), 2.0);
    EXPECT_EQ(revisions[0].note, "Readout replaced");
    EXPECT_EQ(revisions[0].enteredBy, loginName());
    EXPECT_EQ(form.grdRevisions->rowCount(), 1);
    EXPECT_EQ(form.grdRevisions->item(0, 3)->text(), "all nodes, -1.25, 0.50, 2.00 mm");

    // A correction on the same reading: the earlier entry stays listed, superseded.
    form.cboKind->setCurrentIndex(form.cboKind->findText("re-zero"));
    EXPECT_FALSE(form.txtOffset[0]->isEnabled());
    ASSERT_TRUE(form.cmdAdd_Click());
    ASSERT_EQ(form.grdRevisions->rowCount(), 2);
    EXPECT_EQ(form.grdRevisions->item(0, 7)->text(),
              QStringLiteral("by No. %1").arg(stored()[1].id));
    EXPECT_EQ(form.grdRevisions->item(1, 2)->text(), "re-zero");
}

TEST_F(RevisionsWindowTest, AChosenDateBeforeTheFirstReadingIsRefusedAndTold) {
    frmRevisions& form = openRevisions();
    form.optChosenDate->setChecked(true);
    form.dtpRevDate->setDate(QDate(2026, 11, 30));
    form.dtpRevTime->setTime(QTime(12, 0));
    form.cboKind->setCurrentIndex(form.cboKind->findText("node lost"));
    form.cboNode->setCurrentIndex(form.cboNode->findText("Node 2"));
    EXPECT_FALSE(form.cmdAdd_Click());
    EXPECT_EQ(prompter.last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(prompter.last().text, "The revision is dated before the first reading of sensor "
                                    "120541001 (2026/12/01 08:00:00): there is nothing to revise "
                                    "before it.");
    EXPECT_TRUE(stored().isEmpty());

    // Between two readings it is taken, from the next reading on, for node 2 only.
    form.dtpRevDate->setDate(QDate(2026, 12, 4));
    ASSERT_TRUE(form.cmdAdd_Click());
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].fromDate, "2026-12-04 12:00:00");
    EXPECT_EQ(stored()[0].node, 2);
    EXPECT_EQ(stored()[0].kind, RevisionKind::NodeLost);
    EXPECT_EQ(form.lblRevStatus->text(),
              QStringLiteral("Revision No. %1 stored: node lost from 2026/12/04 12:00:00.")
                  .arg(stored()[0].id));
}
