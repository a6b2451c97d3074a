#pragma once

#include "store/DbError.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

constexpr int ChannelCount = 10; // Channel1..Channel10, zero1..zero10
constexpr int MaxDispNodes = 8;  // Disp1..Disp8

// Each channel's zero reference value; none while no reading has given the channel one.
using ChannelOffsets = std::array<std::optional<double>, ChannelCount>;

// Gives every channel that has no reference yet the value this reading holds in it (Channel1..10
// as texts, null as empty), when it holds a number. Taken over a selection oldest first, each
// channel's reference is the earliest reading that has the channel: a reading typed with the
// unused channels left empty hands the later channels on to the readings after it.
void takeOffsets(ChannelOffsets& offsets, const QStringList& channelTexts);

// The zero reference of one reading alone.
ChannelOffsets GetOffsets(const QStringList& channelTexts);

// Values of one reading since the zero reference; a column without a value is none.
using ZeroColumns = std::array<std::optional<double>, ChannelCount>;

// The changes of one reading since the zero reference, each channel on its own. A channel that
// holds a number changes by it minus its reference, and has no value without a reference. An
// empty channel changes by 0, but an empty node channel (1..nodeCount) without a reference, one
// that no reading has, has no value. A node channel whose text is not a number has no value and
// is the error; channels beyond the node count never are. numTemp is ChannelT's leading number
// (0 when empty), none when it does not fit a double.
struct ZeroResult {
    ZeroColumns zero{};
    std::optional<double> numTemp;
    std::optional<DbError> error;
};

// channelTexts: Channel1..10 (null as empty); channelT: ChannelT.
ZeroResult SetZeros(const QStringList& channelTexts, const QString& channelT,
                    const ChannelOffsets& offsets, int nodeCount);

// Disp1..Disp(nodeCount) of one reading and whether Reference is written (as 0).
struct HeadlocResult {
    QList<double> disp;
    bool writesReference = false;
};

// Head at collar: each node's displacement relative to node nodeCount, which plots 0.
// Head at toe: DispN = zeroN, and Reference is written. nodeCount must be 0..8.
HeadlocResult SetHeadlocs(const std::array<double, ChannelCount>& zero, int nodeCount,
                          bool headAtCollar);

using NodeDisplacements = std::array<std::optional<double>, MaxDispNodes>;

// SetHeadlocs over zero columns that may lack values: a node without a change has no
// displacement, and with the head at the collar, where every node is measured against the
// deepest one, no node has one when the deepest has none. Raises as SetHeadlocs does.
NodeDisplacements displacementsOf(const ZeroColumns& zero, int nodeCount, bool headAtCollar);
