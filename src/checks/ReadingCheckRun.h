#pragma once

#include "checks/ReadingFlagStore.h"

#include <QList>
#include <QString>
#include <QStringList>

struct AppState;
struct AppContext;

// Readings of a sensor that changed: by key or rowid as they are stored now, and the places
// readings were deleted from or moved away from.
struct ChangedReadings {
    QStringList keys;
    QList<qint64> rowids;
    QList<ReadingSpan> spans;
    bool all = false; // any reading may have changed or gone
};

// Checks the sensor's readings again once new or changed readings of it were committed (a
// hand reading, a datasheet edit, a logger append, a deletion, a rejection): those the change
// can alter, with the readings noted by AppState::readingsCommitted. Without a change given nor
// readings noted, every reading is checked. The readings stay stored whatever happens here: a
// failure is logged under " G_CheckReadings" and the user is told that the readings were
// stored but not checked. True when the flags were stored.
bool checkReadingsOf(AppState& state, const AppContext& context, const QString& instrumentId);
bool checkReadingsOf(AppState& state, const AppContext& context, const QString& instrumentId,
                     const ChangedReadings& changed);
