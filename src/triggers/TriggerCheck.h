#pragma once

#include <QString>
#include <QStringList>

struct AppState;
struct AppContext;

// Run once readings of a sensor are committed (a reading typed by hand, a logger append):
// when they take the sensor to a higher state than it had, the event is logged and the user
// told once. A failure of the check is logged and shown: a level passed unnoticed is worse
// than a message too many.
void CheckTriggerLevels(AppState& state, const AppContext& context, const QString& instrumentId,
                        const QStringList& newKeys);
