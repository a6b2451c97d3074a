#include "links/Manual.h"

#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

bool writeManual(const QString& path) {
    QFile source(":/manual.html");
    if (!source.open(QIODevice::ReadOnly)) {
        return false;
    }
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setTitle("Quorvelle User Manual");
    pdf.setCreator("Quorvelle");
    QTextDocument document;
    document.setHtml(QString::fromUtf8(source.readAll()));
    document.print(&pdf);
    return QFile::exists(path);
}
