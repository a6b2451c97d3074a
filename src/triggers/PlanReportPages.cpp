#include "triggers/PlanReportPages.h"

#include "site/PlanScene.h"
#include "site/SiteTables.h"
#include "triggers/SiteMarkers.h"

#include <QFont>
#include <QPainter>

namespace {
// The level's name over the page, the rest of the area left to draw in.
QRectF titled(QPainter& painter, const QRectF& area, const QString& title) {
    QFont font = painter.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    painter.save();
    painter.setFont(font);
    const QRectF heading(area.left(), area.top(), area.width(), painter.fontMetrics().height());
    painter.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.restore();
    return area.adjusted(0, heading.height() * 1.5, 0, 0);
}
} // namespace

SiteReportPlanPages planReportPages() {
    return [](Connection& db, const QList<SiteStatusRow>& rows) {
        QList<SiteReportPage> pages;
        const QList<PlanMarker> markers = planMarkers(rows, readPositions(db));
        for (const QString& level : plannedLevels(db)) {
            const std::optional<StoredPlan> stored = readPlan(db, level);
            if (!stored) {
                continue;
            }
            QString problem;
            const LoadedPlan plan = loadStoredPlan(*stored, &problem);
            QList<PlanMarker> onLevel;
            for (const PlanMarker& m : markers) {
                if (m.level == level) {
                    onLevel << m;
                }
            }
            const QString title = "Plan of " + level;
            pages << [plan, onLevel, title, problem](QPainter& painter, const QRectF& area) {
                const QRectF body = titled(painter, area, title);
                if (!problem.isEmpty()) {
                    painter.drawText(body, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                     problem);
                    return;
                }
                paintLevelPlan(painter, body, plan, onLevel);
            };
        }
        return pages;
    };
}
