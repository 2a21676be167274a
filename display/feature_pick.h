#pragma once

#include "display/view_state.h"
#include "model/trace_store.h"

#include <QPointF>

#include <optional>
#include <vector>

namespace digitrace {

// A feature's shape as the picture shows it, in tablet counts.
struct FeatureOutline {
    int firstSlot = 0;
    std::vector<QPointF> vertices;
    bool closed = false; // a polygon: its last vertex joins its first
};

// The feature drawn nearest the area point `at`, by its first record's slot; nothing when none is
// drawn within `tolerance` pixels. The same walk as the picture, through the view's mapping.
std::optional<int> pickFeature(const TraceStore &store, const ViewState &view, QPointF at,
                               double tolerance);
// The feature begun at `firstSlot`; no vertices when none begins there.
FeatureOutline featureOutline(const TraceStore &store, int firstSlot);

} // namespace digitrace
