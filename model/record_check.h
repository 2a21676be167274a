#pragma once

#include "model/trace_model.h"

#include <QString>
#include <QStringView>

#include <cstdint>

namespace digitrace {

// What makes a record look wrong, though the intake still takes it: a coordinate field with no
// digit, or a line that is not exactly one record long. A wrong line setting (baud, parity,
// data bits) shows as such records at once.
struct RecordFlaws {
    bool noDigitInX = false;
    bool noDigitInY = false;
    bool wrongLength = false;

    bool any() const { return noDigitInX || noDigitInY || wrongLength; }
    bool operator==(const RecordFlaws &) const = default;
};

// Characters in a record as the tablet sends it, without its line end.
constexpr qsizetype kRecordLength = 19;

// `record` as framed, without its line end.
RecordFlaws recordFlaws(QStringView record);
// A short text for the operator naming the flaws, "" when there are none.
QString flawsText(const RecordFlaws &flaws);

// What a taken record did to the trace.
enum class RecordEffect {
    Start,   // began a line
    Vertex,  // continued a line
    Close,   // closed a polygon
    Point,   // placed a standalone point
    End,     // ended a sequence without counting anything
    Refused, // not kept: a vertex with no line, a full table, a coordinate out of range
};

// The counters a record may change, taken just before it.
struct TraceCounts {
    std::int16_t PtCount = 0;
    std::int16_t PointCount = 0;
    std::int16_t PolyCount = 0;

    static TraceCounts of(const TraceStore &s) { return {s.PtCount, s.PointCount, s.PolyCount}; }
};

// From the counts before the record, the store after it and the intake's outcome.
RecordEffect recordEffect(const TraceCounts &before, const TraceStore &after,
                          RecordOutcome outcome);
QString effectText(RecordEffect effect);

} // namespace digitrace
