#pragma once

#include "charts/GraphRows.h"

#include <QDateTime>
#include <QString>

// The horizontal axis of a time chart.
struct TimeAxisPlan {
    QDateTime min;
    QDateTime max;
    qint64 stepMs = 0; // 0: spacing chosen so that labels do not overlap
    QString labelFormat;
    QString title;
};

// Calendar days between the first and the last reading.
int timeSpanDays(const QList<GraphRow>& rows);

// Time axis by span: two-hour steps for readings on one day, six-hour steps over two days
// (labels "hh:mm", the first date as title), dated labels from first to last otherwise.
TimeAxisPlan timeAxisPlan(const QList<GraphRow>& rows);

// The reading's date as "yyyy/MM/dd", from ReadingDate or, when that is not a date, FullDate.
QString chartDateText(const GraphRow& row);

// Length axis maximum: the whole part of (largestX + 0.999) from 1 m on, otherwise 1.
double lengthAxisMaximum(double largestX);
