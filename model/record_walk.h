#pragma once

#include "model/trace_store.h"

#include <cstdint>

namespace digitrace {

// What one record adds to the drawing, read from the button codes in slot order.
enum class WalkEvent : std::uint8_t {
    None,    // nothing: a vertex with no line to extend, or the end of a too-short line
    Start,   // a start record; `supersedes` when it directly follows another start
    Segment, // a segment from slot `from` (the record before) to slot `to` (this record)
    Close,   // a polygon's closing segment from its last vertex `from` back to its start `to`;
             // the closing record itself is drawn nowhere
    Point,   // a standalone point at this record
};

struct WalkStep {
    WalkEvent event = WalkEvent::None;
    std::int16_t from = 0;
    std::int16_t to = 0;
    bool supersedes = false;
};

// The one reading of the record table shared by the screen and the files, so that they can never
// disagree about what a record is. Resumable: a caller that keeps the walk can carry on at the
// next slot after the table has grown.
class RecordWalk {
public:
    // The step for `slot`; slots must come in order from 0, each once.
    WalkStep step(const RecordTable &table, std::int16_t slot);

private:
    std::int16_t prevCode_ = 0;
    bool lineOpen_ = false;
    std::int16_t lineVertices_ = 0; // of the open line, its start record included
};

// Calls visit(const WalkStep &) for every slot from 0 to count - 1.
template <typename Visit> void walkRecords(const RecordTable &table, int count, Visit &&visit) {
    RecordWalk walk;
    for (int slot = 0; slot < count; ++slot)
        visit(walk.step(table, static_cast<std::int16_t>(slot)));
}

} // namespace digitrace
