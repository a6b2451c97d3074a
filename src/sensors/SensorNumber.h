#pragma once

#include <QString>
#include <QStringList>

// The three parts of a nine-character sensor number.
struct SensorNumberParts {
    QString dateId; // characters 1-4
    QString typeId; // characters 5-6
    QString serial; // characters 7-9
};

// Why a typed sensor number cannot be added, in the order the checks run; an empty text when
// it passes. The number test accepts what a number parser of the user's locale accepts, so a
// nine-character text such as "1234.5678" passes and is judged by its last three characters.
QString sensorNumberProblem(const QString& number);

SensorNumberParts splitSensorNumber(const QString& number);

// The entry a typed prefix completes to: case-insensitive, searching from the second entry
// and wrapping round to the first; -1 when none begins with the text.
int completionIndex(const QStringList& entries, const QString& typed);
