#pragma once

#include "reports/ReportDocument.h"

#include <QString>

// The report document written as a PDF by Qt's own PDF writer, laid out as the .docx is:
// A4 pages with margins of one inch, the header picture centred at the top of every page,
// paragraphs of text wrapped at the margins, pictures at their given size, and a new page at
// each page break and wherever the next line or picture does not fit.
class PdfWriter : public ReportDocument {
public:
    // Writes the document to path, replacing a file there only once it is written whole, and
    // returns the number of pages. A picture that cannot be read or a file that cannot be
    // written (a full disk) raises DbError and leaves a file already at path as it was.
    int save(const QString& path) const;
};
