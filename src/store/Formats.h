#pragma once

#include <QString>
#include <optional>

// Number and text conversions shared by the forms, the readings and the computations.
// Formatted numbers always use "." as the decimal point, so stored texts read back the same
// whatever the user's locale.

// Formats text that reads as a number (see strictNumber) with "##0.00" (at least one integer
// digit, two decimals) or "##0.0#" (one or two decimals); halves round away from zero.
// Text that is not a number, the empty text included, is returned unchanged.
QString formatNumber(const QString& text, const QString& pattern);
QString formatNumber(double value, const QString& pattern);

// The leading number of a text, as the lenient conversion reads it: blanks are skipped, then
// an optional sign, digits, "." and an exponent are taken as far as they go; no number gives 0.
// A leading number too large for a double fails with an overflow.
double leadingNumber(const QString& text);

// The whole text (surrounding blanks aside) as a number in the user's locale or in the C
// locale; nullopt for empty, partly numeric or out-of-range text.
std::optional<double> strictNumber(const QString& text);

// strictNumber or a "Type mismatch" failure.
double toNumber(const QString& text);

// True when strictNumber reads the text.
bool isNumericText(const QString& text);

// x rounded to the given number of decimals, halves to the even digit. Halves are judged on
// the value's 15-significant-digit decimal form, so 1.25 and 2.675 are both halves.
double roundHalfEven(double x, int decimals);
