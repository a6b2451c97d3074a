#include "reports/PdfWriter.h"

#include "store/DbError.h"
#include "ui/PdfFile.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCharFormat>
#include <QTextLayout>
#include <algorithm>

namespace {
// The page of the .docx, in points: A4, margins of one inch, the header 567 twips from the top.
constexpr double kMargin = 72;
constexpr double kHeaderDistance = 567 / 20.0;
// Space between the header picture and the text when the picture reaches below the margin.
constexpr double kHeaderGap = 6;

QFont fontOf(int pointSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

QImage readPicture(const QString& path) {
    QImage image(path);
    if (image.isNull()) {
        throw DbError(ErrorCode::FileNotFound, QStringLiteral("File not found: ") + path);
    }
    return image;
}

// Puts the blocks on pages, one line or picture at a time.
class Pages {
public:
    Pages(QPdfWriter& writer, QPainter& painter, const QImage& header, const QSizeF& headerSize)
        : writer_(writer), painter_(painter), header_(header), headerSize_(headerSize) {
        const QSizeF page = writer.pageLayout().fullRect(QPageLayout::Point).size();
        width_ = page.width() - 2 * kMargin;
        bottom_ = page.height() - kMargin;
        top_ = kMargin;
        if (!header_.isNull()) {
            top_ = std::max(top_, kHeaderDistance + headerSize_.height() + kHeaderGap);
        }
        startPage();
    }

    int count() const { return count_; }
    double width() const { return width_; }

    void newPage() {
        writer_.newPage();
        startPage();
    }

    // The top of a piece of the given height, on a new page when it does not fit on this one.
    double place(double height) {
        if (y_ + height > bottom_ && y_ > top_) {
            newPage();
        }
        const double top = y_;
        y_ += height;
        return top;
    }

private:
    void startPage() {
        ++count_;
        y_ = top_;
        if (!header_.isNull()) {
            const double left = kMargin + (width_ - headerSize_.width()) / 2;
            painter_.drawImage(QRectF(QPointF(left, kHeaderDistance), headerSize_), header_);
        }
    }

    QPdfWriter& writer_;
    QPainter& painter_;
    QImage header_;
    QSizeF headerSize_;
    double width_ = 0;
    double top_ = 0;
    double bottom_ = 0;
    double y_ = 0;
    int count_ = 0;
};

void drawParagraph(QPainter& painter, Pages& pages, const ReportDocument::Block& block) {
    const QFont markFont = fontOf(block.pointSize, block.bold);
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (const DocxRun& run : block.runs) {
        QTextCharFormat format;
        format.setFont(fontOf(run.pointSize, run.bold));
        formats << QTextLayout::FormatRange{static_cast<int>(text.size()),
                                            static_cast<int>(run.text.size()), format};
        text += run.text;
    }
    if (text.isEmpty()) {
        pages.place(QFontMetricsF(markFont, painter.device()).lineSpacing());
        return;
    }
    QTextLayout layout(text, markFont, painter.device());
    layout.setFormats(formats);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    double height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(pages.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const double top = pages.place(line.height());
        line.draw(&painter, QPointF(kMargin, top - line.y()));
    }
}
} // namespace

int PdfWriter::save(const QString& path) const {
    // Every picture is read before the file is touched, so a missing one leaves no file.
    const QImage header = headerPicture().isEmpty() ? QImage() : readPicture(headerPicture());
    QList<QImage> pictures;
    for (const Block& block : blocks()) {
        if (block.kind == Block::Kind::Picture) {
            pictures << readPicture(block.picture);
        }
    }

    int pageCount = 0;
    writePdfFile(path, QStringLiteral("The report"), [&](QPdfWriter& writer) {
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        // One device unit per point.
        writer.setResolution(72);
        QPainter painter;
        if (!painter.begin(&writer)) {
            throw DbError(ErrorCode::FileNotFound,
                          QStringLiteral("The document could not be written: ") + path);
        }
        Pages pages(writer, painter, header, headerSize());
        int picture = 0;
        for (const Block& block : blocks()) {
            switch (block.kind) {
            case Block::Kind::Paragraph:
                drawParagraph(painter, pages, block);
                break;
            case Block::Kind::PageBreak:
                pages.newPage();
                break;
            case Block::Kind::Picture: {
                const double top = pages.place(block.size.height());
                painter.drawImage(QRectF(QPointF(kMargin, top), block.size), pictures[picture++]);
                break;
            }
            }
        }
        if (!painter.end()) {
            throw DbError(ErrorCode::FileNotFound,
                          QStringLiteral("The document could not be written: ") + path);
        }
        pageCount = pages.count();
    });
    return pageCount;
}
