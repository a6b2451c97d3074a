#pragma once

#include <QString>

struct AppState;
struct AppContext;

// Checks the sensor's readings again once new or changed readings of it were committed (a
// hand reading, a datasheet edit, a logger append). The readings stay stored whatever
// happens here: a failure is logged under " G_CheckReadings" and the user is told that the
// readings were stored but not checked. True when the flags were stored.
bool checkReadingsOf(AppState& state, const AppContext& context, const QString& instrumentId);
