#pragma once

#include <QList>
#include <QSize>
#include <QSizeF>
#include <QString>

// A piece of text in one format.
struct DocxRun {
    QString text;
    int pointSize = 12;
    bool bold = false;
};

// A word-processing document built in reading order and written as one .docx file: paragraphs
// of runs, page breaks, JPEG pictures shown inline at a given size, and a page header holding
// one picture that heads every page.
class DocxWriter {
public:
    // A paragraph of the runs; the paragraph mark takes the format given, so that an empty
    // paragraph is as tall as a line of that format.
    void addParagraph(const QList<DocxRun>& runs, int pointSize = 12, bool bold = false);
    void addParagraph(const QString& text, int pointSize = 12, bool bold = false);
    void addPageBreak();
    // A paragraph holding the JPEG picture at the size in points.
    void addPicture(const QString& jpegPath, const QSizeF& points);
    // The centred picture of the page header.
    void setHeaderPicture(const QString& jpegPath, const QSizeF& points);

    // Writes the document to path, replacing a file there, and returns the path. The pictures
    // are read now; a missing picture or a file that cannot be written raises DbError.
    QString save(const QString& path) const;

private:
    struct Block {
        enum class Kind { Paragraph, PageBreak, Picture } kind;
        QList<DocxRun> runs;
        int pointSize = 12;
        bool bold = false;
        QString picture;
        QSizeF size;
    };
    QList<Block> blocks_;
    QString headerPicture_;
    QSizeF headerSize_;
};

// Width and height in pixels of a JPEG file; an empty size when the file is not a JPEG.
QSize jpegPixelSize(const QString& path);

// The size in points of a picture of the given pixels shown at 96 dpi, scaled down to fit
// maxWidth points when wider.
QSizeF pictureSizeInPoints(const QSize& pixels, double maxWidth);
