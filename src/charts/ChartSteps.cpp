#include "charts/ChartSteps.h"

#include "charts/ChartWidget.h"
#include "store/DbError.h"

double requiredValue(const std::optional<double>& value, const QString& column) {
    if (!value) {
        throw DbError(ErrorCode::TypeMismatch, QStringLiteral("Invalid use of Null: ") + column);
    }
    return *value;
}

bool nodeCountInRange(const GraphSensor& sensor) {
    return sensor.nodeCount >= 1 && sensor.nodeCount <= 8;
}

int checkedNodeCount(const GraphSensor& sensor) {
    if (!nodeCountInRange(sensor)) {
        throw DbError(ErrorCode::InvalidArgument,
                      QStringLiteral("Node count out of range: %1").arg(sensor.nodeCount));
    }
    return sensor.nodeCount;
}

void applyValueAxis(ChartWidget& chart, ChartKind kind, const QString& scaleText) {
    const auto [lo, hi] = chart.shownYRange().value_or(std::pair{0.0, 0.0});
    const AxisScale scale = valueAxisScale(kind, scaleText, lo, hi);
    chart.setAxisRange(ChartWidget::Axis::Y, scale.min, scale.max);
    chart.setAxisStep(ChartWidget::Axis::Y, scale.step);
}
