#include "triggers/SiteReport.h"

#include "charts/ChartWidget.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/TriggerTables.h"
#include "triggers/CompareChart.h"
#include "triggers/EventLife.h"
#include "triggers/ResponsePlan.h"
#include "triggers/TriggerEvents.h"
#include "ui/PdfFile.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>

namespace {

const QString kTitle = QStringLiteral("Site Report");

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

QString cell(const QString& text, const QString& colour = {}) {
    return (colour.isEmpty() ? QStringLiteral("<td>") : "<td bgcolor='" + colour + "'>") +
           text.toHtmlEscaped() + "</td>";
}

QString headingRow(const QStringList& headings) {
    QString html = QStringLiteral("<thead><tr>");
    for (const QString& heading : headings) {
        html += "<th>" + heading.toHtmlEscaped() + "</th>";
    }
    return html + "</tr></thead>";
}

const QString kTable = QStringLiteral("<table border='1' cellspacing='0' cellpadding='3'>");

QString statusHtml(const SiteReportContent& c) {
    QString html = "<h2>" + kTitle + "</h2><p>" + c.now.toString(kShownMoment) +
                   (c.since.isValid()
                        ? " &mdash; events since " + c.since.toString(QStringLiteral("yyyy/MM/dd"))
                        : QString()) +
                   "</p><h3>Site Status</h3>" + kTable + headingRow(siteStatusHeadings());
    for (const SiteStatusRow& row : c.rows) {
        const QStringList cells = siteStatusCells(row);
        html += "<tr>";
        for (int i = 0; i < cells.size(); ++i) {
            const QString colour = i == ColState ? stateColour(row.status.state)
                                   : (i == ColOverdue || i == ColDaysSince) && row.overdue
                                       ? QStringLiteral("#ffe082")
                                       : QString();
            html += cell(cells[i], colour);
        }
        html += "</tr>";
    }
    return html + "</table>";
}

QString closureText(const EventRecord& r) {
    if (!r.closure) {
        return {};
    }
    return QStringLiteral("%1 by %2: %3; re-entry: %4")
        .arg(shownEventTime(r.closure->closedAt), r.closure->closedBy, r.closure->actionsTaken,
             r.closure->reentryNote);
}

QString eventsHtml(const SiteReportContent& c) {
    QString html = QStringLiteral("<h3>Events");
    if (c.since.isValid()) {
        html += " since " + c.since.toString(QStringLiteral("yyyy/MM/dd"));
    }
    html += "</h3>";
    if (c.events.isEmpty()) {
        html += QStringLiteral("<p>No trigger event.</p>");
    } else {
        html += kTable + headingRow({"No.", "Detected", "Event", "Step", "Response Plan",
                                     "Acknowledged", "Closed"});
        for (int i = 0; i < c.events.size(); ++i) {
            const EventRecord& r = c.events[i];
            const TriggerEvent& e = r.event;
            const QString ack =
                e.ackAt.isEmpty()
                    ? QString()
                    : QStringLiteral("%1 by %2%3")
                          .arg(shownEventTime(e.ackAt), e.ackBy,
                               e.ackNote.isEmpty() ? QString() : QStringLiteral(": ") + e.ackNote);
            html += "<tr>" + cell(QString::number(e.id)) + cell(shownEventTime(e.detectedAt)) +
                    cell(triggerEventMessage(e), QString()) + cell(stageText(r.stage())) +
                    cell(c.eventPlans.value(i)) + cell(ack) + cell(closureText(r)) + "</tr>";
        }
        html += "</table>";
    }
    html += QStringLiteral("<h3>Overdue Sensors</h3>");
    QString overdue;
    for (const SiteStatusRow& row : c.rows) {
        if (!row.overdue) {
            continue;
        }
        const QStringList cells = siteStatusCells(row);
        overdue += "<tr>" + cell(row.sensor.instrumentId) + cell(row.sensor.level) +
                   cell(row.sensor.location) + cell(cells[5]) + cell(cells[ColDaysSince]) +
                   cell(QString::number(row.levels.readingInterval.value_or(0), 'g', 6)) + "</tr>";
    }
    if (overdue.isEmpty()) {
        html += QStringLiteral("<p>No sensor is overdue.</p>");
    } else {
        html +=
            kTable +
            headingRow({"Sensor", "Level", "Location", "Last Reading", "Days", "Interval (days)"}) +
            overdue + "</table>";
    }
    return html;
}

// The pages of the writer as they are begun: the writer starts on its first.
struct Pages {
    QPdfWriter& writer;
    int count = 0;

    void next() {
        if (count > 0) {
            writer.newPage();
        }
        ++count;
    }
};

// Paints an HTML text over as many pages as it takes, from a new page on.
void paintHtml(QPainter& painter, Pages& pages, const QString& html) {
    QPdfWriter& writer = pages.writer;
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    QFont font = document.defaultFont();
    font.setPointSizeF(8);
    document.setDefaultFont(font);
    document.setHtml(html);
    const QRectF area = writer.pageLayout().paintRectPixels(writer.resolution());
    document.setPageSize(area.size());
    for (int page = 0; page < document.pageCount(); ++page) {
        pages.next();
        painter.save();
        painter.translate(0, -page * area.height());
        document.drawContents(&painter,
                              QRectF(0, page * area.height(), area.width(), area.height()));
        painter.restore();
    }
}

void paintTitle(QPainter& painter, const QRectF& area, const QString& title) {
    QFont font = painter.font();
    font.setPointSizeF(12);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop, title);
}

// The compare chart of the amber and red sensors, displacement above and rate below.
void paintCompare(QPainter& painter, const QRectF& area, const QList<CompareSeries>& series,
                  int count) {
    const double titleHeight = area.height() * 0.06;
    paintTitle(painter, area,
               QStringLiteral("Amber and Red Sensors (%1%2)")
                   .arg(count)
                   .arg(count > kMaxCompared
                            ? QStringLiteral(", the first %1 drawn").arg(kMaxCompared)
                            : QString()));
    if (series.isEmpty()) {
        QFont font = painter.font();
        font.setBold(false);
        font.setPointSizeF(9);
        painter.setFont(font);
        painter.drawText(area.adjusted(0, titleHeight, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("No sensor is amber or red."));
        return;
    }
    ChartWidget chart(kMaxCompared, ChartWidget::XAxisKind::DateTime);
    chart.setAttribute(Qt::WA_DontShowOnScreen);
    chart.setAxisLabelAngle(ChartWidget::Axis::X, 345);
    chart.setLegendTitle(QStringLiteral("Sensors:"));
    chart.resize(1400, 520);
    const double half = (area.height() - titleHeight) / 2;
    for (const CompareMeasure measure : {CompareMeasure::Displacement, CompareMeasure::Rate}) {
        chart.grab();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        drawCompareChart(chart, series, measure);
        chart.grab();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QImage picture = chart.picture();
        const double top =
            area.top() + titleHeight + (measure == CompareMeasure::Rate ? half : 0.0);
        QRectF target(area.left(), top, area.width(), half);
        const QSizeF fitted = QSizeF(picture.size()).scaled(target.size(), Qt::KeepAspectRatio);
        target.setSize(fitted);
        painter.drawImage(target, picture);
    }
}

} // namespace

SiteReportContent readSiteReport(Connection& db, const QDateTime& now, const QDate& since) {
    if (!hasTriggerTables(db)) {
        createTriggerTables(db);
    }
    SiteReportContent c;
    c.now = now;
    c.since = since;
    c.rows = computeSiteStatus(db, now);
    const QString from = since.isValid() ? since.toString(QStringLiteral("yyyy-MM-dd")) : QString();
    for (const EventRecord& r : eventRecords(db, false)) {
        // Stored moments sort as text; an event of the day itself is in.
        if (!from.isEmpty() && r.event.detectedAt < from) {
            continue;
        }
        const std::optional<ResponsePlan> plan =
            responsePlanFor(db, r.event.instrumentId, r.event.state);
        c.events << r;
        c.eventPlans << (plan && !plan->isEmpty() ? responsePlanText(*plan)
                                                  : QStringLiteral("(no response plan)"));
    }
    return c;
}

int writeSiteReport(Connection& db, const QDateTime& now, const QDate& since, const QString& path,
                    const SiteReportPlanPages& planPages) {
    const SiteReportContent content = readSiteReport(db, now, since);
    QStringList alarmed;
    for (const SiteStatusRow& row : content.rows) {
        if (row.status.state == TriggerState::Amber || row.status.state == TriggerState::Red) {
            alarmed << row.sensor.instrumentId;
        }
    }
    const QList<CompareSeries> series = readCompareSeries(db, alarmed.mid(0, kMaxCompared));
    const QList<SiteReportPage> plans =
        planPages ? planPages(db, content.rows) : QList<SiteReportPage>();
    int pages = 0;
    writePdfFile(path, QStringLiteral("The site report"), [&](QPdfWriter& writer) {
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        writer.setTitle(kTitle);
        QPainter painter(&writer);
        const QRectF area(QPointF(0, 0),
                          writer.pageLayout().paintRectPixels(writer.resolution()).size());
        Pages out{writer};
        paintHtml(painter, out, statusHtml(content));
        for (const SiteReportPage& plan : plans) {
            out.next();
            plan(painter, area);
        }
        out.next();
        paintCompare(painter, area, series, static_cast<int>(alarmed.size()));
        paintHtml(painter, out, eventsHtml(content));
        painter.end();
        pages = out.count;
    });
    return pages;
}

QByteArray siteReportPdf(Connection& db, const QDateTime& now, const QDate& since,
                         const SiteReportPlanPages& planPages) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Site Report.pdf"));
    writeSiteReport(db, now, since, path, planPages);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw DbError(ErrorCode::FileNotFound,
                      QStringLiteral("The site report PDF could not be read"));
    }
    return file.readAll();
}
