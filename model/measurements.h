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

UnitChoice chooseUnit(float scaleDenom);

// The denominator the measurements use: ScaleDenom, times the tablet unit's size in mm.
float measuringDenom(const TraceStore &s);

// `value` with exactly `decimals` decimals, the integer part always grouped in threes, with the
// group and decimal symbols of `locale` (the C locale groups with "," too) and ASCII digits
// whatever the locale. A value that is not finite shows as "########".
QString formatFixed(double value, int decimals, const QLocale &locale);

// What LengthText measures. Any other value measures as Perimeter.
enum LengthMode : std::int16_t {
    NewestSegment = 1, // the segment into slot PtCount
    OpenLineLength,    // the open line from SeqStart to slot PtCount
    ClosingSegment,    // from the last vertex, slot PtCount - 1, back to SeqStart
    Perimeter,         // the closed outline SeqStart .. PtCount - 1
};

// Measurement texts of the sequence that ends at slot PtCount.
QString LengthText(const TraceStore &s, std::int16_t mode, const QLocale &locale);
QString AreaText(const TraceStore &s, const QLocale &locale);

} // namespace digitrace
