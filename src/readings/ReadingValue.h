#pragma once

#include <QString>

// What a value box of a reading (a node's channel or the temperature) or a datasheet cell
// may store: nothing that a chart could not draw.

// The largest size of a stored value, in millimetres or degrees: far beyond any roof movement
// or temperature, and small enough for every chart axis and difference.
constexpr double kMaxReadingValue = 100000.0;
// The longest text a value box stores.
constexpr int kMaxReadingLength = 24;

// Why the text cannot be stored as a reading value, as the end of a sentence ("it is not a
// number"), or empty text when it can: the empty text, or a finite number (as strictNumber
// reads it) between -kMaxReadingValue and kMaxReadingValue written in at most
// kMaxReadingLength characters.
QString readingValueProblem(const QString& text);

// "<box>'s value <text> is not a reading in <unit>: <problem>", the text shortened when long.
QString refusedValueText(const QString& box, const QString& text, const QString& unit,
                         const QString& problem);

// The name and unit of a value box in messages: "Node 3" and "millimetres" for channel 3,
// "The temperature" and "degrees C" for channel 0 (ChannelT).
QString valueBoxName(int channel);
QString valueBoxUnit(int channel);
