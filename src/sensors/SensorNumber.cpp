#include "sensors/SensorNumber.h"

#include "store/Formats.h"

QString sensorNumberProblem(const QString& number) {
    if (!isNumericText(number)) {
        return QStringLiteral("Sensor # must be a numeric value");
    }
    if (number.size() != 9) {
        return QStringLiteral("Sensor # must be 9 digits");
    }
    const double serial = leadingNumber(splitSensorNumber(number).serial);
    if (serial < 1 || serial > 999) {
        return QStringLiteral("Last 3 digits must be between 001 and 999");
    }
    return {};
}

SensorNumberParts splitSensorNumber(const QString& number) {
    return {number.left(4), number.mid(4, 2), number.mid(6, 3)};
}

int completionIndex(const QStringList& entries, const QString& typed) {
    const int count = static_cast<int>(entries.size());
    for (int step = 1; step <= count; ++step) {
        const int i = step % count;
        if (entries[i].startsWith(typed, Qt::CaseInsensitive)) {
            return i;
        }
    }
    return -1;
}
