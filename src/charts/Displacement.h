#pragma once

#include "store/DbError.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

constexpr int ChannelCount = 10; // Channel1..Channel10, zero1..zero10
constexpr int MaxDispNodes = 8;  // Disp1..Disp8

// The zero reference of a batch: the reference reading's Channel1..10 as texts, a null
// column giving the empty text. Missing entries count as empty.
QStringList GetOffsets(const QStringList& channelTexts);

// The changes of one reading since the zero reference. The channels are converted in order;
// a present channel that does not convert (or whose offset does not) stops the computation
// there: zeroCount says how many of zero1.. were computed, numTemp is set only when all ten
// were, and error holds the failure so the caller can log it and store what was computed.
struct ZeroResult {
    std::array<double, ChannelCount> zero{};
    int zeroCount = 0;
    std::optional<double> numTemp;
    std::optional<DbError> error;
};

// channelTexts: Channel1..10 (null as empty); channelT: ChannelT; offsets: from GetOffsets.
ZeroResult SetZeros(const QStringList& channelTexts, const QString& channelT,
                    const QStringList& offsets);

// Disp1..Disp(nodeCount) of one reading and whether Reference is written (as 0).
struct HeadlocResult {
    QList<double> disp;
    bool writesReference = false;
};

// Head at collar: each node's displacement relative to node nodeCount, which plots 0.
// Head at toe: DispN = zeroN, and Reference is written. nodeCount must be 0..8.
HeadlocResult SetHeadlocs(const std::array<double, ChannelCount>& zero, int nodeCount,
                          bool headAtCollar);
