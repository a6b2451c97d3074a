#pragma once

#include "store/RecordSet.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <optional>

// What the filter boxes of the Utilities tab hold.
struct SensorFilterInput {
    QString type;
    QString level;
    QString location;
    QString startDate;
    QString endDate;
    bool hideDestroyed = false;
};

enum class FilterProblem { None, UnknownType, BadStartDate, BadEndDate, NoCriteria };

// The criteria in their fixed order (destroyed, type, level, location, install dates), or the
// first problem that stops the filter.
struct SensorFilterResult {
    FilterProblem problem = FilterProblem::None;
    QVector<Criterion> criteria;
};

// The type code a filter entry stands for: a list entry "21: k1VARLO" or a bare code "21"
// to "91"; empty text gives an empty code; anything else nullopt.
std::optional<QString> filterTypeCode(const QString& text);

// The earliest install date of a range given only its end.
inline const QDate kFilterStartDefault = QDate(1999, 1, 1);

// Builds the criteria. A range with only a start ends today; one with only an end starts on
// 1999/01/01. Dates are compared in the stored "yyyy/MM/dd" form, so both days are included.
SensorFilterResult sensorFilterCriteria(const SensorFilterInput& input, const QDate& today);
