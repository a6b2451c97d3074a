#include "charts/AxisScale.h"

#include "store/Formats.h"

#include <array>

namespace {

constexpr int WindowSize = 15;

// Sums such as 1.2 + 0.05 land a few units in the last place off the decimal figure; the
// axis should end exactly on it.
double tidy(double value) {
    return roundHalfEven(value, 10);
}

AxisScale timeTable(double hi) {
    if (hi >= 0 && hi < 0.1) {
        return {0, 0.1, 0.01};
    }
    if (hi >= 0.1 && hi < 1) {
        return {0, 1, 0.1};
    }
    if (hi >= 1 && hi < 2) {
        return {0, tidy(roundHalfEven(hi, 1) + 0.05), 0.1};
    }
    if (hi >= 2 && hi < 3) {
        return {0, tidy(roundHalfEven(hi, 1) + 0.1), 0.1};
    }
    if (hi >= 3 && hi < 10) {
        return {0, tidy(roundHalfEven(hi, 1) + 0.5), 0.5};
    }
    if (hi >= 10 && hi < 16) {
        return {0, roundHalfEven(hi, 0) + 1, 1};
    }
    if (hi >= 16 && hi <= 30) {
        return {0, roundHalfEven(hi, 0) + 2, 2};
    }
    return {0, roundHalfEven(hi, 0) + 5, 10};
}

struct LengthRow {
    double below; // upper bound of the range, exclusive
    double step;
    double max;
};

// From 10 up to 120 the ranges have fixed maxima.
constexpr std::array<LengthRow, 11> FixedLengthRows{{
    {15, 1, 15},
    {20, 2, 20},
    {30, 2, 30},
    {40, 5, 40},
    {50, 5, 50},
    {60, 5, 60},
    {70, 10, 70},
    {80, 10, 80},
    {90, 10, 90},
    {100, 10, 100},
    {120, 10, 120},
}};

AxisScale lengthTable(double hi) {
    if (hi >= 0 && hi < 10) {
        // Below 10 the length charts share the time charts' table.
        return timeTable(hi);
    }
    if (hi >= 10 && hi < 120) {
        for (const LengthRow& row : FixedLengthRows) {
            if (hi < row.below) {
                return {0, row.max, row.step};
            }
        }
    }
    if (hi >= 120 && hi <= 125) {
        return {0, 130, 10};
    }
    return {0, roundHalfEven(hi, 0), 10};
}

AxisScale typedScale(const QString& text) {
    if (text == "25") {
        return {0, 26, 1};
    }
    if (text == "50") {
        return {0, 50, 5};
    }
    if (text == "75") {
        return {0, 75, 5};
    }
    if (text == "100") {
        return {0, 100, 10};
    }
    if (text == "125") {
        return {0, 130, 10};
    }
    return {0, leadingNumber(text), 5};
}

} // namespace

AxisScale valueAxisScale(ChartKind kind, const QString& selectorText, double lo, double hi) {
    if (selectorText != "AutoScale") {
        return typedScale(selectorText);
    }
    AxisScale scale = kind == ChartKind::Time ? timeTable(hi) : lengthTable(hi);
    scale.min = lo >= 0 ? 0 : roundHalfEven(lo, 2);
    return scale;
}

int spatialWindowStart(int rowCount) {
    return spatialWindowNoticeShown(rowCount) ? rowCount - (WindowSize - 1) : 1;
}

bool spatialWindowNoticeShown(int rowCount) {
    return rowCount > WindowSize;
}
