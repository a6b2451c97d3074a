#include "links/Manual.h"
#include "reports/PdfNavigation.h"
#include "support/TempDataFolder.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

// The written manual is read back with the PDF tools a Linux desktop ships: its contents page
// numbers, bookmarks and links are what a reader of the file sees.
class ManualPdfTest : public TempDataFolderTest {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        }
        file = path("QuorvelleManual.pdf");
        ASSERT_TRUE(writeManual(file));
        QFile pdf(file);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        bytes = pdf.readAll();
        QFile source(":/manual/manual.md");
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        for (const QString& line : QString::fromUtf8(source.readAll()).split('\n')) {
            if (line.startsWith("## ")) {
                chapters << line.mid(3).trimmed();
            } else if (line.startsWith("### ")) {
                sections << line.mid(4).trimmed();
            }
        }
        ASSERT_GE(chapters.size(), 14);
    }

    // The text of one page (1-based), or of the whole file.
    QString text(int page = 0) const {
        QStringList arguments{"-layout"};
        if (page > 0) {
            arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
        }
        QProcess process;
        process.start("pdftotext", arguments << file << "-");
        process.waitForFinished(-1);
        // The ligatures the fonts draw (fi, ff) are read back as their letters.
        return QString::fromUtf8(process.readAllStandardOutput())
            .normalized(QString::NormalizationForm_KC);
    }

    QString file;
    QByteArray bytes;
    QStringList chapters;
    QStringList sections;
};

TEST_F(ManualPdfTest, ContentsGiveThePageWhereEachChapterStarts) {
    const QString all = text();
    int checked = 0;
    for (const QString& chapter : chapters) {
        const QRegularExpressionMatch entry =
            QRegularExpression("^\\s*" + QRegularExpression::escape(chapter) + "\\s+(\\d+)\\s*$",
                               QRegularExpression::MultilineOption)
                .match(all);
        ASSERT_TRUE(entry.hasMatch()) << chapter.toStdString();
        const int page = entry.captured(1).toInt();
        // The chapter's heading opens its page, below nothing but the page's top margin.
        EXPECT_TRUE(text(page).trimmed().startsWith(chapter))
            << chapter.toStdString() << " on page " << page;
        ++checked;
    }
    EXPECT_EQ(checked, chapters.size());
    // A section's line gives the page its heading is printed on.
    for (const QString& section : sections) {
        const QRegularExpressionMatch entry =
            QRegularExpression("^\\s*" + QRegularExpression::escape(section) + "\\s+(\\d+)\\s*$",
                               QRegularExpression::MultilineOption)
                .match(all);
        ASSERT_TRUE(entry.hasMatch()) << section.toStdString();
        EXPECT_TRUE(QRegularExpression("^\\s*" + QRegularExpression::escape(section) + "\\s*$",
                                       QRegularExpression::MultilineOption)
                        .match(text(entry.captured(1).toInt()))
                        .hasMatch())
            << section.toStdString() << " on page " << entry.captured(1).toStdString();
    }
    // Every page carries its number at its foot.
    const QString last = text(3);
    EXPECT_TRUE(last.trimmed().endsWith("3")) << last.right(40).toStdString();
}

// Titles of the bookmarks, read from the outline's objects, with whether each is first-level.
QVector<std::pair<QString, bool>> bookmarks(const QByteArray& pdf) {
    const QRegularExpression outlines("(\\d+) 0 obj\\s*<<\\s*/Type /Outlines");
    const QString latin = QString::fromLatin1(pdf);
    const QRegularExpressionMatch root = outlines.match(latin);
    if (!root.hasMatch()) {
        return {};
    }
    const QString parentOfChapter = "/Parent " + root.captured(1) + " 0 R";
    QVector<std::pair<QString, bool>> found;
    const QRegularExpression item("/Title <FEFF([0-9A-F]*)>\\s*(/Parent \\d+ 0 R)");
    for (const QRegularExpressionMatch& match : item.globalMatch(latin)) {
        QString title;
        const QString hex = match.captured(1);
        for (qsizetype i = 0; i + 4 <= hex.size(); i += 4) {
            title += QChar(char16_t(hex.mid(i, 4).toUShort(nullptr, 16)));
        }
        found.append({title, match.captured(2) == parentOfChapter});
    }
    return found;
}

TEST_F(ManualPdfTest, OutlineListsTheChaptersWithTheirSectionsBeneath) {
    const auto found = bookmarks(bytes);
    ASSERT_FALSE(found.isEmpty());
    QStringList firstLevel;
    for (const auto& [title, chapter] : found) {
        if (chapter) {
            firstLevel << title;
        }
    }
    EXPECT_EQ(firstLevel, chapters);
    EXPECT_GT(found.size(), chapters.size() + 30);
    // Sections sit beneath their chapters.
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](const auto& entry) {
        return !entry.second && entry.first == "7.1 Installation geometry";
    }));
    EXPECT_TRUE(bytes.contains("/PageMode /UseOutlines"));

    // Every contents line is a link to the page its bookmark opens, in the same order.
    const QString latin = QString::fromLatin1(bytes);
    QStringList linkPages;
    for (const QRegularExpressionMatch& match :
         QRegularExpression(
             "/Subtype /Link\\s*/Rect \\[[^\\]]*\\]\\s*/Border \\[0 0 0\\]\\s*/Dest \\[(\\d+) 0 R")
             .globalMatch(latin)) {
        linkPages << match.captured(1);
    }
    QStringList bookmarkPages;
    for (const QRegularExpressionMatch& match :
         QRegularExpression("/Title <FEFF[0-9A-F]*>[^>]*?/Dest \\[(\\d+) 0 R").globalMatch(latin)) {
        bookmarkPages << match.captured(1);
    }
    EXPECT_EQ(bookmarkPages.size(), found.size());
    EXPECT_EQ(linkPages, bookmarkPages);
    QProcess info;
    info.start("pdfinfo", {file});
    info.waitForFinished(-1);
    EXPECT_EQ(info.exitCode(), 0) << info.readAllStandardError().toStdString();
}

TEST(PdfNavigationTest, AFileNotLaidOutAsExpectedIsLeftToTheCaller) {
    EXPECT_TRUE(addPdfNavigation("%PDF-1.4\nnot the writer's layout\n", {}, {}).isEmpty());
    EXPECT_TRUE(addPdfNavigation(QByteArray(), {{"1. Getting started", 0, {3, 0}}}, {}).isEmpty());
}
