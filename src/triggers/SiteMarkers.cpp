#include "triggers/SiteMarkers.h"

QColor stateColour(TriggerState state) {
    switch (state) {
    case TriggerState::Grey:
        return {0xBD, 0xBD, 0xBD};
    case TriggerState::Green:
        return {0x66, 0xBB, 0x6A};
    case TriggerState::Amber:
        return {0xFF, 0xB3, 0x00};
    case TriggerState::Red:
        return {0xE5, 0x39, 0x35};
    case TriggerState::Destroyed:
        break;
    }
    return {0x90, 0xA4, 0xAE};
}

QList<PlanMarker> planMarkers(const QList<SiteStatusRow>& rows,
                              const QHash<QString, SensorPosition>& positions) {
    const QStringList headings = siteStatusHeadings();
    QList<PlanMarker> markers;
    for (const SiteStatusRow& row : rows) {
        const QStringList cells = siteStatusCells(row);
        const TriggerState state = row.status.state;
        PlanMarker m;
        m.instrumentId = row.sensor.instrumentId;
        m.level = row.sensor.level;
        const auto position = positions.constFind(m.instrumentId);
        if (position != positions.constEnd()) {
            m.at = QPointF(position->easting, position->northing);
        }
        m.hollow = state == TriggerState::Destroyed;
        // A state judged on old readings is no state to trust: grey, like too few readings.
        m.colour = row.overdue ? stateColour(TriggerState::Grey) : stateColour(state);
        m.alarm = state == TriggerState::Red ? 2 : state == TriggerState::Amber ? 1 : 0;
        m.label = m.instrumentId;
        if (row.status.maxDisp) {
            m.label += QStringLiteral("  %1 mm").arg(*row.status.maxDisp, 0, 'f', 2);
        }
        QStringList tip{QStringLiteral("Sensor %1").arg(m.instrumentId)};
        for (const int c : {5, 7, 8, 9, int(ColState), int(ColOverdue)}) {
            if (!cells.value(c).isEmpty()) {
                tip << headings[c] + ": " + cells[c];
            }
        }
        m.tip = tip.join('\n');
        markers << m;
    }
    return markers;
}
