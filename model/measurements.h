#pragma once

#include "model/trace_store.h"

#include <QLocale>
#include <QString>

#include <cstdint>

namespace digitrace {

// The unit in which lengths and areas are shown for a map scale 1:ScaleDenom.
struct UnitChoice {
    float factor; // real-world units per tablet unit
    QString lengthSuffix;
    QString areaSuffix;
};

UnitChoice ChooseUnit(float scaleDenom);

// `value` with exactly `decimals` decimals, the integer part always grouped in threes, with the
// group and decimal symbols of `locale` (the C locale groups with "," too) and ASCII digits
// whatever the locale. A value that is not finite shows as "########".
QString FormatFixed(double value, int decimals, const QLocale &locale);

// Measurement texts of the sequence that ends at slot PtCount. Modes: 1 newest segment, 2 open
// line, 3 closing segment, anything else the perimeter of the closed outline.
QString LengthText(const TraceStore &store, std::int16_t mode, const QLocale &locale);
QString AreaText(const TraceStore &store, const QLocale &locale);

} // namespace digitrace
