#include "reports/ReportDocument.h"

void ReportDocument::addParagraph(const QList<DocxRun>& runs, int pointSize, bool bold) {
    blocks_ << Block{Block::Kind::Paragraph, runs, pointSize, bold, {}, {}};
}

void ReportDocument::addParagraph(const QString& text, int pointSize, bool bold) {
    QList<DocxRun> runs;
    if (!text.isEmpty()) {
        runs << DocxRun{text, pointSize, bold};
    }
    addParagraph(runs, pointSize, bold);
}

void ReportDocument::addPageBreak() {
    blocks_ << Block{Block::Kind::PageBreak, {}, 12, false, {}, {}};
}

void ReportDocument::addPicture(const QString& jpegPath, const QSizeF& points) {
    blocks_ << Block{Block::Kind::Picture, {}, 12, false, jpegPath, points};
}

void ReportDocument::setHeaderPicture(const QString& jpegPath, const QSizeF& points) {
    headerPicture_ = jpegPath;
    headerSize_ = points;
}
