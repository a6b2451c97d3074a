#pragma once

#include <QString>

enum class ChartKind { Time, Length };

struct AxisScale {
    double min = 0;
    double max = 0;
    double step = 0;
};

// The value axis of a chart from the scale selector's text (cboScale) and the smallest and
// largest plotted values. "AutoScale" (exactly) picks the step and maximum from the chart
// kind's table; "25", "50", "75", "100", "125" are fixed ranges; any other text gives steps
// of 5 up to its leading number.
AxisScale valueAxisScale(ChartKind kind, const QString& selectorText, double lo, double hi);

// The length charts plot at most the last fifteen selected readings: the 1-based position of
// the first plotted row, and whether the notice lblW15 is shown (16 rows or more).
int spatialWindowStart(int rowCount);
bool spatialWindowNoticeShown(int rowCount);
