#pragma once

#include "charts/GraphData.h"
#include "revisions/Revisions.h"

#include <QString>
#include <QStringList>

class Connection;
struct ErrorLog;

// The current sensor's installation as the record form shows it.
struct BatchGeometry {
    bool headAtCollar = true; // Option1; otherwise the head is at the toe
    int nodeCount = 1;        // 1..8
    QStringList anchorTexts;  // txtRelSGanchor1..8 as shown ("##0.00")
    QString kvalText;         // txtkval
    // What the displacement after a re-zero is measured from.
    RezeroView rezeroView = RezeroView::SinceRezero;
};

// What a batch did.
struct BatchResult {
    int rowsSelected = 0;
    // The selected rows that hold the batch's columns once it is done, and of them those
    // whose columns changed (the others held them already).
    int rowsWritten = 0;
    int rowsChanged = 0;
    // Nothing had changed since the last batch over the same readings: nothing was computed.
    bool upToDate = false;
    bool completed = false;    // false when a failure ended the batch early (it is logged)
    QStringList loadLocations; // load batches: the five load midpoints, empty when not reached
    // The sensor's temperature correction was on, and how many readings it could not correct
    // for want of a temperature (theirs or the zero reference's).
    bool temperatureCorrected = false;
    int uncorrectedRows = 0;
};

// The batches that prepare a chart: over the readings ticked for the chart's kind, in FullDate
// order, each channel's zero reference is the earliest of them that has the channel; every
// reading gets zero1..zero10, NumTemp, Disp1..Disp<nodeCount> (and Reference = 0 with the head
// at the toe), the load batches also Load1..Load<min(nodeCount - 1, 5)>, all written back in one
// transaction, a column without a value as null (SetZeros, displacementsOf). With the sensor's
// temperature correction on, the displacements are corrected for the change of temperature
// since the first selected reading (correctForTemperature). The Disp columns are then the
// sensor's revisions applied to them (reviseDisplacements), taken from the readings beside
// each revision whether ticked or not (those are computed with the selection, never written),
// and the loads follow from those.
// Only the rows whose stored columns differ from what is computed are written. A batch that
// ends without a failure or a logged reading records a digest of its inputs and its result
// (ChartBatchState); when the next batch over the same selection reads the same digest,
// nothing has changed since, whoever wrote the table, and nothing is computed or written.
// A reading with a node channel that is not a number is logged under " G_SetZeros" and goes on
// with its other columns; a displacement or load failure ends the batch with one entry under
// " G_GetTemporalData", keeping the readings already written. A selection that cannot be read
// (the sensor's table is missing), or a site server that cannot be reached, raises DbError and
// nothing is logged.
BatchResult GetTemporalData(Connection& db, const QString& instrumentId,
                            const BatchGeometry& geometry, const ErrorLog& log);
BatchResult GetSpatialData(Connection& db, const QString& instrumentId,
                           const BatchGeometry& geometry, const ErrorLog& log);
BatchResult GetTemporalLoadData(Connection& db, const QString& instrumentId,
                                const BatchGeometry& geometry, const ErrorLog& log);
BatchResult GetSpatialLoadData(Connection& db, const QString& instrumentId,
                               const BatchGeometry& geometry, const ErrorLog& log);

// The batch shared by the four above.
BatchResult runGraphBatch(Connection& db, const QString& instrumentId, GraphVariant variant,
                          bool withLoads, const BatchGeometry& geometry, const ErrorLog& log);
