#include "alarms/SiteStatusPdf.h"

#include "store/DbError.h"
#include "triggers/TriggerEvents.h"
#include "ui/PdfFile.h"

#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>

namespace {
QString stateColour(TriggerState state) {
    switch (state) {
    case TriggerState::Grey:
        return QStringLiteral("#bdbdbd");
    case TriggerState::Green:
        return QStringLiteral("#66bb6a");
    case TriggerState::Amber:
        return QStringLiteral("#ffb300");
    case TriggerState::Red:
        return QStringLiteral("#e53935");
    case TriggerState::Destroyed:
        break;
    }
    return QStringLiteral("#90a4ae");
}
} // namespace

QByteArray siteStatusPdf(const QList<SiteStatusRow>& rows, const QDateTime& now) {
    QList<SiteStatusRow> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const SiteStatusRow& a, const SiteStatusRow& b) {
                         return a.sensor.instrumentId < b.sensor.instrumentId;
                     });
    QString html = QStringLiteral("<h2>Site Status</h2><p>") + now.toString(kShownMoment) +
                   QStringLiteral("</p><table border='1' cellspacing='0' cellpadding='3'><tr>");
    for (const QString& heading : siteStatusHeadings()) {
        html += "<th>" + heading.toHtmlEscaped() + "</th>";
    }
    html += "</tr>";
    for (const SiteStatusRow& row : sorted) {
        html += "<tr>";
        const QStringList cells = siteStatusCells(row);
        for (int c = 0; c < cells.size(); ++c) {
            if (c == ColState) {
                html += "<td bgcolor='" + stateColour(row.status.state) + "'>";
            } else if ((c == ColOverdue || c == ColDaysSince) && row.overdue) {
                html += QStringLiteral("<td bgcolor='#ffe082'>");
            } else {
                html += QStringLiteral("<td>");
            }
            html += cells[c].toHtmlEscaped() + "</td>";
        }
        html += "</tr>";
    }
    html += "</table>";

    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Site Status.pdf"));
    writePdfFile(path, QStringLiteral("The site status"), [&](QPdfWriter& writer) {
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Site Status"));
        QTextDocument document;
        QFont font = document.defaultFont();
        font.setPointSizeF(8);
        document.setDefaultFont(font);
        document.setHtml(html);
        document.print(&writer);
    });
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The site status PDF could not be read"));
    }
    return file.readAll();
}
