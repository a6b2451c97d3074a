#include "sensors/FilterCriteria.h"

#include "sensors/SensorFields.h"
#include "store/Columns.h"
#include "store/SensorTypes.h"

namespace {
const QString kDateForm = QStringLiteral("yyyy/MM/dd");
} // namespace

std::optional<QString> filterTypeCode(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return QString();
    }
    if (lookupSensorType(trimmed)) {
        return trimmed;
    }
    // The list offers every type as "code: model name".
    const QString code = trimmed.left(2);
    const auto type = lookupSensorType(code);
    if (type && trimmed == code + QStringLiteral(": ") + type->modelName) {
        return code;
    }
    return std::nullopt;
}

SensorFilterResult sensorFilterCriteria(const SensorFilterInput& input, const QDate& today) {
    SensorFilterResult result;
    const std::optional<QString> type = filterTypeCode(input.type);
    if (!type) {
        result.problem = FilterProblem::UnknownType;
        return result;
    }
    const QString level = input.level.trimmed();
    const QString location = input.location.trimmed();
    std::optional<QDate> start;
    std::optional<QDate> end;
    if (!input.startDate.isEmpty()) {
        start = readDateText(input.startDate);
        if (!start) {
            result.problem = FilterProblem::BadStartDate;
            return result;
        }
    }
    if (!input.endDate.isEmpty()) {
        end = readDateText(input.endDate);
        if (!end) {
            result.problem = FilterProblem::BadEndDate;
            return result;
        }
    }
    if (start && !end) {
        end = today;
    }
    if (end && !start) {
        start = kFilterStartDefault;
    }
    if (type->isEmpty() && level.isEmpty() && location.isEmpty() && !start &&
        !input.hideDestroyed) {
        result.problem = FilterProblem::NoCriteria;
        return result;
    }
    if (input.hideDestroyed) {
        result.criteria.append({col::Destroyed, "=", QStringLiteral("No")});
    }
    if (!type->isEmpty()) {
        result.criteria.append({col::SensorType, "=", *type});
    }
    if (!level.isEmpty()) {
        result.criteria.append({col::Level, "=", level});
    }
    if (!location.isEmpty()) {
        result.criteria.append({col::Location, "=", location});
    }
    if (start) {
        result.criteria.append({col::InstallDate, ">=", start->toString(kDateForm)});
        result.criteria.append({col::InstallDate, "<=", end->toString(kDateForm)});
    }
    return result;
}
