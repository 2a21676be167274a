#include "export/gis_features.h"

#include "model/record_walk.h"

#include <cmath>

namespace digitrace {

namespace {

void measure(Feature &f) {
    const std::size_t n = f.vertices.size();
    const std::size_t edges = f.kind == FeatureKind::Polygon ? n : n - 1;
    double twiceArea = 0;
    for (std::size_t i = 0; i < edges; ++i) {
        const MapPoint &a = f.vertices[i];
        const MapPoint &b = f.vertices[(i + 1) % n];
        f.length += std::hypot(b.x - a.x, b.y - a.y);
        twiceArea += a.x * b.y - b.x * a.y;
    }
    if (f.kind == FeatureKind::Polygon)
        f.area = std::abs(twiceArea) / 2;
}

} // namespace

// A stored coordinate as the decimal the record held: records carry one decimal, and the float
// that holds it would otherwise bring its binary tail (139.7 as 139.69999694...) into the map.
double recordValue(float v) {
    const double tenths = std::nearbyint(double(v) * 10);
    return std::fabs(tenths) < 1e15 ? tenths / 10 : double(v);
}

MapPoint Placement::place(float x, float y) const {
    const double tx = recordValue(x), ty = recordValue(y);
    if (transform)
        return transform->map(tx, ty);
    const double metres = double(scaleDenom) * tabletUnitMm / 1000.0;
    return {tx * metres, ty * metres};
}

FeatureSet collectFeatures(const TraceStore &store, const Placement &placement) {
    FeatureSet set;
    const RecordTable &pt = store.Pt;
    auto at = [&](std::int16_t slot) {
        return placement.place(pt.X[std::size_t(slot)], pt.Y[std::size_t(slot)]);
    };
    auto codeAt = [&](std::int16_t slot) { return wholeCode(pt.Code[std::size_t(slot)]); };
    std::optional<Feature> line; // the open sequence, from its start record on
    int used = 0;
    // A sequence of two or more vertices that nothing closed is a line.
    auto endLine = [&](std::optional<std::int16_t> code) {
        if (line && line->vertices.size() >= 2) {
            line->kind = FeatureKind::Line;
            line->code = code;
            measure(*line);
            used += int(line->vertices.size());
            ++set.lines;
            set.features.push_back(std::move(*line));
        }
        line.reset();
    };
    walkRecords(pt, store.PtCount, [&](const WalkStep &step) {
        switch (step.event) {
        case WalkEvent::Start:
            endLine(codeAt(step.to));
            line = Feature{FeatureKind::Line, {}, step.to, step.to, {at(step.to)}, 0, 0};
            break;
        case WalkEvent::Segment:
            if (line) {
                line->vertices.push_back(at(step.to));
                line->lastSlot = step.to;
            }
            break;
        case WalkEvent::Close: {
            if (!line)
                break;
            const std::int16_t closing = std::int16_t(step.from + 1);
            Feature polygon = std::move(*line);
            line.reset();
            polygon.kind = FeatureKind::Polygon;
            polygon.code = codeAt(closing);
            polygon.lastSlot = closing;
            measure(polygon);
            used += int(polygon.vertices.size()) + 1;
            ++set.polygons;
            set.features.push_back(std::move(polygon));
            break;
        }
        case WalkEvent::Point:
            endLine(codeAt(step.to));
            set.features.push_back(
                {FeatureKind::Point, codeAt(step.to), step.to, step.to, {at(step.to)}, 0, 0});
            ++used;
            ++set.points;
            break;
        case WalkEvent::None:
            endLine(std::nullopt);
            break;
        }
    });
    endLine(std::nullopt);
    set.leftOut = int(store.PtCount) - used;
    return set;
}

} // namespace digitrace
