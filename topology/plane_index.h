#pragma once

#include "registration/transform_fit.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace digitrace::topology {

struct Box {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    Box grown(double by) const { return {minX - by, minY - by, maxX + by, maxY + by}; }
    bool meets(const Box &o) const {
        return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY;
    }
};

Box boxOf(const std::vector<MapPoint> &points);

// A uniform grid over boxes, so that a query looks at the few boxes near it rather than at all.
class PlaneIndex {
public:
    explicit PlaneIndex(std::vector<Box> boxes);
    // The boxes meeting `query`, each once, in ascending order.
    std::vector<int> near(const Box &query) const;
    // The pairs (i < j) of boxes that come within `margin` of each other.
    std::vector<std::pair<int, int>> pairsWithin(double margin) const;
    const Box &box(int i) const { return boxes_[std::size_t(i)]; }

private:
    std::pair<int, int> cellOf(double x, double y) const;
    std::vector<Box> boxes_;
    double originX_ = 0, originY_ = 0, cell_ = 1;
    int columns_ = 1, rows_ = 1;
    std::vector<std::vector<int>> cells_;
    mutable std::vector<std::uint32_t> seen_;
    mutable std::uint32_t stamp_ = 0;
};

double distanceToSegment(MapPoint p, MapPoint a, MapPoint b, MapPoint *nearest = nullptr);

// Where segment ab meets segment cd, with the fraction along ab; none when they do not meet or
// run along each other.
std::optional<std::pair<MapPoint, double>> segmentsMeet(MapPoint a, MapPoint b, MapPoint c,
                                                        MapPoint d);

// The segments of a line, or of a ring with its closing segment.
template <typename Visit>
void forEachSegment(const std::vector<MapPoint> &v, bool ring, Visit &&visit) {
    const std::size_t n = v.size();
    if (n < 2)
        return;
    for (std::size_t i = 0; i + 1 < n; ++i)
        visit(v[i], v[i + 1]);
    if (ring)
        visit(v[n - 1], v[0]);
}

// The distance from `p` to a point, line or ring.
double distanceTo(MapPoint p, const std::vector<MapPoint> &v, bool ring);

} // namespace digitrace::topology
