#pragma once

#include <QString>
#include <QStringList>

// The three parts of a nine-character sensor number.
struct SensorNumberParts {
    QString dateId; // characters 1-4
    QString typeId; // characters 5-6
    QString serial; // characters 7-9
};

// True when the text is a sensor number: nine ASCII digits, no sign, space, point or digit of
// another script. It names a table, so nothing else may pass.
bool isSensorNumber(const QString& text);

// Why a typed sensor number cannot be added, in the order the checks run; an empty text when
// it passes. A text no number parser reads is "not numeric"; one that is a number but not nine
// ASCII digits ("+12052100", "1234.5678") is "not 9 digits".
QString sensorNumberProblem(const QString& number);

SensorNumberParts splitSensorNumber(const QString& number);

// The entry a typed prefix completes to: case-insensitive, searching from the second entry
// and wrapping round to the first; -1 when none begins with the text.
int completionIndex(const QStringList& entries, const QString& typed);
