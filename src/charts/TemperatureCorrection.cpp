#include "charts/TemperatureCorrection.h"

#include "store/Connection.h"
#include "store/CorrectionTable.h"
#include "store/EngineSql.h"
#include "store/Formats.h"
#include "store/SqlFailure.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

const QString& kTable = kCorrectionTable;

QString nodeColumns() {
    QStringList columns;
    for (int n = 1; n <= MaxDispNodes; ++n) {
        columns << QStringLiteral("Node%1").arg(n);
    }
    return columns.join(QStringLiteral(", "));
}

CorrectionMode modeOfWord(const QString& word) {
    if (word == QLatin1String("Coefficients")) {
        return CorrectionMode::Coefficients;
    }
    if (word == QLatin1String("FreeLength")) {
        return CorrectionMode::FreeLength;
    }
    return CorrectionMode::Off;
}

TemperatureCorrection correctionOf(const QSqlQuery& query, int first) {
    TemperatureCorrection c;
    c.mode = modeOfWord(query.value(first).toString());
    bool ok = false;
    const double expansion = query.value(first + 1).toDouble(&ok);
    if (ok && std::isfinite(expansion) && expansion > 0) {
        c.expansion = expansion;
    }
    // A node without a value stands as 0, so the later nodes keep their places.
    int last = 0;
    QList<double> values;
    for (int n = 0; n < MaxDispNodes; ++n) {
        const QVariant v = query.value(first + 2 + n);
        const double number = v.toDouble(&ok);
        values << (!v.isNull() && ok && std::isfinite(number) ? number : 0.0);
        if (!v.isNull() && ok) {
            last = n + 1;
        }
    }
    c.perNode = values.mid(0, last);
    return c;
}

template <typename Disp>
Corrected correct(Disp& disp, int nodeCount, const TemperatureCorrection& correction,
                  const std::optional<double>& temperature,
                  const std::optional<double>& reference) {
    if (!correction.isOn()) {
        return Corrected::Off;
    }
    if (!temperature || !reference) {
        return Corrected::NoTemperature;
    }
    const double change = *temperature - *reference;
    for (int n = 0; n < nodeCount; ++n) {
        if constexpr (std::is_same_v<Disp, NodeDisplacements>) {
            if (disp[n]) {
                *disp[n] -= correction.mmPerDegree(n) * change;
            }
        } else {
            disp[n] -= correction.mmPerDegree(n) * change;
        }
    }
    return Corrected::Yes;
}

} // namespace

double TemperatureCorrection::mmPerDegree(int node) const {
    const double value = perNode.value(node, 0.0);
    // The free length is in m, the displacement in mm.
    return mode == CorrectionMode::FreeLength ? value * 1000.0 * expansion : value;
}

std::optional<double> readingTemperature(const QString& channelT) {
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)"));
    if (!number.match(channelT).hasMatch()) {
        return std::nullopt;
    }
    try {
        return leadingNumber(channelT);
    } catch (const DbError&) {
        return std::nullopt;
    }
}

Corrected correctForTemperature(NodeDisplacements& disp, int nodeCount,
                                const TemperatureCorrection& correction,
                                const std::optional<double>& temperature,
                                const std::optional<double>& reference) {
    return correct(disp, std::clamp(nodeCount, 0, MaxDispNodes), correction, temperature,
                   reference);
}

Corrected correctForTemperature(QList<double>& disp, const TemperatureCorrection& correction,
                                const std::optional<double>& temperature,
                                const std::optional<double>& reference) {
    return correct(disp, static_cast<int>(disp.size()), correction, temperature, reference);
}

CorrectionValue checkCorrectionValue(const QString& text, CorrectionMode mode) {
    CorrectionValue result;
    if (text.trimmed().isEmpty()) {
        result.accepted = true;
        return result;
    }
    const std::optional<double> value = strictNumber(text);
    if (!value || !std::isfinite(*value)) {
        result.refusal = QStringLiteral("\"%1\" is not a number.").arg(text.trimmed());
        return result;
    }
    if (mode == CorrectionMode::FreeLength && *value < 0) {
        result.refusal = QStringLiteral("A free length must not be below 0 m.");
        return result;
    }
    result.accepted = true;
    result.value = value;
    return result;
}

CorrectionValue checkExpansion(const QString& text) {
    CorrectionValue result;
    if (text.trimmed().isEmpty()) {
        result.accepted = true;
        return result;
    }
    const std::optional<double> value = strictNumber(text);
    if (!value || !std::isfinite(*value) || *value <= 0 || *value > kMaxExpansion) {
        result.refusal = QStringLiteral("The expansion coefficient must be a number above 0 and "
                                        "at most 0.001 per °C, such as 11.8e-6.");
        return result;
    }
    result.accepted = true;
    result.value = value;
    return result;
}

CorrectionValues parseCorrectionValues(const QString& text, CorrectionMode mode, int nodeCount) {
    CorrectionValues result;
    const QStringList parts = text.split(QLatin1Char(','));
    if (text.trimmed().isEmpty()) {
        result.refusal = QStringLiteral("No value was given.");
        return result;
    }
    if (parts.size() > nodeCount) {
        result.refusal =
            QStringLiteral("%1 values were given for %2 nodes.").arg(parts.size()).arg(nodeCount);
        return result;
    }
    QList<double> values;
    for (const QString& part : parts) {
        const CorrectionValue one = checkCorrectionValue(part, mode);
        if (!one.accepted || !one.value) {
            result.refusal =
                one.refusal.isEmpty() ? QStringLiteral("An empty value was given.") : one.refusal;
            return result;
        }
        values << *one.value;
    }
    result.values = values;
    return result;
}

QString correctionModeWord(CorrectionMode mode) {
    switch (mode) {
    case CorrectionMode::Coefficients:
        return QStringLiteral("Coefficients");
    case CorrectionMode::FreeLength:
        return QStringLiteral("FreeLength");
    case CorrectionMode::Off:
        break;
    }
    return QStringLiteral("Off");
}

QHash<QString, TemperatureCorrection> readAllTemperatureCorrections(Connection& db) {
    QHash<QString, TemperatureCorrection> all;
    if (!hasCorrectionTable(db)) {
        return all;
    }
    QSqlQuery query = runQuery(
        db, "SELECT InstrumentID, Mode, Expansion, " + nodeColumns() + " FROM " + kTable, {});
    while (query.next()) {
        all.insert(query.value(0).toString(), correctionOf(query, 1));
    }
    return all;
}

TemperatureCorrection readTemperatureCorrection(Connection& db, const QString& instrumentId) {
    if (!hasCorrectionTable(db)) {
        return {};
    }
    QSqlQuery query = runQuery(db,
                               "SELECT Mode, Expansion, " + nodeColumns() + " FROM " + kTable +
                                   " WHERE InstrumentID = ?",
                               {instrumentId});
    return query.next() ? correctionOf(query, 0) : TemperatureCorrection{};
}

void writeTemperatureCorrection(Connection& db, const QString& instrumentId,
                                const TemperatureCorrection& correction) {
    db.inTransaction([&] {
        createCorrectionTableWithin(db);
        db.execute("DELETE FROM " + kTable + " WHERE InstrumentID = ?", {instrumentId});
        if (!correction.isOn()) {
            return;
        }
        QVariantList values{instrumentId, correctionModeWord(correction.mode),
                            correction.expansion};
        QStringList marks{"?", "?", "?"};
        for (int n = 0; n < MaxDispNodes; ++n) {
            values << (n < correction.perNode.size() ? QVariant(correction.perNode[n])
                                                     : QVariant(QMetaType::fromType<double>()));
            marks << "?";
        }
        db.execute("INSERT INTO " + kTable + " (InstrumentID, Mode, Expansion, " + nodeColumns() +
                       ") VALUES (" + marks.join(", ") + ")",
                   values);
    });
}
