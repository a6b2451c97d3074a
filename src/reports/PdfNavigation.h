#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <QVector>

// A place in a PDF: a page (0-based) and a distance from the page's top edge, in points.
struct PdfPlace {
    int page = 0;
    double top = 0;
};

// A bookmark; level 0 entries are the outline's first level, each deeper level nests under
// the entry before it.
struct PdfOutlineEntry {
    QString title;
    int level = 0;
    PdfPlace place;
};

// A clickable area (points from the page's top-left corner) that goes to a place.
struct PdfLink {
    int page = 0;
    QRectF area;
    PdfPlace target;
};

// Adds bookmarks and links to a PDF as written by Qt's PDF writer, as an incremental update
// appended to it: the pages stay as they were written and any reader that follows the
// standard sees the outline. Page heights are read from each page's media box. Empty when the
// PDF is not laid out as that writer lays it out (uncompressed objects, one cross-reference
// table).
QByteArray addPdfNavigation(const QByteArray& pdf, const QVector<PdfOutlineEntry>& outline,
                            const QVector<PdfLink>& links);
