#include "reports/StoredChart.h"

#include "charts/Geometry.h"
#include "charts/GraphBatch.h"
#include "charts/Loads.h"
#include "charts/ScaleSelector.h"
#include "revisions/RevisionStore.h"
#include "store/Columns.h"
#include "store/RecordSet.h"
#include "store/SensorTypes.h"
#include "triggers/TriggerLevels.h"

GraphInput storedChartInput(Connection& db, const ErrorLog& log, const RecordSet& sensor,
                            GraphVariant variant) {
    const QString type = sensor.text(col::SensorType);
    const std::optional<SensorTypeInfo> info = lookupSensorType(type);
    if (!info) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("unknown sensor type! (%1)").arg(type));
    }
    GeometryInput geometry;
    geometry.headAtCollar = sensor.value(col::HeadLocation).toBool();
    geometry.recess = sensor.text(col::Recess);
    geometry.lengthOfCable = sensor.text(col::LengthofCable);
    for (int i = 1; i <= MaxAnchors; ++i) {
        const QString column = QStringLiteral("NodeLocation%1").arg(i);
        geometry.nodeTexts << (sensor.hasColumn(column) ? sensor.text(column) : QString());
    }
    geometry.nodeCount = info->nodeCount;
    const GeometryOutput shown = CalcReltoRoof(geometry);

    GraphInput input;
    GraphSensor& s = input.sensor;
    s.instrumentId = sensor.text(col::InstrumentID);
    s.headAtCollar = geometry.headAtCollar;
    s.nodeCount = info->nodeCount;
    for (int i = 0; i < MaxAnchors && i < shown.anchors.size(); ++i) {
        s.anchorTexts[i] = shown.anchors[i];
    }
    s.headText = shown.head;
    s.recessText = geometry.recess;
    s.lengthOfCableText = geometry.lengthOfCable;
    s.plate = sensor.value(col::Plate).toBool();
    const QStringList locations = loadLocations(shown.anchors);
    for (int i = 0; i < 5 && i < locations.size(); ++i) {
        s.loadLocations[i] = locations[i];
    }
    s.scaleText = ScaleSelector().text();

    BatchGeometry batch;
    batch.headAtCollar = geometry.headAtCollar;
    batch.nodeCount = info->nodeCount;
    batch.anchorTexts = shown.anchors;
    batch.kvalText = sensor.text(col::kval);
    guarded(log, " G_GetTemporalData",
            [&] { runGraphBatch(db, s.instrumentId, variant, false, batch, log); });
    // The window's report draws the sensor's trigger levels on its charts; so does this one.
    guarded(log, " G_ReadTriggerLevels", [&] { addChartLevels(db, s); });
    guarded(log, " G_ReadRevisions",
            [&] { s.revisions = effectiveRevisions(readRevisions(db, s.instrumentId)); });
    input.rows = readGraphRows(db, s.instrumentId, variant);
    return input;
}
