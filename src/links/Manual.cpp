#include "links/Manual.h"

#include "store/DbError.h"
#include "ui/PdfFile.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>
#include <QVector>
#include <algorithm>

namespace {
// The width of the printed text on an A4 page with 2 cm margins, in the document's pixels
// (1/96 inch): pictures are drawn no wider.
constexpr double kTextWidth = 17.0 / 2.54 * 96.0;

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
    return true;
}

bool writeManual(const QString& path) {
    QTextDocument document;
    if (!buildManual(document)) {
        return false;
    }
    // Written whole or not at all: a cut-off manual would be kept, as only a missing one is
    // written again.
    try {
        writePdfFile(path, QStringLiteral("The manual"), [&](QPdfWriter& pdf) {
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setTitle("Quorvelle User Manual");
            document.print(&pdf);
        });
    } catch (const DbError&) {
        return false;
    }
    return true;
}
