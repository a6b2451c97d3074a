#pragma once

#include "charts/Displacement.h"
#include "charts/NodeRates.h"
#include "charts/TemperatureCorrection.h"
#include "revisions/Revisions.h"
#include "triggers/TriggerLevels.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Grey: fewer than two readings, nothing to judge. Green, Amber and Red rise in this order.
// Destroyed: out of service and never judged; it ranks after every judged state.
enum class TriggerState { Grey, Green, Amber, Red, Destroyed };

// "Grey", "Green", "Amber", "Red", "Destroyed".
QString stateText(TriggerState state);

// One reading as the state needs it. at is the reading's FullDate as wall-clock time.
struct StatusReading {
    QString key;
    QDateTime at;
    QStringList channels; // Channel1..10, null as empty
    QString channelT;
    bool plotTemporal = false;
};

// What the displacement of a sensor depends on besides its readings.
struct SensorSetup {
    int nodeCount = 0;
    bool headAtCollar = true;
    QStringList anchors; // distances from the roof "##0.00", node 1 first
    TemperatureCorrection correction;
};

// The readings that decide a sensor's state.
struct StatusInput {
    // The zero reference: the earliest reading ticked for the time chart, or the earliest
    // reading when none is ticked.
    std::optional<StatusReading> reference;
    // The readings of the rate window, oldest first; the newest reading is the last.
    QList<StatusReading> recent;
    int readingCount = 0;
    // The sensor's revisions, and the readings beside each (the last before it, the first at
    // or after it) that a computed offset or a re-zero is taken from.
    QList<SensorRevision> revisions;
    QList<StatusReading> revisionRows;
};

enum class Measure { None, Displacement, Rate, Separation };

struct SensorStatus {
    TriggerState state = TriggerState::Grey;
    int readingCount = 0;
    QString newestKey;
    QDateTime newestAt;
    // The node of the newest reading that moved most against the zero reference (by size),
    // with its signed displacement in mm; node 0 when there is none.
    std::optional<double> maxDisp;
    int maxNode = 0;
    // Least-squares slope of the largest node displacement over the rate window, mm/day; none
    // with fewer readings there than the levels' rate readings.
    std::optional<double> rate;
    // The largest displacement between adjacent nodes (bed separation) of the newest reading,
    // signed (node sepNode less node sepNode + 1), and the first node of that pair; none with
    // fewer than two nodes.
    std::optional<double> maxSep;
    int sepNode = 0;
    // The sensor's temperature correction is on, but the newest reading or the zero reference
    // has no temperature: its displacements are not corrected.
    bool uncorrected = false;
    // The level that set an amber or red state, and the value that reached it.
    Measure cause = Measure::None;
    double causeValue = 0;
    double causeLevel = 0;
};

// Displacement of every node of a reading against the zero reference, from the chart's own
// GetOffsets, SetZeros and SetHeadlocs, as the charts' batch stores them (displacementsOf): an
// empty channel changes by 0, and a node without a value (no reference, a text that is not a
// number, or with the head at the collar the deepest node lacking one) has none, so it is
// neither judged nor taken as unchanged. With the sensor's temperature correction on,
// corrected for the change since referenceTemperature (correctForTemperature).
QList<std::optional<double>>
nodeDisplacements(const StatusReading& reading, const ChannelOffsets& offsets,
                  const SensorSetup& setup,
                  const std::optional<double>& referenceTemperature = std::nullopt);

// The state a sensor's readings reach against its levels (already made effective), judged on
// the newest reading alone. A level is reached when the value comes to it; displacement and
// bed separation are judged by their size, the rate as signed, so a displacement that shrinks
// never raises one. The displacement judged is the one after the sensor's revisions; a lost
// node is not judged.
SensorStatus evaluateSensor(const StatusInput& input, const SensorSetup& setup,
                            const TriggerLevels& levels);

// The state as of readings[index] (in time order), judged on the readings up to it: a level
// counts as reached once that many consecutive readings (levels.consecutive) came to it, and
// a displacement or separation level reached stays so until a reading falls below the level
// less levels.hysteresis; a reading without the value breaks the run and leaves the level.
// With one consecutive reading and no hysteresis this is evaluateSensor on that reading.
SensorStatus evaluateSeries(const QList<StatusReading>& readings, int index,
                            const SensorSetup& setup, const TriggerLevels& levels,
                            const QList<SensorRevision>& revisions = {});

// The input as of readings[index], as if the later readings had not yet arrived. readings
// are in time order; windowDays is the rate window. The revisions are those of the sensor;
// the readings beside them must carry their channels.
StatusInput statusInputAsOf(const QList<StatusReading>& readings, int index, double windowDays,
                            const QList<SensorRevision>& revisions = {});

// The indexes of the readings (in time order, up to and with last) that the revisions take
// their values from: for each, the last reading before it and the first at or after it.
QList<int> revisionNeighbours(const QList<StatusReading>& readings, int last,
                              const QList<SensorRevision>& revisions);
