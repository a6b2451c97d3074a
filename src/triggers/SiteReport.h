#pragma once

#include "triggers/EventLife.h"
#include "triggers/SiteStatus.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QRectF>
#include <functional>

class Connection;
class QPainter;

// A page of the site report that another part draws: it paints into the page's area.
using SiteReportPage = std::function<void(QPainter& painter, const QRectF& area)>;
// The pages that follow the status table, one per level with its plan and markers.
using SiteReportPlanPages =
    std::function<QList<SiteReportPage>(Connection& db, const QList<SiteStatusRow>& rows)>;

// What the site report holds, read from the register.
struct SiteReportContent {
    QDateTime now;
    QDate since; // invalid: every event
    QList<SiteStatusRow> rows;
    QList<EventRecord> events; // detected on or after since, oldest first
    QStringList eventPlans;    // the response plan text that applies to each event
};

// Reads the content: the site status of every sensor and the events since the date.
SiteReportContent readSiteReport(Connection& db, const QDateTime& now, const QDate& since);

// The site report as a PDF at path (A4 landscape): the status table with its state colours,
// the plan pages, the compare chart of the amber and red sensors (largest displacement and
// rate), the events since the date with their steps and responses, and the overdue sensors.
// A file already at path is replaced only by a report written whole. Returns the number of
// pages; raises DbError on a failure to read or write. Needs an application object (the chart
// is drawn with the windows' chart).
int writeSiteReport(Connection& db, const QDateTime& now, const QDate& since, const QString& path,
                    const SiteReportPlanPages& planPages = {});

// The site report's bytes, written aside in a temporary folder, for a mail. Raises DbError.
QByteArray siteReportPdf(Connection& db, const QDateTime& now, const QDate& since,
                         const SiteReportPlanPages& planPages = {});
