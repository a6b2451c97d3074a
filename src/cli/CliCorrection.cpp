#include "charts/TemperatureCorrection.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "cli/CliSession.h"
#include "cli/CommandLineArgs.h"
#include "store/Columns.h"
#include "store/SensorTypes.h"

#include <QStringList>

namespace {

QString listText(const QList<double>& values) {
    QStringList texts;
    for (const double v : values) {
        texts << QString::number(v, 'g', 12);
    }
    return texts.join(QStringLiteral(", "));
}

QString describe(const QString& id, const TemperatureCorrection& c) {
    switch (c.mode) {
    case CorrectionMode::Coefficients:
        return QStringLiteral("Sensor %1: temperature corrected by %2 mm/°C per node.")
            .arg(id, listText(c.perNode));
    case CorrectionMode::FreeLength:
        return QStringLiteral("Sensor %1: temperature corrected for free lengths of %2 m per "
                              "node, expansion %3 /°C.")
            .arg(id, listText(c.perNode), QString::number(c.expansion, 'g', 6));
    case CorrectionMode::Off:
        break;
    }
    return QStringLiteral("Sensor %1: temperature correction off.").arg(id);
}

} // namespace

void correctionCommand(CliSession& session, const CommandLineArgs& args) {
    const std::unique_ptr<RecordSet> sensor = session.sensor(args.sensor);
    const std::optional<SensorTypeInfo> type = lookupSensorType(sensor->text(col::SensorType));
    const int nodes = type ? type->nodeCount : 0;
    TemperatureCorrection correction;
    if (!args.correctionOff) {
        correction.mode =
            args.coefficients.isEmpty() ? CorrectionMode::FreeLength : CorrectionMode::Coefficients;
        const CorrectionValues values =
            parseCorrectionValues(args.coefficients.isEmpty() ? args.freeLength : args.coefficients,
                                  correction.mode, nodes);
        if (!values.values) {
            throw CliFailure(QStringLiteral("Sensor %1: %2 Nothing was changed.")
                                 .arg(args.sensor, values.refusal));
        }
        correction.perNode = *values.values;
        if (!args.expansion.isEmpty()) {
            const CorrectionValue expansion = checkExpansion(args.expansion);
            if (!expansion.accepted || !expansion.value) {
                throw CliFailure(QStringLiteral("Sensor %1: %2 Nothing was changed.")
                                     .arg(args.sensor, expansion.refusal));
            }
            correction.expansion = *expansion.value;
        }
    }
    writeTemperatureCorrection(session.db(), args.sensor, correction);
    printOut(describe(args.sensor, readTemperatureCorrection(session.db(), args.sensor)));
}
