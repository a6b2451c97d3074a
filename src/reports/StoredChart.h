#pragma once

#include "charts/GraphData.h"
#include "charts/GraphRows.h"
#include "store/Guard.h"

class Connection;
class RecordSet;

// What a chart of the sensor (its row in the register) draws, as the chart tab would draw it
// with this sensor on the record form and the scale selector untouched: the chart's batch is
// run (and stores its columns), then its selection is read. An unknown sensor type raises
// DbError.
GraphInput storedChartInput(Connection& db, const ErrorLog& log, const RecordSet& sensor,
                            GraphVariant variant);
