#include "charts/Displacement.h"

#include "store/Formats.h"

void takeOffsets(ChannelOffsets& offsets, const QStringList& channelTexts) {
    for (int n = 0; n < ChannelCount && n < channelTexts.size(); ++n) {
        if (!offsets[n] && !channelTexts[n].isEmpty()) {
            offsets[n] = strictNumber(channelTexts[n]);
        }
    }
}

ChannelOffsets GetOffsets(const QStringList& channelTexts) {
    ChannelOffsets offsets{};
    takeOffsets(offsets, channelTexts);
    return offsets;
}

ZeroResult SetZeros(const QStringList& channelTexts, const QString& channelT,
                    const ChannelOffsets& offsets, int nodeCount) {
    ZeroResult result;
    for (int n = 0; n < ChannelCount; ++n) {
        const bool node = n < nodeCount;
        const QString channel = n < channelTexts.size() ? channelTexts[n] : QString();
        if (channel.isEmpty()) {
            if (offsets[n] || !node) {
                result.zero[n] = 0.0;
            }
            continue;
        }
        const std::optional<double> value = strictNumber(channel);
        if (!value) {
            if (node && !result.error) {
                result.error = DbError(ErrorCode::TypeMismatch, QStringLiteral("Type mismatch"));
            }
            continue;
        }
        if (offsets[n]) {
            result.zero[n] = *value - *offsets[n];
        }
    }
    try {
        result.numTemp = channelT.isEmpty() ? 0.0 : leadingNumber(channelT);
    } catch (const DbError& error) {
        if (!result.error) {
            result.error = error;
        }
    }
    return result;
}

HeadlocResult SetHeadlocs(const std::array<double, ChannelCount>& zero, int nodeCount,
                          bool headAtCollar) {
    if (nodeCount < 0 || nodeCount > MaxDispNodes) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("Invalid node count %1").arg(nodeCount));
    }
    HeadlocResult result;
    result.disp.resize(nodeCount);
    if (headAtCollar) {
        // Walked down from the deepest node, as each node builds on the one below it.
        for (int n = nodeCount - 1; n >= 0; --n) {
            result.disp[n] = n == nodeCount - 1 ? 0.0 : zero[n + 1] - zero[n] + result.disp[n + 1];
        }
        return result;
    }
    for (int n = 0; n < nodeCount; ++n) {
        result.disp[n] = zero[n];
    }
    result.writesReference = true;
    return result;
}

NodeDisplacements displacementsOf(const ZeroColumns& zero, int nodeCount, bool headAtCollar) {
    std::array<double, ChannelCount> values{};
    for (int n = 0; n < ChannelCount; ++n) {
        values[n] = zero[n].value_or(0.0);
    }
    // A missing middle node counts as 0 in the walk: it cancels out of the sum, so the nodes
    // above it still get the deepest node's change minus their own.
    const HeadlocResult headlocs = SetHeadlocs(values, nodeCount, headAtCollar);
    NodeDisplacements disp{};
    for (int n = 0; n < nodeCount; ++n) {
        const bool known = headAtCollar ? zero[n] && zero[nodeCount - 1] : zero[n].has_value();
        if (known) {
            disp[n] = headlocs.disp[n];
        }
    }
    return disp;
}
