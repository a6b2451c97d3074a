#include "reports/PdfWriter.h"
#include "store/DbError.h"
#include "support/FaultConditions.h"
#include "support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

class PdfWriterTest : public TempDataFolderTest {
protected:
    // pdftotext's pages of the file; the test is skipped without poppler-utils.
    QStringList pages(const QString& pdf) {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
            return {};
        }
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        p.waitForFinished(60000);
        QStringList result = QString::fromUtf8(p.readAllStandardOutput()).split('\f');
        if (!result.isEmpty() && result.last().trimmed().isEmpty()) {
            result.removeLast();
        }
        return result;
    }

    QString jpeg(const QString& name, QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        image.save(path(name), "JPG");
        return path(name);
    }
};

TEST_F(PdfWriterTest, TextAndPicturesThatDoNotFitGoOnTheNextPage) {
    PdfWriter doc;
    doc.setHeaderPicture(jpeg("logo.jpg", {200, 60}), QSizeF(150, 45));
    for (int i = 1; i <= 60; ++i) {
        doc.addParagraph(QStringLiteral("   Line %1").arg(i), 12, i == 1);
    }
    // A picture taller than what is left of the second page starts the third.
    doc.addPicture(jpeg("chart.jpg", {800, 600}), QSizeF(451, 600));
    doc.addParagraph("After the picture");
    doc.addPageBreak();
    doc.addParagraph("Last page");

    const int count = doc.save(path("long.pdf"));
    EXPECT_EQ(count, 4);
    const QStringList text = pages(path("long.pdf"));
    if (text.isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    ASSERT_EQ(text.size(), 4);
    EXPECT_TRUE(text[0].contains("Line 1\n"));
    EXPECT_FALSE(text[0].contains("Line 60"));
    EXPECT_TRUE(text[1].contains("Line 60"));
    EXPECT_TRUE(text[2].contains("After the picture"));
    EXPECT_TRUE(text[3].contains("Last page"));
}

TEST_F(PdfWriterTest, MissingPictureLeavesNoFile) {
    PdfWriter doc;
    doc.addParagraph("Title");
    doc.addPicture(path("missing.jpg"), QSizeF(100, 100));
    EXPECT_THROW(doc.save(path("out.pdf")), DbError);
    EXPECT_FALSE(QFile::exists(path("out.pdf")));
}

TEST_F(PdfWriterTest, AReportIsReplacedOnlyByOneWrittenWhole) {
    PdfWriter doc;
    doc.addParagraph("Title");
    doc.addPicture(jpeg("chart.jpg", {400, 300}), QSizeF(400, 300));
    const QByteArray old = "%PDF-1.4 the report as it was\n";
    const auto writeOld = [&](const QString& file) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    };
    const auto bytes = [](const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    // With room on the disk the new report takes the old one's place, and nothing else is left.
    writeOld(path("report.pdf"));
    ASSERT_EQ(doc.save(path("report.pdf")), 1);
    EXPECT_TRUE(bytes(path("report.pdf")).startsWith("%PDF-"));
    EXPECT_NE(bytes(path("report.pdf")), old);
    EXPECT_EQ(QDir(folder()).entryList({"report.pdf*"}, QDir::Files), QStringList{"report.pdf"});

    FullDisk disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << "no small file system can be mounted here (it needs root)";
    }
    const QString report = QDir(disk.folder()).filePath("report.pdf");
    writeOld(report);
    disk.fill();
    try {
        doc.save(report);
        ADD_FAILURE() << "a report was written to a full disk";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.description().startsWith("The report " + report + " was not written: "))
            << e.description().toStdString();
        EXPECT_TRUE(e.description().contains("No space left on device"))
            << e.description().toStdString();
    }
    EXPECT_EQ(bytes(report), old);
    EXPECT_EQ(QDir(disk.folder()).entryList(QDir::Files), (QStringList{"filler", "report.pdf"}));
}

} // namespace
