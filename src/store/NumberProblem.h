#pragma once

#include <QString>

// Why a box's text is not a number fit to store, as the end of a sentence ("it is not a
// number", "it lies outside -1000 to 1000", "it is 30 characters long, and ... at most 24"),
// or empty text when it is: a finite number as strictNumber reads it, between -bound and
// bound, written in at most maxLength characters. The empty text is "not a number"; callers
// that take it as no value judge it first.
QString numberProblem(const QString& text, double bound, int maxLength);
