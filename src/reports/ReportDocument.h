#pragma once

#include <QList>
#include <QSizeF>
#include <QString>

// A piece of text in one format.
struct DocxRun {
    QString text;
    int pointSize = 12;
    bool bold = false;
};

// A document built in reading order: paragraphs of runs, page breaks, JPEG pictures shown
// inline at a given size, and a page header holding one picture that heads every page. The
// writers turn the same content into a .docx or a .pdf file.
class ReportDocument {
public:
    struct Block {
        enum class Kind { Paragraph, PageBreak, Picture } kind;
        QList<DocxRun> runs;
        int pointSize = 12;
        bool bold = false;
        QString picture;
        QSizeF size;
    };

    // A paragraph of the runs; the paragraph mark takes the format given, so that an empty
    // paragraph is as tall as a line of that format.
    void addParagraph(const QList<DocxRun>& runs, int pointSize = 12, bool bold = false);
    void addParagraph(const QString& text, int pointSize = 12, bool bold = false);
    void addPageBreak();
    // A paragraph holding the JPEG picture at the size in points.
    void addPicture(const QString& jpegPath, const QSizeF& points);
    // The centred picture of the page header.
    void setHeaderPicture(const QString& jpegPath, const QSizeF& points);

    const QList<Block>& blocks() const { return blocks_; }
    QString headerPicture() const { return headerPicture_; }
    QSizeF headerSize() const { return headerSize_; }

private:
    QList<Block> blocks_;
    QString headerPicture_;
    QSizeF headerSize_;
};
