#include "display/feature_pick.h"

#include "model/record_walk.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace digitrace {
namespace {

QPointF tabletAt(const TraceStore &store, int slot) {
    const auto i = std::size_t(slot);
    return {double(store.Pt.X[i]), double(store.Pt.Y[i])};
}

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t =
        length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    return QLineF(p, a + t * ab).length();
}

// Calls visit(firstSlot, from, to) for every drawn piece of the trace: a segment between two
// records, or a single record (from == to) for a point or a line's start.
template <typename Visit> void walkPieces(const TraceStore &store, Visit &&visit) {
    const int count = std::clamp<int>(store.PtCount, 0, kSlotCount);
    int feature = 0;
    walkRecords(store.Pt, count, [&](const WalkStep &step) {
        switch (step.event) {
        case WalkEvent::Start:
            feature = step.to;
            visit(feature, int(step.to), int(step.to));
            break;
        case WalkEvent::Point:
            visit(int(step.to), int(step.to), int(step.to));
            break;
        case WalkEvent::Segment:
        case WalkEvent::Close:
            visit(feature, int(step.from), int(step.to));
            break;
        case WalkEvent::None:
            break;
        }
    });
}

} // namespace

std::optional<int> pickFeature(const TraceStore &store, const ViewState &view, QPointF at,
                               double tolerance) {
    std::optional<int> nearest;
    double best = tolerance;
    walkPieces(store, [&](int feature, int from, int to) {
        const double d = distanceToSegment(at, view.areaPoint(tabletAt(store, from)),
                                           view.areaPoint(tabletAt(store, to)));
        if (d <= best) {
            best = d;
            nearest = feature;
        }
    });
    return nearest;
}

FeatureOutline featureOutline(const TraceStore &store, int firstSlot) {
    FeatureOutline outline{firstSlot, {}, false};
    walkPieces(store, [&](int feature, int from, int to) {
        if (feature != firstSlot)
            return;
        if (from == to || outline.vertices.empty())
            outline.vertices.push_back(tabletAt(store, from));
        if (to == firstSlot && from != to)
            outline.closed = true;
        else if (from != to)
            outline.vertices.push_back(tabletAt(store, to));
    });
    return outline;
}

} // namespace digitrace
