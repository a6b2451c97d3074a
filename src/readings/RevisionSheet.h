#pragma once

#include "readings/GridExport.h"

class Connection;

// The "Revisions" sheet of a sensor's exported datasheet; none when it has no revisions.
QList<GridSheet> revisionSheets(Connection& db, const QString& instrumentId);
