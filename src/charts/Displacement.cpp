#include "charts/Displacement.h"

#include "store/Formats.h"

QStringList GetOffsets(const QStringList& channelTexts) {
    QStringList offsets;
    for (int n = 0; n < ChannelCount; ++n) {
        offsets.append(n < channelTexts.size() ? channelTexts[n] : QString());
    }
    return offsets;
}

ZeroResult SetZeros(const QStringList& channelTexts, const QString& channelT,
                    const QStringList& offsets) {
    ZeroResult result;
    try {
        for (int n = 0; n < ChannelCount; ++n) {
            const QString channel = n < channelTexts.size() ? channelTexts[n] : QString();
            const QString offset = n < offsets.size() ? offsets[n] : QString();
            result.zero[n] = channel.isEmpty() ? 0.0 : toNumber(channel) - toNumber(offset);
            result.zeroCount = n + 1;
        }
        result.numTemp = channelT.isEmpty() ? 0.0 : leadingNumber(channelT);
    } catch (const DbError& error) {
        result.error = error;
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
