#include "SensorRegisterFixture.h"

#include "readings/ReadingStore.h"
#include "sensors/IdentificationPage.h"
#include "sensors/frmHistory.h"
#include "triggers/TriggerEvents.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {
// The window opens on the highest number; the other is deleted.
const QString kKept = QStringLiteral("120521002");
const QString kGone = QStringLiteral("120521001");
} // namespace

// "History..." on the Identification tab, over a register whose changes the window records.
class HistoryWindowTest : public OnBothEngines<SensorRegisterTest> {
protected:
    void SetUp() override {
        OnBothEngines<SensorRegisterTest>::SetUp();
        if (IsSkipped()) {
            return;
        }
        addSensors({kKept, kGone});
        for (const QString& id : {kKept, kGone}) {
            for (int day = 1; day <= 3; ++day) {
                exec(QStringLiteral("INSERT INTO %1 (DateTimeKey, FullDate, ReadingDate, "
                                    "ReadingTime, Channel1, Disp1) VALUES (?, ?, ?, '08:00', ?, ?)")
                         .arg(quoteName(id)),
                     {QStringLiteral("2026/11/0%1 08:00").arg(day),
                      QStringLiteral("2026-11-0%1 08:00:00").arg(day),
                      QStringLiteral("2026/11/0%1").arg(day), QString::number(day * 1.1),
                      day / 3.0});
            }
        }
    }
    frmHistory& openHistory(frmQuorvelle& w) {
        w.identification->cmdHistory->click();
        auto* history = w.findChild<frmHistory*>();
        EXPECT_NE(history, nullptr);
        return *history;
    }
    // Selects the rows whose "What" cell holds text; gives how many.
    static int select(frmHistory& h, const QString& text) {
        h.grdHistory->clearSelection();
        int selected = 0;
        for (int row = 0; row < h.grdHistory->rowCount(); ++row) {
            if (h.grdHistory->item(row, 2)->text().contains(text)) {
                h.grdHistory->selectionModel()->select(h.grdHistory->model()->index(row, 0),
                                                       QItemSelectionModel::Select |
                                                           QItemSelectionModel::Rows);
                ++selected;
            }
        }
        return selected;
    }
    QString who() const { return onServer() ? server_->user() : loginName(); }
    QStringList readingRows(const QString& id) {
        QStringList rows;
        for (int day = 1; day <= 3; ++day) {
            rows << scalar("SELECT Channel1 || '/' || CAST(Disp1 AS text) FROM " + quoteName(id) +
                               " WHERE DateTimeKey = ?",
                           {QStringLiteral("2026/11/0%1 08:00").arg(day)})
                        .toString();
        }
        return rows;
    }
};
INSTANTIATE_ON_BOTH_ENGINES(HistoryWindowTest);

TEST_P(HistoryWindowTest, ReadingsDeletedAllAtOnceAreListedAndComeBack) {
    frmQuorvelle& w = open();
    const QStringList before = readingRows(kKept);
    deleteAllReadings(*w.state().db, kKept);
    ASSERT_EQ(scalar("SELECT count(*) FROM " + quoteName(kKept)).toInt(), 0);

    frmHistory& h = openHistory(w);
    EXPECT_EQ(h.cboHistorySensor->currentText(), kKept);
    ASSERT_EQ(h.grdHistory->rowCount(), 3);
    EXPECT_EQ(h.grdHistory->item(0, 1)->text(), who());
    EXPECT_EQ(h.grdHistory->item(0, 2)->text(), "Reading 2026/11/01 08:00 deleted");
    EXPECT_TRUE(h.grdHistory->item(0, 3)->text().contains("Channel1=1.1", Qt::CaseInsensitive));

    // The filters narrow the list to one reading, and to the days from one on.
    h.txtReading->setText("11/02");
    EXPECT_EQ(h.grdHistory->rowCount(), 1);
    h.txtReading->clear();
    h.chkSince->setChecked(true);
    h.dtpSince->setDate(QDate(2999, 1, 1));
    EXPECT_EQ(h.grdHistory->rowCount(), 0);
    h.chkSince->setChecked(false);

    // Nothing chosen, nothing done.
    prompter.clear();
    h.cmdRestore->click();
    EXPECT_EQ(prompter.last().text,
              "Select the deleted readings or the deleted sensor to restore.");

    ASSERT_EQ(select(h, "deleted"), 3);
    h.cmdRestore->click();
    EXPECT_EQ(prompter.last().text, "3 readings were restored.");
    EXPECT_EQ(readingRows(kKept), before);
    EXPECT_EQ(h.grdHistory->rowCount(), 6);

    // Restoring again would meet the readings now there: refused, nothing added.
    ASSERT_EQ(select(h, "deleted"), 3);
    h.cmdRestore->click();
    EXPECT_EQ(prompter.last().text,
              "Sensor " + kKept + " holds a reading 2026/11/01 08:00 again; nothing was restored.");
    EXPECT_EQ(scalar("SELECT count(*) FROM " + quoteName(kKept)).toInt(), 3);
    h.close();
}

TEST_P(HistoryWindowTest, ASensorDeletedFromTheWindowComesBackWithItsReadings) {
    frmQuorvelle& w = open();
    IdentificationPage& id = *w.identification;
    const QStringList before = readingRows(kGone);
    while (id.txtSensor->text() != kGone) {
        click(id.imgNext);
    }
    prompter.answers.enqueue(MsgAnswer::Yes);
    click(id.imgDelete);
    ASSERT_FALSE(tableExists(kGone));
    ASSERT_EQ(id.cboSensors->count(), 1);

    frmHistory& h = openHistory(w);
    ASSERT_NE(h.cboHistorySensor->findText(kGone), -1);
    h.cboHistorySensor->setCurrentText(kGone);
    ASSERT_EQ(select(h, "Sensor deleted"), 1);
    prompter.clear();
    h.cmdRestore->click();
    EXPECT_EQ(prompter.last().text, "Sensor " + kGone + " was restored with 3 readings.");
    EXPECT_EQ(readingRows(kGone), before);
    EXPECT_EQ(scalar("SELECT Family FROM Sensors WHERE InstrumentID = ?", {kGone}).toString(),
              "k1VARLO");
    EXPECT_EQ(id.cboSensors->count(), 2);

    // A second restore finds the sensor there.
    ASSERT_EQ(select(h, "Sensor deleted"), 1);
    h.cmdRestore->click();
    EXPECT_EQ(prompter.last().text,
              "Sensor " + kGone + " is in the database again; nothing was restored.");
    h.close();
}
