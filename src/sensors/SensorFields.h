#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

// Conversions between the record form's boxes and the numeric and date columns of Sensors.

// A date as the user may type it: yyyy/mm/dd (also with "-" or "."), or the short date of
// the user's locale; nullopt for anything else.
std::optional<QDate> readDateText(const QString& text);

// The value a numeric column receives from a box: the text formatted with the pattern and
// read back as a number; empty text gives null. Text that is not a number fails with a
// type mismatch, as the column would refuse it.
QVariant formattedNumberValue(const QString& text, const QString& pattern);

// The value InstallDate receives: the trimmed text as a date written "yyyy/MM/dd"; empty
// text gives null; text that is not a date fails with a type mismatch.
QVariant installDateValue(const QString& text);

// InstallDate shown "yyyy/MM/dd"; a stored text that is not a date is shown as it is.
QString shownDate(const QVariant& value);
