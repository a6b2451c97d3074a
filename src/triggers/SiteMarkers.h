#pragma once

#include "site/PlanScene.h"
#include "site/SiteTables.h"
#include "triggers/SiteStatus.h"

#include <QColor>
#include <QHash>

// The colour of a state in the status table and on the plan.
QColor stateColour(TriggerState state);

// The plan's marker of each row of the site status: coloured by its state (grey when it has too
// few readings or is overdue, a ring when destroyed), labelled with its number and largest
// displacement, its last reading, displacement, rate and state on hover; placed where
// positions puts it, unplaced without one.
QList<PlanMarker> planMarkers(const QList<SiteStatusRow>& rows,
                              const QHash<QString, SensorPosition>& positions);
