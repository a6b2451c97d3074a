#include "app/UtilitiesPage.h"
#include "sensors/IdentificationPage.h"
#include "store/Connection.h"
#include "support/MainWindowFixture.h"
#include "support/TestReadings.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>

namespace {
QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class CompactCommandTest : public MainWindowTest {
protected:
    // Readings of 4000 bytes each, some of them deleted again.
    void fill(int kept, int deleted) { fillWithFreePages(dbPath(), kept, deleted); }
};

TEST_F(CompactCommandTest, ClosingLeavesASmallShareOfFreePagesForTheCommandToReclaim) {
    addSensors({"120521001", "120521002"});
    fill(400, 20);
    // A first run adds what start-up adds.
    open();
    closeWindow();
    ASSERT_GT(scalar("PRAGMA freelist_count").toLongLong(), 0);
    const QByteArray before = contentOf(dbPath());
    open();
    closeWindow();
    EXPECT_EQ(contentOf(dbPath()), before);

    frmQuorvelle& w = open();
    prompter.clear();
    w.SSTab1->setCurrentIndex(7);
    const qint64 size = QFileInfo(dbPath()).size();
    emit w.utilities->compact.image->clicked();
    ASSERT_EQ(prompter.calls.size(), 1);
    EXPECT_EQ(prompter.last().title, "Ombrevault's Quorvelle");
    EXPECT_TRUE(prompter.last().text.startsWith("QuorvelleVARLO_MM.mdb was compacted from "))
        << prompter.last().text.toStdString();
    EXPECT_LT(QFileInfo(dbPath()).size(), size);
    EXPECT_EQ(scalar("PRAGMA freelist_count").toLongLong(), 0);
    EXPECT_EQ(scalar("SELECT count(*) FROM `120521001`").toInt(), 400);
    // The program carries on with the database reopened.
    EXPECT_EQ(w.identification->cboSensors->count(), 2);
    EXPECT_EQ(logEntries(), 0);

    emit w.utilities->compact.caption->clicked();
    EXPECT_EQ(prompter.last().text, "QuorvelleVARLO_MM.mdb has no free space to reclaim.");
}
