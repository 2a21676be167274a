#pragma once

#include "job/journal_entries.h"
#include "model/trace_store.h"

#include <array>

namespace digitrace {

// Which changes to a job alter what live sending publishes, for the window and digitrace-replay
// alike: a record that completes, ends or starts a feature (a count or the open sequence changes),
// and the entries that take features away, give taken ones back or change what one is. A vertex
// that only extends an open line changes nothing published.
class LiveChanges {
public:
    // Takes the store as it stands now as what was last sent.
    void reset(const TraceStore &store) { shape_ = shapeOf(store); }
    // Whether `entry`, just applied to `store`, changes what is published; remembers it when so.
    bool changedBy(const JournalEntry &entry, const TraceStore &store) {
        const std::array<int, 5> shape = shapeOf(store);
        if (!changesFeatures(entry) && (!is<entry::Record>(entry) || shape == shape_))
            return false;
        shape_ = shape;
        return true;
    }

private:
    static std::array<int, 5> shapeOf(const TraceStore &s) {
        return {s.PointCount, s.LineCount, s.PolyCount, s.SeqOpen, s.SeqStart};
    }
    static bool changesFeatures(const JournalEntry &entry) {
        return is<entry::Back>(entry) || is<entry::Clear>(entry) || is<entry::ClearUndone>(entry) ||
               is<entry::Attributes>(entry) || is<entry::ClassChanged>(entry);
    }

    std::array<int, 5> shape_{};
};

} // namespace digitrace
