#include "reports/PdfWriter.h"
#include "store/DbError.h"
#include "support/TempDataFolder.h"

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

} // namespace
