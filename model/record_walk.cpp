#include "model/record_walk.h"

namespace digitrace {

WalkStep RecordWalk::step(const RecordTable &table, std::int16_t slot) {
    const std::int16_t code = wholeCode(table.Code[std::size_t(slot)]);
    const std::int16_t prev = prevCode_;
    prevCode_ = code;
    if (code == kStartCode) {
        lineOpen_ = true;
        lineVertices_ = 1;
        return {WalkEvent::Start, slot, slot, prev == kStartCode};
    }
    if (code == kVertexCode) {
        if (prev != kStartCode && !(prev == kVertexCode && lineOpen_))
            return {};
        lineVertices_ = prev == kStartCode ? 2 : std::int16_t(lineVertices_ + 1);
        return {WalkEvent::Segment, std::int16_t(slot - 1), slot, false};
    }
    const std::int16_t vertices = lineVertices_;
    lineOpen_ = false;
    lineVertices_ = 0;
    if (prev == kVertexCode && vertices >= 3)
        return {WalkEvent::Close, std::int16_t(slot - 1), std::int16_t(slot - vertices), false};
    if (prev != kVertexCode || vertices == 2)
        return {WalkEvent::Point, slot, slot, false};
    return {};
}

} // namespace digitrace
