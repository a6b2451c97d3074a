#include "charts/Loads.h"

#include "store/DbError.h"
#include "store/Formats.h"

#include <algorithm>

namespace {

QString anchorAt(const QStringList& anchorTexts, int i) {
    return i < anchorTexts.size() ? anchorTexts[i] : QString();
}

} // namespace

QStringList loadLocations(const QStringList& anchorTexts) {
    QStringList locations;
    for (int i = 0; i < MaxLoads; ++i) {
        const double midpoint = (leadingNumber(anchorAt(anchorTexts, i)) +
                                 leadingNumber(anchorAt(anchorTexts, i + 1))) /
                                2;
        locations.append(QString::number(midpoint, 'g', 15));
    }
    return locations;
}

LoadResult SetLoads(const QStringList& anchorTexts, const QList<double>& disp, int nodeCount,
                    double kval) {
    LoadResult result;
    result.loadLocations = loadLocations(anchorTexts);
    const int pairs = std::clamp(nodeCount - 1, 0, MaxLoads);
    if (pairs > 0 && disp.size() < pairs + 1) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("%1 displacements for %2 loads").arg(disp.size()).arg(pairs));
    }
    for (int i = 0; i < pairs; ++i) {
        const double spacing =
            toNumber(anchorAt(anchorTexts, i + 1)) - toNumber(anchorAt(anchorTexts, i));
        if (spacing == 0.0) {
            throw DbError(ErrorCode::DivisionByZero, QStringLiteral("Division by zero"));
        }
        result.loads.append((disp[i] - disp[i + 1]) / spacing * kval);
    }
    return result;
}
