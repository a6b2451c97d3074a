#pragma once

#include "charts/Displacement.h"
#include "store/CorrectionTable.h"

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

class Connection;

// How a sensor's displacements are corrected for the temperature of the strand.
enum class CorrectionMode { Off, Coefficients, FreeLength };

// The linear expansion of prestressing steel strand, per °C: the typical value given for such
// strand (11.7 to 12 × 10⁻⁶ /°C), used where a sensor sets none.
constexpr double kStrandExpansion = 11.8e-6;
// The expansion coefficient a sensor may set, per °C: above 0, at most this.
constexpr double kMaxExpansion = 1e-3;

// A sensor's correction. perNode holds, node 1 first, the coefficient in mm/°C or the free
// length of the strand in m; a node without a value is not corrected.
struct TemperatureCorrection {
    CorrectionMode mode = CorrectionMode::Off;
    QList<double> perNode;
    double expansion = kStrandExpansion;

    bool isOn() const { return mode != CorrectionMode::Off; }
    // The movement of node (0-based) per °C, in mm: the coefficient, or the free length times
    // the expansion.
    double mmPerDegree(int node) const;
    bool operator==(const TemperatureCorrection&) const = default;
};

// What the correction did to one reading.
enum class Corrected { Off, Yes, NoTemperature };

// ChannelT as a temperature: its leading number, none when the channel is empty or holds no
// number at its start.
std::optional<double> readingTemperature(const QString& channelT);

// Takes the movement that the change of temperature since the zero reference explains off
// each of the first nodeCount displacements: disp -= mmPerDegree × (temperature − reference).
// A reading or reference without a temperature is left as it is (NoTemperature); with the
// correction off nothing is touched (Off).
Corrected correctForTemperature(NodeDisplacements& disp, int nodeCount,
                                const TemperatureCorrection& correction,
                                const std::optional<double>& temperature,
                                const std::optional<double>& reference);
Corrected correctForTemperature(QList<double>& disp, const TemperatureCorrection& correction,
                                const std::optional<double>& temperature,
                                const std::optional<double>& reference);

// The values of a list typed as "1.5,2,0.8" (blanks allowed around each), or the reason the
// text is refused: a value that is not a number, a free length below 0, more values than
// nodes, or none at all.
struct CorrectionValues {
    std::optional<QList<double>> values;
    QString refusal;
};
CorrectionValues parseCorrectionValues(const QString& text, CorrectionMode mode, int nodeCount);
// One value of a node box; empty text is no value. The refusal as parseCorrectionValues.
struct CorrectionValue {
    bool accepted = false;
    std::optional<double> value;
    QString refusal;
};
CorrectionValue checkCorrectionValue(const QString& text, CorrectionMode mode);
// The expansion coefficient as typed ("11.8e-6"), or the refusal.
CorrectionValue checkExpansion(const QString& text);

// "Off", "Coefficients", "FreeLength": the stored word.
QString correctionModeWord(CorrectionMode mode);

// Every stored correction by InstrumentID; none without the table.
QHash<QString, TemperatureCorrection> readAllTemperatureCorrections(Connection& db);
TemperatureCorrection readTemperatureCorrection(Connection& db, const QString& instrumentId);
// Stores the sensor's correction in one transaction (creating the table when missing); a
// correction that is off removes the row.
void writeTemperatureCorrection(Connection& db, const QString& instrumentId,
                                const TemperatureCorrection& correction);
