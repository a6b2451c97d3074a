#pragma once

#include "triggers/CompareSeries.h"

#include <QList>

class ChartWidget;

// The most sensors one compare chart draws, one series each.
constexpr int kMaxCompared = 20;

enum class CompareMeasure { Displacement, Rate };

// A chart for compareSeries: kMaxCompared series against dated time, legend "Sensors:".
ChartWidget* makeCompareChart(QWidget* parent);

// Draws the first kMaxCompared sensors, series i the sensor i titled by its number: the
// displacement of its largest node (mm) or its rate (mm/day) against time, the value axis
// fitted to what is drawn, the time axis over every sensor's readings. The drawing never
// raises.
void drawCompareChart(ChartWidget& chart, const QList<CompareSeries>& sensors,
                      CompareMeasure measure);
