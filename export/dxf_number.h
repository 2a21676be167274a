#pragma once

#include <QString>

namespace digitrace {

// The longest text formatDxfNumber writes: a sign, 39 integer digits, the point, four decimals.
inline constexpr int kMaxDxfNumberLength = 48;

// A coordinate as the DXF file holds it: the float taken at seven significant digits, then
// "#0.0000" with four decimals. Both roundings go half away from zero on exact decimal values.
// Always a full stop, never a group separator, whatever the locale. Every negative value has its
// minus sign, one that rounds to zero too ("-0.0000"); -0.0f has none.
QString dxfNumber(float value);

// The same text written at out, which has room for kMaxDxfNumberLength characters; returns the
// end of what was written.
char *formatDxfNumber(char *out, float value);

} // namespace digitrace
