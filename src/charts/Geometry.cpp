#include "charts/Geometry.h"

#include "store/Formats.h"

#include <algorithm>
#include <optional>

namespace {

const QString TwoDecimals = QStringLiteral("##0.00");

// The recess and the head read back from its box are single-precision figures.
float singleOrZero(const QString& text) {
    const std::optional<double> value = strictNumber(text);
    return value ? static_cast<float>(*value) : 0.0f;
}

} // namespace

GeometryOutput CalcReltoRoof(const GeometryInput& input) {
    GeometryOutput out;
    for (int i = 0; i < MaxAnchors; ++i) {
        out.anchors.append(QString());
    }
    const float recess = singleOrZero(input.recess);
    const int nodes = std::clamp(input.nodeCount, 0, MaxAnchors);
    const auto node = [&](int i) -> std::optional<double> {
        return i < input.nodeTexts.size() ? strictNumber(input.nodeTexts[i]) : std::nullopt;
    };

    if (input.headAtCollar) {
        out.head = formatNumber(input.recess, TwoDecimals);
        for (int i = 0; i < nodes; ++i) {
            if (const std::optional<double> location = node(i)) {
                out.anchors[i] = formatNumber(*location + recess, TwoDecimals);
            }
        }
        return out;
    }

    const std::optional<double> length = strictNumber(input.lengthOfCable);
    if (!length) {
        return out;
    }
    out.head = formatNumber(*length + recess, TwoDecimals);
    // The anchors hang from the head as shown, two decimals, not from the unrounded sum.
    const float head = singleOrZero(out.head);
    for (int i = 0; i < nodes; ++i) {
        if (const std::optional<double> location = node(i)) {
            out.anchors[i] = formatNumber(head - *location, TwoDecimals);
        }
    }
    return out;
}
