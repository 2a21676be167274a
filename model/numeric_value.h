#pragma once

#include <QStringView>

#include <optional>

namespace digitrace {

// The numeric value of a text: blanks, tabs and line feeds anywhere are skipped; the longest
// leading decimal number (sign, digits with at most one full stop, optional exponent) gives the
// value; 0 when there is none. The full stop is the decimal point whatever the locale. A number
// too large for a double reads as +/-infinity, one too small as 0.
double numericValue(QStringView text);

// `value` rounded to single precision, or nothing when it is not finite or beyond float's range.
std::optional<float> toSingle(double value);

// `value` rounded to single precision, saturating to an infinity of its sign beyond float's range.
float roundToSingle(double value);

// The map scale denominator for a scale text: the magnitude of its numeric value, as a float;
// 1 when that is 0.1 or less, or when it does not fit a float.
float scaleDenomFromText(QStringView text);

} // namespace digitrace
