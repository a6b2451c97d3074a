#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

// Conversions between the record form's boxes and the numeric and date columns of Sensors.

// A date as the user may type it: yyyy/mm/dd (also with "-" or "."), or the short date of
// the user's locale; nullopt for anything else.
std::optional<QDate> readDateText(const QString& text);

// The largest distance a box in metres stores (a node location, the length of the cable).
constexpr double kMaxDistance = 1000.0;

// The value a numeric column in metres receives from its box: the text formatted with the
// pattern and read back as a number; empty text gives null. Text that is not a finite number
// within kMaxDistance fails with a type mismatch that names the box and says what is wrong:
// "Node 3's location 1e308 is not a distance in metres: it lies outside -1000 to 1000".
QVariant formattedNumberValue(const QString& text, const QString& pattern,
                              const QString& box = QStringLiteral("The value"));

// The value InstallDate receives: the trimmed text as a date written "yyyy/MM/dd"; empty
// text gives null; text that is not a date fails with a type mismatch.
QVariant installDateValue(const QString& text);

// InstallDate shown "yyyy/MM/dd"; a stored text that is not a date is shown as it is.
QString shownDate(const QVariant& value);
