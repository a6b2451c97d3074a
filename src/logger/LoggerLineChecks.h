#pragma once

#include "checks/ReadingChecks.h"
#include "logger/LoggerReadings.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

// What the checks find in one line of a logger file before it is appended: a date that the
// chosen order reads as no moment (the line is passed over by the append), a date after now,
// a channel out of the site's range, no temperature. fields are the line's fields as the
// review grid shows them (the date text first, ChannelT fifth, the node channels from the
// sixth on); nodeCount node channels are judged.
QList<ReadingFlag> checkLoggerLine(const QStringList& fields, DateOrder order,
                                   DateOrder desktopOrder, int nodeCount,
                                   const CheckSettings& settings, const QDateTime& now);
