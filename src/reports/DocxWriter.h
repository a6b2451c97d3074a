#pragma once

#include "reports/ReportDocument.h"

#include <QSize>
#include <QSizeF>
#include <QString>

// The report document written as one .docx file.
class DocxWriter : public ReportDocument {
public:
    // Writes the document to path, replacing a file there, and returns the path. The pictures
    // are read now; a missing picture or a file that cannot be written raises DbError.
    QString save(const QString& path) const;
};

// Width and height in pixels of a JPEG file; an empty size when the file is not a JPEG.
QSize jpegPixelSize(const QString& path);

// The size in points of a picture of the given pixels shown at 96 dpi, scaled down to fit
// maxWidth points when wider.
QSizeF pictureSizeInPoints(const QSize& pixels, double maxWidth);
