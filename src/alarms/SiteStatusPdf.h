#pragma once

#include "triggers/SiteStatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

// The site status as the page prints it (A4 landscape, the table with its state colours),
// sorted by sensor, for the digest. Raises DbError when it cannot be written.
QByteArray siteStatusPdf(const QList<SiteStatusRow>& rows, const QDateTime& now);
