#include "links/Manual.h"

#include "reports/PdfNavigation.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <QVector>
#include <algorithm>

namespace {
// The width of the printed text on an A4 page with 2 cm margins, in the document's pixels
// (1/96 inch): pictures are drawn no wider.
constexpr double kMargin = 2.0 / 2.54 * 96.0;
constexpr double kTextWidth = 17.0 / 2.54 * 96.0;
// The document's pixels are 1/96 inch, the PDF's points 1/72.
constexpr double kPointsPerPixel = 72.0 / 96.0;

// An A4 page as the PDF writer sizes it (whole points), in the document's pixels.
QSizeF pageSize() {
    return QPageSize(QPageSize::A4).sizePoints().toSizeF() / kPointsPerPixel;
}

struct Picture {
    int position;
    int length;
    QTextImageFormat format;
};

// Pictures are loaded and keep their proportions at no more than the text's width; each
// chapter starts a page.
void fitToPage(QTextDocument& document) {
    QVector<Picture> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 2 && block.blockNumber() > 0) {
            QTextBlockFormat chapter = block.blockFormat();
            chapter.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(chapter);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat()) {
                pictures.append({fragment.position(), fragment.length(),
                                 fragment.charFormat().toImageFormat()});
            }
        }
    }
    for (Picture& picture : pictures) {
        // The text names its pictures by file name; they sit beside it in the resources.
        const QImage image(QStringLiteral(":/manual/") + picture.format.name());
        if (image.isNull()) {
            continue;
        }
        document.addResource(QTextDocument::ImageResource, QUrl(picture.format.name()), image);
        const double width = std::min<double>(image.width(), kTextWidth);
        picture.format.setWidth(width);
        picture.format.setHeight(width * image.height() / image.width());
        QTextCursor cursor(&document);
        cursor.setPosition(picture.position);
        cursor.setPosition(picture.position + picture.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture.format);
    }
}
// Tables are drawn with single thin rules and some room in their cells.
void ruleTables(QTextDocument& document) {
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr) {
            continue;
        }
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(0x80, 0x80, 0x80));
        format.setCellSpacing(0);
        format.setCellPadding(3);
        table->setFormat(format);
    }
}
// The chapters and sections: the document's title is the only first-level heading.
QVector<QTextBlock> headingsOf(const QTextDocument& document) {
    QVector<QTextBlock> headings;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 2 || level == 3) {
            headings << block;
        }
    }
    return headings;
}

QTextBlock contentsTitle(const QTextDocument& document) {
    QTextBlock title = document.begin();
    while (title.isValid() && title.text().trimmed() != QStringLiteral("Contents")) {
        title = title.next();
    }
    return title;
}

// The contents are written by the program in place of the list that follows the "Contents"
// paragraph: every chapter and section, its page number after a right tab.
QVector<int> insertContents(QTextDocument& document, const QVector<QTextBlock>& headings) {
    const QTextBlock title = contentsTitle(document);
    if (!title.isValid()) {
        return {};
    }
    QTextBlock last = title;
    while (last.next().isValid() && last.next().textList() != nullptr) {
        last = last.next();
    }
    QTextCursor cursor(title);
    cursor.movePosition(QTextCursor::EndOfBlock);
    if (last != title) {
        cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    QVector<int> entries;
    for (const QTextBlock& heading : headings) {
        const bool chapter = heading.blockFormat().headingLevel() == 2;
        const double indent = chapter ? 0 : 24;
        QTextBlockFormat format;
        format.setLeftMargin(indent);
        format.setTopMargin(chapter ? 4 : 0);
        // Tabs count from the block's indented edge; the numbers line up at the right margin.
        format.setTabPositions({QTextOption::Tab(kTextWidth - indent - 2, QTextOption::RightTab)});
        cursor.insertBlock(format, QTextCharFormat());
        cursor.insertText(heading.text() + QStringLiteral("\t0"));
        entries << cursor.block().blockNumber();
    }
    QTextBlockFormat end = cursor.blockFormat();
    end.setBottomMargin(12);
    cursor.setBlockFormat(end);
    return entries;
}

// Where a block's text is printed: a block that does not fit at the foot of a page has its
// text moved to the next one, while the block itself still starts on the first.
double textTop(const QTextDocument& document, const QTextBlock& block) {
    document.documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    return layout->position().y() + (layout->lineCount() > 0 ? layout->lineAt(0).y() : 0);
}

int pageOf(const QTextDocument& document, const QTextBlock& block) {
    return int(textTop(document, block) / document.pageSize().height());
}

} // namespace

bool buildManual(QTextDocument& document) {
    QFile source(":/manual/manual.md");
    if (!source.open(QIODevice::ReadOnly)) {
        return false;
    }
    document.setDefaultFont(QFont("DejaVu Sans", 10));
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    fitToPage(document);
    ruleTables(document);
    document.setPageSize(pageSize());
    QTextFrameFormat margins = document.rootFrame()->frameFormat();
    margins.setMargin(kMargin);
    document.rootFrame()->setFrameFormat(margins);

    const QVector<QTextBlock> headings = headingsOf(document);
    const QVector<int> entries = insertContents(document, headings);
    // A page number is written, the pages are laid out again, until the numbers hold: each
    // entry stays one line, so the second round normally settles them.
    for (int round = 0; round < 4; ++round) {
        // The layout follows edits only in part; pages are measured on a whole new one.
        document.markContentsDirty(0, document.characterCount());
        bool settled = true;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QTextBlock entry = document.findBlockByNumber(entries[i]);
            const QString page = QString::number(pageOf(document, headings[i]) + 1);
            const int tab = int(entry.text().lastIndexOf('\t'));
            if (entry.text().mid(tab + 1) == page) {
                continue;
            }
            settled = false;
            QTextCursor cursor(entry);
            cursor.setPosition(entry.position() + tab + 1);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cursor.insertText(page);
        }
        if (settled) {
            return true;
        }
    }
    document.markContentsDirty(0, document.characterCount());
    return true;
}

namespace {

PdfPlace placeOf(const QTextDocument& document, double y) {
    const double height = document.pageSize().height();
    const int page = int(y / height);
    return {page, (y - page * height) * kPointsPerPixel};
}

// Bookmarks for the chapters and their sections, and each contents line a link to its page.
QByteArray navigate(const QTextDocument& document, const QByteArray& pdf) {
    QVector<PdfOutlineEntry> outline;
    QVector<PdfPlace> places;
    for (const QTextBlock& heading : headingsOf(document)) {
        places << placeOf(document, textTop(document, heading));
        outline.append({heading.text(), heading.blockFormat().headingLevel() - 2, places.last()});
    }
    QVector<PdfLink> links;
    for (QTextBlock entry = contentsTitle(document).next();
         entry.isValid() && links.size() < places.size(); entry = entry.next()) {
        const PdfPlace at = placeOf(document, textTop(document, entry));
        const double height =
            entry.layout()->lineCount() > 0 ? entry.layout()->lineAt(0).height() : 0;
        links.append({at.page,
                      QRectF(kMargin * kPointsPerPixel, at.top, kTextWidth * kPointsPerPixel,
                             height * kPointsPerPixel),
                      places[links.size()]});
    }
    return addPdfNavigation(pdf, outline, links);
}

QByteArray print(QTextDocument& document) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("Quorvelle"));
        pdf.setTitle("Quorvelle User Manual");
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        const double scale = pdf.resolution() / 96.0;
        painter.scale(scale, scale);
        const QSizeF page = document.pageSize();
        QFont font = document.defaultFont();
        font.setPixelSize(12);
        for (int index = 0; index < document.pageCount(); ++index) {
            if (index > 0) {
                pdf.newPage();
            }
            painter.save();
            painter.translate(0, -index * page.height());
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = QRectF(QPointF(0, index * page.height()), page);
            painter.setClipRect(context.clip);
            document.documentLayout()->draw(&painter, context);
            painter.restore();
            painter.setFont(font);
            painter.drawText(QRectF(0, page.height() - kMargin, page.width(), kMargin / 2),
                             Qt::AlignCenter, QString::number(index + 1));
        }
    }
    return buffer.data();
}

} // namespace

bool writeManual(const QString& path) {
    QTextDocument document;
    if (!buildManual(document)) {
        return false;
    }
    const QByteArray pages = print(document);
    // Without its bookmarks the manual is still worth having: the pages are written as drawn.
    const QByteArray navigated = navigate(document, pages);
    // Written whole or not at all: a cut-off manual would be kept, as only a missing one is
    // written again.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(navigated.isEmpty() ? pages : navigated) > 0 && file.commit();
}
