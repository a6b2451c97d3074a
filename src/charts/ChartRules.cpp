#include "charts/ChartRules.h"

#include <cmath>

namespace {

QDate readingDay(const GraphRow& row) {
    const QDate d = QDate::fromString(row.readingDate.trimmed(), QStringLiteral("yyyy/MM/dd"));
    return d.isValid() ? d : row.fullDate.date();
}

// The instant at or before t that lies a whole number of steps after its midnight.
QDateTime floorToStep(const QDateTime& t, qint64 stepMs) {
    const QDateTime midnight = t.date().startOfDay();
    const qint64 into = midnight.msecsTo(t);
    return midnight.addMSecs(into - into % stepMs);
}

} // namespace

int timeSpanDays(const QList<GraphRow>& rows) {
    if (rows.isEmpty()) {
        return 0;
    }
    return static_cast<int>(readingDay(rows.first()).daysTo(readingDay(rows.last())));
}

TimeAxisPlan timeAxisPlan(const QList<GraphRow>& rows) {
    TimeAxisPlan plan;
    if (rows.isEmpty()) {
        return plan;
    }
    const QDateTime first = rows.first().fullDate;
    const QDateTime last = rows.last().fullDate;
    const int span = timeSpanDays(rows);
    if (span == 0 || span == 1) {
        constexpr qint64 hour = 3600 * 1000;
        plan.stepMs = (span == 0 ? 2 : 6) * hour;
        plan.labelFormat = QStringLiteral("hh:mm");
        plan.title = chartDateText(rows.first());
        plan.min = floorToStep(first, plan.stepMs);
        plan.max = floorToStep(last, plan.stepMs);
        if (plan.max < last || plan.max == plan.min) {
            plan.max = plan.max.addMSecs(plan.stepMs);
        }
        return plan;
    }
    plan.labelFormat = QStringLiteral("yyyy/MM/dd");
    plan.min = first;
    plan.max = last;
    return plan;
}

QString chartDateText(const GraphRow& row) {
    return readingDay(row).toString(QStringLiteral("yyyy/MM/dd"));
}

double lengthAxisMaximum(double largestX) {
    return largestX >= 1 ? std::floor(largestX + 0.999) : 1.0;
}
