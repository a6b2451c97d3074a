#include "links/Links.h"
#include "app/BundledFiles.h"
#include "app/UtilitiesPage.h"
#include "links/Manual.h"
#include "store/DataFolder.h"
#include "support/MainWindowFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

TEST_F(MainWindowTest, ManualAndWebsiteOpenFromImageAndCaptionAlike) {
    // The program's settings are read from the test's folder, never from the user's.
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, path("settings"));
    }
    frmQuorvelle& w = open();
    prompter.clear();
    emit w.utilities->manual.caption->clicked();
    // The first click writes the manual it opens.
    QFile manual(folder() + "/QuorvelleManual.pdf");
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    EXPECT_TRUE(manual.read(4) == "%PDF");
    emit w.utilities->manual.image->clicked();
    emit w.utilities->website.caption->clicked();
    EXPECT_EQ(desktop.opened,
              QStringList({folder() + "/QuorvelleManual.pdf", folder() + "/QuorvelleManual.pdf",
                           kDefaultWebsiteAddress}));
    // The address is a setting, read at each click, written where the README says.
    QSettings settings("Ombrevault", "Quorvelle");
    EXPECT_EQ(settings.fileName(), path("settings/Ombrevault/Quorvelle.conf"));
    settings.setValue("WebsiteAddress", " https://mine.example.org/sensors ");
    settings.sync();
    emit w.utilities->website.image->clicked();
    EXPECT_EQ(desktop.opened.last(), "https://mine.example.org/sensors");
    settings.setValue("WebsiteAddress", "");
    settings.sync();
    emit w.utilities->website.image->clicked();
    EXPECT_EQ(desktop.opened.last(), kDefaultWebsiteAddress);
    // Nothing is checked beforehand and nothing is shown when the desktop cannot open it.
    desktop.succeed = false;
    emit w.utilities->manual.image->clicked();
    EXPECT_TRUE(prompter.calls.isEmpty());
}

TEST_F(TempDataFolderTest, FirstStartCreatesTheDatabaseAndLogoAndTheManualWaitsToBeOpened) {
    const QString data = path("Ombrevault/Quorvelle");
    prepareBundledFiles(data);
    EXPECT_TRUE(QFile::exists(defaultDatabasePath(data)));
    QFile logo(data + "/ovlogo.jpg");
    ASSERT_TRUE(logo.open(QIODevice::ReadOnly));
    EXPECT_EQ(logo.read(2), QByteArray("\xFF\xD8"));
    // Laying out the manual would hold up every first start after an update by seconds.
    QFile manual(data + "/QuorvelleManual.pdf");
    EXPECT_FALSE(manual.exists());
    // A second start leaves an existing database alone.
    const QDateTime stamp = QFileInfo(defaultDatabasePath(data)).lastModified();
    prepareBundledFiles(data);
    EXPECT_EQ(QFileInfo(defaultDatabasePath(data)).lastModified(), stamp);

    // Opened, it is written; one left by an earlier version of the program is written anew;
    // a current one stays.
    EXPECT_EQ(preparedManual(data), manual.fileName());
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    EXPECT_TRUE(manual.read(4) == "%PDF");
    manual.close();
    const QDateTime program = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly | QIODevice::Truncate));
    manual.write("the manual of an earlier version");
    manual.flush();
    ASSERT_TRUE(manual.setFileTime(program.addDays(-1), QFileDevice::FileModificationTime));
    manual.close();
    preparedManual(data);
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    EXPECT_TRUE(manual.read(4) == "%PDF");
    manual.close();
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly | QIODevice::Truncate));
    manual.write("written after the program");
    manual.close();
    preparedManual(data);
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    EXPECT_EQ(manual.readAll(), QByteArray("written after the program"));
}

TEST(ManualTest, EveryPictureIsBundledAndFitsThePage) {
    QTextDocument document;
    ASSERT_TRUE(buildManual(document));
    EXPECT_TRUE(document.toPlainText().startsWith("Quorvelle User Manual"));
    QStringList pictures;
    int chapters = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 2) {
            ++chapters;
            EXPECT_EQ(block.blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore)
                << block.text().toStdString();
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (!it.fragment().charFormat().isImageFormat()) {
                continue;
            }
            const QTextImageFormat picture = it.fragment().charFormat().toImageFormat();
            pictures << picture.name();
            EXPECT_FALSE(document.resource(QTextDocument::ImageResource, QUrl(picture.name()))
                             .value<QImage>()
                             .isNull())
                << picture.name().toStdString();
            // Printed on A4 with 2 cm margins: 17 cm at 96 pixels an inch.
            EXPECT_GT(picture.width(), 300);
            EXPECT_LE(picture.width(), 17.0 / 2.54 * 96.0);
        }
    }
    EXPECT_GE(chapters, 14);
    // Every tab, the datasheet, the logger review, the deletion window, the report chooser, the
    // site server window, the plan of a level and the Compare view of the site status.
    EXPECT_EQ(pictures.size(), 16);
}
