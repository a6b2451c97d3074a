#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// One paragraph of a .docx as stored: its runs' texts and formats, page breaks and pictures.
struct DocxParagraph {
    struct Run {
        QString text;
        int halfPoints = 0; // w:sz; 0 when the run sets none
        bool bold = false;
    };
    QList<Run> runs;
    bool pageBreak = false;
    bool centred = false;
    QStringList pictures; // media part names the paragraph's pictures show
    QString text() const;
};

// Reads back a .docx for tests: the body, the default header and their pictures. Raises
// std::runtime_error when the file is not a readable document.
class DocxReader {
public:
    explicit DocxReader(const QString& path);

    QList<DocxParagraph> body;
    QList<DocxParagraph> header;
    QMap<QString, QByteArray> media; // "word/media/..." to bytes

    // Texts of the body's paragraphs, page breaks written as "<page>", pictures as "<picture>".
    QStringList bodyTexts() const;
    int pageCount() const;
};
