#include "sensors/SensorNumber.h"

#include "store/Formats.h"

#include <algorithm>

bool isSensorNumber(const QString& text) {
    return text.size() == 9 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return c.unicode() >= '0' && c.unicode() <= '9';
           });
}

QString sensorNumberProblem(const QString& number) {
    if (!isNumericText(number)) {
        return QStringLiteral("Sensor # must be a numeric value");
    }
    if (!isSensorNumber(number)) {
        return QStringLiteral("Sensor # must be 9 digits");
    }
    const int serial = splitSensorNumber(number).serial.toInt();
    if (serial < 1) {
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
